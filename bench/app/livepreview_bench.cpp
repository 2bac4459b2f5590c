// The live preview on a 100 KB page: a keystroke with the preview shown
// beside the same keystroke with it hidden, and the time from the last
// keystroke to the view that shows it, beside the pause it waits for and a
// bare QWebEngineView loading the same page.
#include "app/livepreview.h"
#include "app/tmain.h"
#include "editor/accessibility.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"

#include "measure.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <unistd.h>

namespace {

using bench::median;

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits for the next update of the view; false after the deadline.
bool updated(ts::LivePreview& preview, int ms = 20000) {
    QEventLoop loop;
    bool done = false;
    const auto c = QObject::connect(&preview, &ts::LivePreview::Updated, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(c);
    return done;
}

// When the page on show was first painted with content, in ms since the
// epoch (the engine's clock is the system's); 0 when it does not say.
double firstPaint(QWebEnginePage* page) {
    for (int tries = 0; tries < 100; ++tries) {
        QEventLoop loop;
        double at = 0;
        page->runJavaScript(QStringLiteral("(function(){const p=performance.getEntriesByName('first-contentful-paint')[0];"
                                           "return p?performance.timeOrigin+p.startTime:0;})()"),
                            [&](const QVariant& v) {
                                at = v.toDouble();
                                loop.quit();
                            });
        loop.exec();
        if (at > 0) return at;
        spin(10);
    }
    return 0;
}

// One typed letter and a caret step, with the editor's repaint, in ms.
double keystroke(THTML& doc, int k) {
    QElapsedTimer t;
    t.start();
    bench::typeKey(doc, k);
    return double(t.nsecsElapsed()) / 1e6;
}

// The script hides the engine's chatter on stderr: failures go to stdout.
int fail(const char* what) {
    std::printf("failed: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Chromium's sandbox does not start as root.
    if (::geteuid() == 0) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QTemporaryDir work;
    qputenv("TAGSMITH_REGISTRY", work.filePath(QStringLiteral("bench.reg")).toLocal8Bit());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ts::registerLivePreviewScheme();
    QApplication app(argc, argv);
    installEditorAccessibility();

    // A table page of about 100 KB, as in the file benchmark.
    const QString page = work.filePath(QStringLiteral("page.html"));
    QByteArray bytes = "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">\r\n<HTML><BODY><TABLE>\r\n";
    for (int row = 0; bytes.size() < 100 * 1000; ++row)
        bytes += QStringLiteral("<TR><TD CLASS=\"c%1\">Z\u00FCrich %1</TD><TD><A HREF=\"page%1.html\">link text "
                                "for row %1</A></TD></TR>\r\n")
                     .arg(row)
                     .toUtf8();
    bytes += "</TABLE></BODY></HTML>\r\n";
    QFile f(page);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return fail("cannot write the page");
    f.close();

    TMain main;
    main.resize(1200, 800);
    main.show();
    THTML* doc = main.OpenDocumentFile(page);
    auto* preview = main.findChild<ts::LivePreview*>();
    QAction* toggle = main.findChild<QAction*>(QStringLiteral("miLivePreview"));
    if (!doc || !preview || !toggle) return fail("no document or no live preview");
    const int middle = doc->LineCount() / 2;
    doc->RichEdit()->setCursorPosition(middle, 20);
    toggle->trigger();
    if (!updated(*preview)) return fail("the view was not updated");

    // Typed at a typist's pace (the pause passes after each key, so each one
    // is followed by an update), and in a burst; hidden and shown take turns.
    std::vector<double> paced[2], burst[2];
    for (int round = 0; round < 5; ++round) {
        for (int shown = 0; shown < 2; ++shown) {
            if (toggle->isChecked() != bool(shown)) {
                toggle->trigger();
                if (shown && !updated(*preview)) return fail("the view was not updated");
            }
            for (int k = 0; k < 20; ++k) {
                paced[shown].push_back(keystroke(*doc, k));
                spin(ts::LivePreview::kPauseMs + 60);
            }
            spin(300);
            for (int k = 0; k < 40; ++k) burst[shown].push_back(keystroke(*doc, k));
            spin(300);
        }
    }

    // From the last keystroke to the view showing it (its load event), taking
    // turns with a bare view that is handed the same page.
    if (!toggle->isChecked()) toggle->trigger();
    spin(500);
    QWebEngineProfile bareProfile;
    QWebEngineView bare;
    bare.setPage(new QWebEnginePage(&bareProfile, &bare));
    bare.resize(500, 800);
    bare.show();
    const QString html = QString::fromUtf8(bytes);
    QWebEnginePage* shownPage = main.findChild<QWebEngineView*>(QStringLiteral("wvLivePreview"))->page();
    std::vector<double> latency, floor, painted, floorPainted;
    for (int k = 0; k < 20; ++k) {
        for (int i = 0; i < 3; ++i) keystroke(*doc, i);
        QElapsedTimer t;
        t.start();
        double since = double(QDateTime::currentMSecsSinceEpoch());
        if (!updated(*preview)) return fail("the view was not updated");
        latency.push_back(double(t.nsecsElapsed()) / 1e6);
        painted.push_back(firstPaint(shownPage) - since);
        spin(300);

        QEventLoop loop;
        QObject::connect(bare.page(), &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
        t.restart();
        since = double(QDateTime::currentMSecsSinceEpoch());
        bare.setHtml(html, QUrl::fromLocalFile(work.path() + QStringLiteral("/")));
        loop.exec();
        floor.push_back(double(t.nsecsElapsed()) / 1e6);
        floorPainted.push_back(firstPaint(bare.page()) - since);
        spin(300);
    }

    const double pacedHidden = median(paced[0]), pacedShown = median(paced[1]);
    const double burstHidden = median(burst[0]), burstShown = median(burst[1]);
    std::printf("page_bytes=%lld\n", static_cast<long long>(bytes.size()));
    std::printf("keystroke_paced_hidden_ms=%.3f\nkeystroke_paced_shown_ms=%.3f\n", pacedHidden, pacedShown);
    std::printf("keystroke_paced_ratio=%.2f (shown / hidden, target <= 1.1)\n", pacedShown / pacedHidden);
    std::printf("keystroke_burst_hidden_ms=%.3f\nkeystroke_burst_shown_ms=%.3f\n", burstHidden, burstShown);
    std::printf("keystroke_burst_ratio=%.2f (shown / hidden, target <= 1.1)\n", burstShown / burstHidden);
    std::printf("pause_ms=%d\n", ts::LivePreview::kPauseMs);
    std::printf("bare_view_load_ms=%.1f\nbare_view_first_paint_ms=%.1f (setHtml of the same page, to its load event and first paint)\n", median(floor),
                median(floorPainted));
    std::printf("update_after_last_keystroke_ms=%.1f (to the load event, median of %zu, target <= 300)\n"
                "update_after_last_keystroke_first_paint_ms=%.1f (the new page's first paint, part of it)\n",
                median(latency), latency.size(), median(painted));
    std::printf("update_beyond_pause_and_bare_load_ms=%.1f\n",
                median(latency) - ts::LivePreview::kPauseMs - median(floor));
    return 0;
}
