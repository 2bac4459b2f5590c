// Opening, showing, typing in and saving large documents, beside the bare
// cost of the same bytes in QScintilla and in QPlainTextEdit.
// Each mode runs in a process of its own so that its peak memory is its own.
#include "app/reopen.h"
#include "app/singleinstance.h"
#include "app/tapplication.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/docloader.h"
#include "editor/taglexer.h"
#include "platform/text.h"
#include "editor/recovery.h"
#include "editor/tagcompleter.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include "measure.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qsciscintilla.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMainWindow>
#include <QProcess>
#include <QTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>
#include <sys/resource.h>

namespace {

using bench::median;
using bench::threadCpuMs;

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void paint(QWidget& w) {
    w.show();
    w.repaint();
    QCoreApplication::processEvents();
}

void report(const char* what, double ms) { std::printf("%s_ms=%.1f\n", what, ms); }

int editorOpenAndSave(const QString& path) {
    THTML doc;
    doc.resize(900, 700);
    QElapsedTimer t;
    t.start();
    doc.SetFileName(path);
    doc.LoadDocument();
    paint(doc);
    report("open", double(t.nsecsElapsed()) / 1e6);
    // A large file shows its first lines first; the whole text follows.
    doc.RichEdit()->FinishLoad();
    paint(doc);
    report("ready", double(t.nsecsElapsed()) / 1e6);
    std::printf("open_peak_kib=%ld\n", peakKiB());

    // One edit, so the save writes what a user would save.
    doc.RichEdit()->SetCaretRow(1);
    doc.RichEdit()->InsertLine(1, QStringLiteral("<!-- edited -->"));
    doc.SetFileName(path + QStringLiteral(".saved"));
    t.restart();
    doc.RichEdit()->DocumentBytes();
    report("save_gather", double(t.nsecsElapsed()) / 1e6);
    t.restart();
    doc.WriteFile();
    report("save", double(t.nsecsElapsed()) / 1e6);
    std::printf("peak_kib=%ld\n", peakKiB());
    QFile::remove(path + QStringLiteral(".saved"));
    return 0;
}

int floorOpen(const QString& path) {
    QsciScintilla editor;
    editor.resize(900, 700);
    editor.setUtf8(true);
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QString text = QString::fromUtf8(f.readAll());
    editor.setText(text);
    paint(editor);
    report("open", double(t.nsecsElapsed()) / 1e6);
    std::printf("peak_kib=%ld\n", peakKiB());
    return 0;
}

int plainOpen(const QString& path) {
    QPlainTextEdit editor;
    editor.resize(900, 700);
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    editor.setPlainText(QString::fromUtf8(f.readAll()));
    paint(editor);
    report("open", double(t.nsecsElapsed()) / 1e6);
    std::printf("peak_kib=%ld\n", peakKiB());
    return 0;
}

// Each step of opening on its own, to set the editor's figures beside the
// least each step can cost here: reading, fresh memory for the text,
// checking the UTF-8, finding the line break, the control's insertion with its
// line index, and the tag colours (shown text only, in a large document).
int openingSteps(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const qint64 size = f.size();
    std::string piece(256 << 10, '\0');
    QElapsedTimer t;
    t.start();
    while (f.read(piece.data(), qint64(piece.size())) > 0) {
    }
    report("read_in_pieces", double(t.nsecsElapsed()) / 1e6);
    for (const char* what : {"fresh_memory", "fresh_memory_again"}) {
        t.restart();
        std::unique_ptr<char[]> block(new char[size_t(size)]);
        std::memset(block.get(), 0, size_t(size));
        report(what, double(t.nsecsElapsed()) / 1e6);
    }
    f.seek(0);
    std::string all(size_t(size), '\0');
    if (f.read(all.data(), size) != size) return 1;
    const std::string_view text(all);
    bool valid = false;
    const void* nul = nullptr;
    ts::LineBreakScan scan;
    t.restart();
    nul = std::memchr(text.data(), 0, text.size());
    report("nul_check", double(t.nsecsElapsed()) / 1e6);
    t.restart();
    valid = ts::isValidUtf8(text);
    report("utf8_check", double(t.nsecsElapsed()) / 1e6);
    t.restart();
    scan.feed(text);
    report("line_break", double(t.nsecsElapsed()) / 1e6);
    QsciScintilla editor;
    t.restart();
    {
        ts::DocumentLoader loader(editor, size, size <= TSRichEdit::kUnstyledAbove);
        for (size_t at = 0; at < text.size(); at += piece.size()) loader.append(text.substr(at, piece.size()));
        editor.SendScintilla(QsciScintillaBase::SCI_RELEASEDOCUMENT, 0UL, loader.take());
    }
    report("control_insert_and_line_index", double(t.nsecsElapsed()) / 1e6);
    long runs = 0;
    t.restart();
    TTagLexer::Scan(text.data(), 0, long(text.size()), 0, long(text.size()), TTagLexer::Text,
                    [&](int, long) { ++runs; });
    report("tag_colours_whole_text", double(t.nsecsElapsed()) / 1e6);
    std::printf("checked=%d\n", valid && !nul && runs > 0);
    return 0;
}

int emptyEditor() {
    THTML doc;
    paint(doc);
    std::printf("peak_kib=%ld\n", peakKiB());
    return 0;
}

struct Keystrokes {
    double wallMs, cpuMs; // medians
};

// Per keystroke: the key, the editor's repaint and the status bar refresh;
// the medians of many, so that a stray slow one (another process) does not count.
Keystrokes typeAt(THTML& doc, int line, int keys) {
    doc.RichEdit()->SetCaretRow(line);
    doc.RichEdit()->SetCaretCol(3);
    paint(doc);
    std::vector<double> wall, cpu;
    for (int k = 0; k < keys; ++k) {
        QElapsedTimer t;
        t.start();
        const double cpu0 = threadCpuMs();
        bench::typeKey(doc, k);
        cpu.push_back(threadCpuMs() - cpu0);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return {median(wall), median(cpu)};
}

int typing(const QString& path) {
    THTML big;
    big.resize(900, 700);
    big.SetFileName(path);
    big.LoadDocument();
    paint(big);
    const int deep = std::min(400000, big.LineCount() - 1);
    QElapsedTimer jump;
    jump.start();
    big.RichEdit()->SetCaretRow(deep);
    paint(big);
    std::printf("first_jump_to_line_%d_ms=%.1f\n", deep, double(jump.nsecsElapsed()) / 1e6);
    const Keystrokes deepMs = typeAt(big, deep, 400);

    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.html"));
    QFile f(small);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    for (int k = 0; k < 1000; ++k) f.write("<P>a small document line of text</P>\r\n");
    f.close();
    THTML little;
    little.resize(900, 700);
    little.SetFileName(small);
    little.LoadDocument();
    const Keystrokes smallMs = typeAt(little, 500, 400);
    std::printf("keystroke_line_%d_ms=%.3f\nkeystroke_small_doc_ms=%.3f\n", deep, deepMs.wallMs, smallMs.wallMs);
    std::printf("keystroke_line_%d_cpu_ms=%.3f\nkeystroke_small_doc_cpu_ms=%.3f\n", deep, deepMs.cpuMs,
                smallMs.cpuMs);
    std::printf("keystroke_ratio=%.2f (target <= 1.5)\n", deepMs.wallMs / smallMs.wallMs);

    // The colours of the text skipped by the jump are put right once the user
    // pauses; how long that takes when nothing else happens.
    QElapsedTimer recolour;
    recolour.start();
    while (big.RichEdit()->StylingPending() && recolour.elapsed() < 120000) QCoreApplication::processEvents();
    std::printf("recolour_after_jump_ms=%.0f\n", double(recolour.nsecsElapsed()) / 1e6);
    return 0;
}

qint64 monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Prints the moment the window's first frame has been painted, then ends the
// program (or leaves that to the caller when keepRunning).
void reportFirstFrame(QWidget& window, bool keepRunning = false) {
    struct Watch : QObject {
        QWidget* window = nullptr;
        bool keepRunning = false;
        bool done = false;
        bool eventFilter(QObject* watched, QEvent* e) override {
            if (watched == window && e->type() == QEvent::Paint && !done) {
                done = true;
                // Queued: runs once the whole frame is painted and flushed. As
                // a filter of the application it is queued before anything the
                // program itself queues from the same paint.
                QTimer::singleShot(0, qApp, [stay = keepRunning] {
                    std::printf("first_frame_ns=%lld\n", static_cast<long long>(monotonicNs()));
                    std::fflush(stdout);
                    if (!stay) QCoreApplication::exit(0);
                });
            }
            return false;
        }
    };
    auto* watch = new Watch;
    watch->window = &window;
    watch->keepRunning = keepRunning;
    qApp->installEventFilter(watch);
}

// The program's own start (as in main), to the first painted frame; with
// documents to reopen it also reports when the last of them has loaded.
int startApp(int argc, char** argv, int reopened) {
    TApplication app(argc, argv);
    ts::SingleInstance instance;
    if (instance.start(QString()) == ts::SingleInstance::Start::HandedOver) return 1;
    installEditorAccessibility();
    TMain main(QStringList{});
    instance.serve(main);
    reportFirstFrame(main, reopened > 0);
    QTimer loaded;
    if (reopened > 0) {
        QObject::connect(&loaded, &QTimer::timeout, [&] {
            if (main.Documents().size() < reopened) return;
            std::printf("all_loaded_ns=%lld\n", static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
        loaded.start(0);
    }
    main.show();
    return app.exec();
}

// A bare Qt main window started the same way.
int startBare(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow main;
    main.resize(800, 600);
    reportFirstFrame(main);
    main.show();
    return app.exec();
}

constexpr int kReopened = 10;

// Start-up to the first painted frame, each a fresh process of this program,
// the kinds taking turns so that all see the same machine: the program with
// nothing to reopen, with ten documents of the last run to reopen, and a bare
// Qt window.
int startup(const char* self) {
    QTemporaryDir work;
    const QString empty = work.filePath(QStringLiteral("empty.reg"));
    const QString reopen = work.filePath(QStringLiteral("reopen.reg"));
    // Pages of an ordinary size, with the caret somewhere inside.
    ts::ReopenList list;
    for (int i = 0; i < kReopened; ++i) {
        const QString page = work.filePath(QStringLiteral("page%1.html").arg(i));
        QFile f(page);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">\r\n<HTML><BODY><TABLE>\r\n");
        for (int row = 0; row < 300; ++row)
            f.write(QStringLiteral("<TR><TD CLASS=\"c%1\">Z\u00FCrich %1</TD><TD><A HREF=\"page%1.html\">row %1</A></TD></TR>\r\n")
                        .arg(row)
                        .toUtf8());
        f.write("</TABLE></BODY></HTML>\r\n");
        list.documents.push_back({page, 150, 12});
    }
    list.active = 3;
    qputenv("TAGSMITH_REGISTRY", QFile::encodeName(reopen));
    ts::writeReopenList(list);
    // A runtime folder of its own, so that each start is the only copy.
    const QString runtime = work.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    struct Kind {
        const char* mode;
        QString registry;
        std::vector<double> firstFrame, allLoaded;
    } kinds[] = {{"startup-app", empty, {}, {}}, {"startup-reopen", reopen, {}, {}}, {"startup-bare", empty, {}, {}}};
    auto stamp = [](const QByteArray& out, const char* key) -> qint64 {
        const qsizetype at = out.indexOf(key);
        if (at < 0) return -1;
        const qsizetype from = at + qsizetype(std::strlen(key));
        return out.mid(from, out.indexOf('\n', from) - from).toLongLong();
    };
    for (int round = 0; round < 15; ++round) {
        for (Kind& k : kinds) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TAGSMITH_REGISTRY"), k.registry);
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
            p.setProcessEnvironment(env);
            const qint64 t0 = monotonicNs();
            p.start(QString::fromLocal8Bit(self), {QString::fromLatin1(k.mode)});
            if (!p.waitForFinished(60000)) return 1;
            const QByteArray out = p.readAllStandardOutput();
            const qint64 frame = stamp(out, "first_frame_ns=");
            if (frame < 0) return 1;
            k.firstFrame.push_back(double(frame - t0) / 1e6);
            if (const qint64 all = stamp(out, "all_loaded_ns="); all >= 0) k.allLoaded.push_back(double(all - t0) / 1e6);
        }
    }
    const double app = median(kinds[0].firstFrame), withReopen = median(kinds[1].firstFrame),
                 bare = median(kinds[2].firstFrame);
    std::printf("startup_first_frame_ms=%.1f\nstartup_bare_qt_ms=%.1f\nstartup_ratio=%.2f (target <= 1.5)\n", app, bare,
                app / bare);
    std::printf("startup_reopen_%d_first_frame_ms=%.1f\nstartup_reopen_%d_all_loaded_ms=%.1f\n"
                "startup_reopen_ratio=%.2f (first frame with %d to reopen / empty start, target <= 1.5)\n",
                kReopened, withReopen, kReopened, median(kinds[1].allLoaded), withReopen / app, kReopened);
    return 0;
}

// Opens and shows the large file with the caret at line 400,000 (or its last).
int openAtDeepLine(THTML& big, const QString& path) {
    big.resize(900, 700);
    big.SetFileName(path);
    big.LoadDocument();
    paint(big);
    const int deep = std::min(400000, big.LineCount() - 1);
    big.RichEdit()->SetCaretRow(deep);
    paint(big);
    return deep;
}

// A keystroke deep in the large file with the recovery journal off and on,
// alternately on the same document; then the whole text of the journal
// written while keys come in, beside the same write waited for.
int journalled(const QString& path) {
    QTemporaryDir folder;
    ts::setRecoveryFolder(folder.path());
    THTML big;
    const int deep = openAtDeepLine(big, path);
    ts::TDocumentJournal* journal = big.Journal();
    // The journal's first whole text is on disk before the rounds: they
    // measure what each keystroke adds.
    typeAt(big, deep, 1);
    journal->Flush();
    double off = 0, on = 0;
    for (int round = 0; round < 4; ++round) {
        // Without the journal the editor's edits go nowhere.
        QObject::disconnect(big.RichEdit(), &QsciScintillaBase::SCN_MODIFIED, &big, nullptr);
        off += typeAt(big, deep, 50).wallMs;
        QObject::connect(big.RichEdit(), &QsciScintillaBase::SCN_MODIFIED, &big,
                         [journal](int pos, int type, const char*, int length) {
                             if (type & QsciScintillaBase::SC_MOD_BEFOREINSERT)
                                 journal->InsertAnnounced(pos, length);
                             else if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE)
                                 journal->Delete(pos, length);
                         });
        on += typeAt(big, deep, 50).wallMs;
    }
    std::printf("keystroke_line_%d_journal_off_ms=%.3f\nkeystroke_line_%d_journal_on_ms=%.3f\n", deep, off / 4, deep,
                on / 4);

    // The whole text waited for: what typing would wait for if it were written in its way.
    journal->RequestSnapshot();
    QElapsedTimer t;
    t.start();
    journal->Flush();
    std::printf("whole_text_write_waited_ms=%.1f\n", double(t.nsecsElapsed()) / 1e6);

    // The same in the background, with a key every 20 ms until it is on disk;
    // as many keys in the same rhythm without it first.
    auto typeInRhythm = [&](const std::function<bool(int)>& goOn) {
        std::vector<double> ms;
        for (int k = 0; goOn(k); ++k) {
            ms.push_back(typeAt(big, deep, 1).wallMs);
            QElapsedTimer gap;
            gap.start();
            while (gap.elapsed() < 20) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return ms;
    };
    journal->Flush();
    const std::vector<double> plain = typeInRhythm([](int k) { return k < 40; });
    journal->RequestSnapshot();
    t.restart();
    journal->Write();
    const std::vector<double> during =
        typeInRhythm([&](int) { return journal->WritingText() && t.elapsed() < 60000; });
    const double written = double(t.nsecsElapsed()) / 1e6;
    std::printf("whole_text_write_background_ms=%.1f\nkeystrokes_during_write=%zu\n"
                "keystroke_during_write_median_ms=%.3f\nkeystroke_during_write_max_ms=%.3f\n"
                "keystroke_without_write_median_ms=%.3f\nkeystroke_without_write_max_ms=%.3f\n",
                written, during.size(), median(during), *std::max_element(during.begin(), during.end()),
                median(plain), *std::max_element(plain.begin(), plain.end()));
    big.RichEdit()->ClearModified();
    return 0;
}

// A keystroke deep in the large file with the tag colours, beside the same
// document with no colouring at all and with QScintilla's own HTML lexer,
// taking turns on the same document.
int coloured(const QString& path) {
    THTML big;
    const int deep = openAtDeepLine(big, path);
    TSRichEdit* e = big.RichEdit();
    QsciLexer* tags = e->lexer();
    auto* html = new QsciLexerHTML(e);
    struct Run {
        const char* name;
        QsciLexer* lexer;
        std::vector<double> ms;
    } runs[] = {{"plain", nullptr, {}}, {"tag_colours", tags, {}}, {"html_lexer", html, {}}};
    for (int round = 0; round < 4; ++round) {
        for (Run& r : runs) {
            e->setLexer(r.lexer);
            typeAt(big, deep, 10); // the switch restyles the view once
            r.ms.push_back(typeAt(big, deep, 50).wallMs);
        }
    }
    e->setLexer(tags);
    for (Run& r : runs) std::printf("keystroke_line_%d_%s_ms=%.3f\n", deep, r.name, median(r.ms));
    return 0;
}

// One typed character with the editor's repaint, in milliseconds.
double keystroke(THTML& doc, Qt::Key key, char c) {
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QLatin1Char(c)));
    QCoreApplication::sendEvent(doc.RichEdit(), &press);
    doc.repaint();
    QCoreApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

// With tag completion on: the '/' of "</" at line 400,000, closing the A
// element open on that line, and at the start of that line, where nothing is
// open in the 256 KB looked back over; beside a letter typed at the top. The
// character before each timed one is typed untimed, so that none of them pays
// for moving the control's gap between the top and line 400,000. Each edit is
// undone before the next, so the document stays the same.
int closing(const QString& path) {
    THTML big;
    const int deep = openAtDeepLine(big, path);
    TSRichEdit* e = big.RichEdit();
    TTagCompleter::Of(*e);
    const qint64 length = e->ByteLength();
    struct Place {
        int line, col;
    };
    const Place top{2, int(e->GetLine(2).indexOf(QLatin1String("link ")) + 5)};
    const Place inLink{deep, int(e->GetLine(deep).indexOf(QLatin1String("</A>")))};
    const Place lineStart{deep, 0};
    const auto goTo = [&](Place p) {
        e->SetCaretRow(p.line);
        e->SetCaretCol(p.col);
        paint(big);
    };
    const auto undo = [&](int steps) {
        for (int k = 0; k < steps; ++k) e->undo();
        return e->ByteLength() == length;
    };
    std::vector<double> letter, closed, noneOpen;
    for (int round = 0; round < 200; ++round) {
        goTo(top);
        keystroke(big, Qt::Key_Space, ' ');
        letter.push_back(keystroke(big, Qt::Key_A, 'a'));
        if (!undo(1)) return 1;

        goTo(inLink);
        keystroke(big, Qt::Key_Less, '<');
        closed.push_back(keystroke(big, Qt::Key_Slash, '/'));
        if (e->GetLine(deep).mid(inLink.col, 8) != QLatin1String("</A></A>")) return 1;
        if (!undo(2)) return 1;

        goTo(lineStart);
        keystroke(big, Qt::Key_Less, '<');
        noneOpen.push_back(keystroke(big, Qt::Key_Slash, '/'));
        if (!e->GetLine(deep).startsWith(QLatin1String("</<TR>"))) return 1;
        if (!undo(1)) return 1;
    }
    const double ref = median(letter);
    std::printf("keystroke_top_ms=%.3f\n", ref);
    std::printf("close_line_%d_ms=%.3f\nclose_line_%d_nothing_open_ms=%.3f\n", deep, median(closed), deep,
                median(noneOpen));
    std::printf("close_ratio=%.2f (target <= 1.5)\nclose_nothing_open_ratio=%.2f (target <= 1.5)\n",
                median(closed) / ref, median(noneOpen) / ref);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The start-ups use the registry the run prepared for them.
    if (argc > 1 && std::strcmp(argv[1], "startup-app") == 0) return startApp(argc, argv, 0);
    if (argc > 1 && std::strcmp(argv[1], "startup-reopen") == 0) return startApp(argc, argv, kReopened);
    if (argc > 1 && std::strcmp(argv[1], "startup-bare") == 0) return startBare(argc, argv);
    QTemporaryDir config;
    qputenv("TAGSMITH_REGISTRY", config.filePath(QStringLiteral("bench.reg")).toLocal8Bit());
    if (argc > 1 && std::strcmp(argv[1], "startup") == 0) return startup(argv[0]);
    QApplication app(argc, argv);
    installEditorAccessibility();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s editor|steps|floor|plain|empty|typing|journal|colours|closing|startup [file]\n",
                     argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (mode == QLatin1String("editor")) return editorOpenAndSave(path);
    if (mode == QLatin1String("floor")) return floorOpen(path);
    if (mode == QLatin1String("plain")) return plainOpen(path);
    if (mode == QLatin1String("empty")) return emptyEditor();
    if (mode == QLatin1String("steps")) return openingSteps(path);
    if (mode == QLatin1String("typing")) return typing(path);
    if (mode == QLatin1String("journal")) return journalled(path);
    if (mode == QLatin1String("colours")) return coloured(path);
    if (mode == QLatin1String("closing")) return closing(path);
    return 2;
}
