#include "support/dialogdriver.h"
#ifdef TAGSMITH_TEST_LIVE_PREVIEW
#include "app/livepreview.h"
#endif

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // Never touch the user's own settings: every run gets a private config folder.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    qputenv("TAGSMITH_REGISTRY", (configHome.path() + QStringLiteral("/Tagsmith.reg")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef TAGSMITH_TEST_LIVE_PREVIEW
    // Qt WebEngine (the live preview): Chromium's sandbox refuses to start as
    // root; the engine shares OpenGL contexts and knows its URL schemes before
    // the application exists.
    if (::geteuid() == 0) {
        const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--no-sandbox")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-sandbox").trimmed());
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ts::registerLivePreviewScheme();
#endif

    QApplication app(argc, argv);
    ts::test::installModalGuard();
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    // A filter that selects nothing (a renamed test) must not pass for a run.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "No test matches the filter.\n");
        return 1;
    }
    return failed;
}
