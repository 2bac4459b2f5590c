// The cost of one FormCreate (the user-tag refresh at every resize of a
// document window) and of one user-tag button press, with nine filled tags
// beside an empty store, and beside the same file changed before every call,
// so that each read has to parse it again.
//   usertags_bench [repeats]
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "settings/tprefsrecord.h"
#include "usertags/usertagbuttons.h"
#include "usertags/usertagstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <vector>

namespace {

struct Figures {
    double medianMs = 0;    // wall clock
    double cpuMedianMs = 0; // this thread's processor time: free of other processes' load
    double cpuP99Ms = 0;
};

double threadCpuMs() {
    struct timespec t;
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Figures timeOps(int count, const std::function<void()>& prepare, const std::function<void()>& op) {
    std::vector<double> wall, cpu;
    wall.reserve(size_t(count));
    cpu.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        const double c = threadCpuMs();
        op();
        cpu.push_back(threadCpuMs() - c);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2], cpu[size_t(double(count) * 0.99)]};
}

// Gives the file new time stamps, as another program's write would.
void touch(const QString& path) {
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0) != 0) qFatal("cannot touch %s", qPrintable(path));
}

struct Run {
    Figures formCreate;
    Figures press;
};

Run measure(int repeats, const std::function<void()>& beforeEach, const QString& expectCaption) {
    THTML doc;
    ts::connectUserTags(doc);
    QToolButton* button = doc.Palette().button(QStringLiteral("sbUser5"));
    Run r;
    r.formCreate = timeOps(repeats, beforeEach, [&] { doc.FormCreate(); });
    if (button->text() != expectCaption) qFatal("caption %s", qPrintable(button->text()));

    doc.RichEdit()->SetDocumentBytes("  <P>Some paragraph text in the middle of a document.</P>\r\n");
    const QByteArray before(doc.RichEdit()->DocumentBytes().data(), qsizetype(doc.RichEdit()->DocumentBytes().size()));
    r.press = timeOps(
        repeats,
        [&] {
            // Each press starts from the same text and caret.
            if (doc.RichEdit()->DocumentBytes() != std::string_view(before.constData(), size_t(before.size())))
                doc.RichEdit()->undo();
            doc.RichEdit()->SetCaretRow(0);
            doc.RichEdit()->SetCaretCol(20);
            beforeEach();
        },
        [&] { button->click(); });
    return r;
}

void row(const char* what, const Run& r) {
    std::printf("%-38s %8.4f %8.4f %8.4f   %8.4f %8.4f %8.4f\n", what, r.formCreate.medianMs,
                r.formCreate.cpuMedianMs, r.formCreate.cpuP99Ms, r.press.medianMs, r.press.cpuMedianMs,
                r.press.cpuP99Ms);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tagsmith.reg"));
    qputenv("TAGSMITH_REGISTRY", QFile::encodeName(path));
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;

    const Run empty = measure(repeats, [] {}, QString());

    // A store as after some use: all preferences and nine tags.
    TPrefsRecord prefs;
    prefs.StdFont = QStringLiteral("Courier New");
    prefs.StdFontSize = 10;
    prefs.Author = QStringLiteral("A. Author");
    prefs.SaveSettings();
    for (int n = 1; n <= kUserTagCount; ++n)
        UserTagTable(n) = {QStringLiteral("T%1").arg(n), QStringLiteral("User tag number %1").arg(n),
                           QStringLiteral("<FONT FACE=\"Arial\" SIZE=%1>").arg(n), QStringLiteral("</FONT>"),
                           QStringLiteral("Arial text, size %1").arg(n)};
    SaveUserTags();
    const qint64 fileSize = QFile(path).size();
    // A file written this very moment is read afresh until it has settled.
    QThread::msleep(1100);
    const Run filled = measure(repeats, [] {}, QStringLiteral("T5"));
    const Run changing = measure(std::min(repeats, 500), [&] { touch(path); }, QStringLiteral("T5"));

    std::printf("user tags, %d repeats, store file %lld bytes; medians and 99th percentiles in ms\n", repeats,
                fileSize);
    std::printf("%-38s %8s %8s %8s   %8s %8s %8s\n", "", "create", "cpu", "cpu p99", "press", "cpu", "cpu p99");
    row("empty store (reference)", empty);
    row("nine tags", filled);
    row("nine tags, file changed before each", changing);
    std::printf("target: under 1 ms for FormCreate and for a press with nine tags\n");
    return 0;
}
