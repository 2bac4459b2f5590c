// Checking a page with HTML Tidy through the program's own path (F7, a
// worker thread, the list and the marks), and a keystroke in that page with
// the problem list shown beside hidden.
#include "app/problemsdock.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include "measure.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

using bench::median;
using bench::threadCpuMs;

struct Program {
    TMain main;
    THTML* doc = nullptr;
    ts::TProblemsDock* dock = nullptr;

    explicit Program(const QString& path) {
        main.show();
        QCoreApplication::processEvents();
        doc = main.OpenDocumentFile(path);
        dock = main.findChild<ts::TProblemsDock*>(QStringLiteral("dkProblems"));
        QCoreApplication::processEvents();
    }
    // F7, then the user-interface thread sleeps until the list shows the result.
    void checkAndWait() {
        bool shown = false;
        const QMetaObject::Connection c =
            QObject::connect(dock, &ts::TProblemsDock::ResultShown, [&] { shown = true; });
        main.miCheckClick();
        while (!shown) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(c);
    }
};

// F7 until the list shows the result: the wall time and what the
// user-interface thread spent of it (the copy of the text, the list and marks).
int checking(const QString& path) {
    Program p(path);
    p.checkAndWait(); // warm
    std::vector<double> wall, ui;
    for (int round = 0; round < 9; ++round) {
        QElapsedTimer t;
        t.start();
        const double cpu0 = threadCpuMs();
        p.checkAndWait();
        ui.push_back(threadCpuMs() - cpu0);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const int rows = p.main.findChild<QTreeWidget*>(QStringLiteral("lvProblems"))->topLevelItemCount();
    std::printf("check_ms=%.1f\ncheck_ui_thread_cpu_ms=%.1f\nproblems=%d\n", median(wall), median(ui), rows);
    return 0;
}

// Per keystroke: the key, a caret move, the editor's repaint and what the
// event loop has to do meanwhile.
std::vector<double> typeKeys(THTML& doc, int keys) {
    std::vector<double> ms;
    for (int k = 0; k < keys; ++k) {
        QElapsedTimer t;
        t.start();
        bench::typeKey(doc, k);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

// Keystrokes in the middle of the page, the list hidden and shown taking
// turns: shown while a check of the page runs on the worker thread (it
// starts as the list opens), and shown between checks.
int typing(const QString& path) {
    Program p(path);
    TSRichEdit* e = p.doc->RichEdit();
    e->SetCaretRow(e->LineCount() / 2);
    e->SetCaretCol(3);
    std::vector<double> hidden, checking, idle;
    for (int round = 0; round < 6; ++round) {
        p.dock->hide();
        typeKeys(*p.doc, 5);
        for (double ms : typeKeys(*p.doc, 40)) hidden.push_back(ms);

        bool started = false;
        const QMetaObject::Connection c =
            QObject::connect(p.dock, &ts::TProblemsDock::CheckStarted, [&] { started = true; });
        p.dock->show();
        QObject::disconnect(c);
        if (!started) return 1;
        for (double ms : typeKeys(*p.doc, 40)) checking.push_back(ms);
        // The keystrokes made that result stale: the pause brings the next.
        p.checkAndWait();
        for (double ms : typeKeys(*p.doc, 40)) idle.push_back(ms);
    }
    const double h = median(hidden), c = median(checking), i = median(idle);
    std::printf("keystroke_hidden_ms=%.3f\nkeystroke_shown_while_checking_ms=%.3f\nkeystroke_shown_idle_ms=%.3f\n", h,
                c, i);
    std::printf("shown_while_checking / hidden = %.2f (target <= 1.1)\nshown_idle / hidden = %.2f (target <= 1.1)\n",
                c / h, i / h);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("TAGSMITH_REGISTRY", config.filePath(QStringLiteral("bench.reg")).toLocal8Bit());
    qputenv("TAGSMITH_RECOVERY", config.filePath(QStringLiteral("recovery")).toLocal8Bit());
    QApplication app(argc, argv);
    installEditorAccessibility();
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s check|typing file\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (std::strcmp(argv[1], "check") == 0) return checking(path);
    if (std::strcmp(argv[1], "typing") == 0) return typing(path);
    return 2;
}
