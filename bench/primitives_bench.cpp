// Insertion primitives in the middle of a large document, beside the same
// work on a small one and beside sed inserting one line into the large file.
//   primitives_bench [lines] [operations]
#include "editor/primitives.h"
#include "editor/tsrichedit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QByteArray makeDocument(int lines) {
    QByteArray out;
    out.reserve(qsizetype(lines) * 28);
    for (int n = 0; n < lines; ++n) out += "  <TD>cell " + QByteArray::number(n) + "</TD>\r\n";
    return out;
}

struct Figures {
    double meanMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
};

// What the status bar shows after every change: column, row, modified mark.
struct StatusBar {
    explicit StatusBar(TSRichEdit& e) : editor(e) {
        QObject::connect(&e, &TSRichEdit::StatusChanged, &e, [this] { refresh(); });
    }
    void refresh() {
        col = editor.CaretCol();
        row = editor.CaretRow();
        modified = editor.Modified();
        ++refreshes;
    }
    TSRichEdit& editor;
    int col = 0, row = 0;
    bool modified = false;
    long refreshes = 0;
};

// Times op(i) for i in [0, count); each is followed by the event processing
// that runs the status bar refresh, and by one direct refresh.
Figures timeOps(int count, StatusBar& status, const std::function<void(int)>& prepare,
                const std::function<void(int)>& op) {
    std::vector<double> ms;
    ms.reserve(count);
    for (int i = 0; i < count; ++i) {
        prepare(i);
        QElapsedTimer t;
        t.start();
        op(i);
        QCoreApplication::processEvents();
        status.refresh();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    Figures f;
    for (double v : ms) f.meanMs += v;
    f.meanMs /= count;
    std::sort(ms.begin(), ms.end());
    f.p99Ms = ms[size_t(count * 0.99)];
    f.maxMs = ms.back();
    return f;
}

struct Run {
    Figures atCaret;
    Figures lineAtRow;
    long refreshes = 0;
};

Run runOn(int lines, int ops) {
    TSRichEdit e;
    e.SetDocumentBytes(makeDocument(lines));
    StatusBar status(e);
    QCoreApplication::processEvents();
    const int mid = lines / 2;
    // Tags go into 1,000 lines around the middle in turn, at column 3.
    const int spread = std::min(lines, 1000);
    const int first = std::max(0, mid - spread / 2);
    Run r;
    r.atCaret = timeOps(
        ops, status,
        [&](int i) {
            e.SetCaretRow(first + i % spread);
            e.SetCaretCol(3);
        },
        [&](int) { ts::insertAtCaret(e, QStringLiteral("<B></B>"), true, 3); });
    e.SetCaretRow(mid);
    e.SetCaretCol(4);
    r.lineAtRow = timeOps(
        ops, status, [](int) {}, [&](int) { ts::insertLineAtCaretRow(e, QStringLiteral("<HR>")); });
    if (e.LineCount() != lines + ops || !status.modified || status.row != mid + ops)
        qFatal("unexpected result: %d lines, row %d", e.LineCount(), status.row);
    r.refreshes = status.refreshes;
    return r;
}

double sedMs(int lines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.htm"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return -1;
    f.write(makeDocument(lines));
    f.close();
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(QStringLiteral("sed"),
                                     {QStringLiteral("-i"), QStringLiteral("%1i <HR>").arg(lines / 2), path});
    return rc == 0 ? double(t.nsecsElapsed()) / 1e6 : -1;
}

void row(const char* what, const Figures& big, const Figures& small) {
    std::printf("%-34s %9.4f %9.4f %9.4f   %9.4f %9.4f %9.4f   %5.2fx\n", what, big.meanMs, big.p99Ms, big.maxMs,
                small.meanMs, small.p99Ms, small.maxMs, big.meanMs / small.meanMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 1'000'000;
    const int ops = argc > 2 ? QByteArray(argv[2]).toInt() : 10'000;
    const int smallLines = 1'000;

    QElapsedTimer t;
    t.start();
    const Run big = runOn(lines, ops);
    const double bigTotal = double(t.elapsed());
    const Run small = runOn(smallLines, ops);

    std::printf("%d operations each, status refresh included; times per operation in ms\n", ops);
    std::printf("%-34s %29s   %29s\n", "", QByteArray::number(lines).append(" lines: mean p99 max").constData(),
                QByteArray::number(smallLines).append(" lines: mean p99 max").constData());
    row("insert at caret \"<B></B>\"", big.atCaret, small.atCaret);
    row("insert line at caret row \"<HR>\"", big.lineAtRow, small.lineAtRow);
    std::printf("status refreshes: %ld and %ld; large run including loading: %.0f ms\n", big.refreshes,
                small.refreshes, bigTotal);
    std::printf("reference: sed -i inserting one line mid-file, %d lines: %.1f ms\n", lines, sedMs(lines));
    return 0;
}
