#include "app/singleinstance.h"
#include "mainfixture.h"

#include <QDir>
#include <QMdiArea>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using Start = ts::SingleInstance::Start;

namespace {

// A runtime folder of the test's own, as the session makes it: the user's, 0700.
struct RuntimeFolder {
    QTemporaryDir dir;
    QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    bool had = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    RuntimeFolder() {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    }
    ~RuntimeFolder() {
        if (had) qputenv("XDG_RUNTIME_DIR", previous);
        else qunsetenv("XDG_RUNTIME_DIR");
    }
};

// A socket at path that nobody answers on: closed (a copy that crashed) or
// listening without ever reading (a copy that hangs).
struct DeadSocket {
    int fd = -1;
    DeadSocket(const QString& path, bool listening) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()) + 1);
        fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (listening) EXPECT_EQ(::listen(fd, 4), 0);
        else ::close(std::exchange(fd, -1));
    }
    ~DeadSocket() {
        if (fd >= 0) ::close(fd);
    }
};

struct SingleInstance : ts::test::MainWindowTest {
    RuntimeFolder runtime;
    ts::SingleInstance instance;

    // Starts the built program as a second copy in the work folder and waits
    // for its end while this copy runs on; its exit code, -1 when it did not end.
    int startSecondCopy(const QStringList& args) {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.dir.path());
        env.insert(QStringLiteral("TAGSMITH_REGISTRY"), registry.path());
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(dir.path());
        second.start(QStringLiteral(TAGSMITH_PROGRAM), args);
        if (!QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000)) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        const int code = second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
        if (code != 0) ADD_FAILURE() << "second copy: " << second.readAllStandardError().toStdString();
        return code;
    }
};

} // namespace

TEST_F(SingleInstance, ASecondStartHandsItsFileToTheRunningCopyAndEnds) {
    ASSERT_EQ(instance.start(QString()), Start::Serving);
    instance.serve(*main);
    write(QStringLiteral("a.html"), "<P>a</P>");
    write(QStringLiteral("b.html"), "<P>b</P>");
    THTML* a = open(QStringLiteral("a.html"));
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    // Named relative to the second copy's folder.
    EXPECT_EQ(startSecondCopy({QStringLiteral("b.html")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->Documents().size() == 2; }));
    EXPECT_EQ(main->ActiveDocument()->FileName(), path(QStringLiteral("b.html")));
    EXPECT_EQ(main->ActiveDocument()->RichEdit()->GetLine(0), QStringLiteral("<P>b</P>"));
    EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));

    // A file open already: its window comes to the front, no second one.
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(startSecondCopy({path(QStringLiteral("a.html"))}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return main->ActiveDocument() == a; }));
    EXPECT_EQ(main->Documents().size(), 2);
    EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST_F(SingleInstance, ASocketNobodyAnswersOnIsTakenOver) {
    write(QStringLiteral("a.html"), "<P>a</P>");
    const QString socket = ts::SingleInstance::socketPath();
    ASSERT_FALSE(socket.isEmpty());
    for (bool hangs : {false, true}) {
        SCOPED_TRACE(hangs ? "a copy that hangs" : "a copy that crashed");
        const DeadSocket dead(socket, hangs);
        ts::SingleInstance taking;
        ASSERT_EQ(taking.start(QString()), Start::Serving);
        taking.serve(*main);
        EXPECT_EQ(startSecondCopy({QStringLiteral("a.html")}), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !main->Documents().isEmpty(); }));
        main->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SingleInstance, ARuntimeFolderOthersCanEnterIsRefused) {
    const QByteArray folder = QFile::encodeName(runtime.dir.path());
    for (mode_t mode : {0755, 0750, 0705, 0711, 0701, 0770}) {
        ASSERT_EQ(::chmod(folder.constData(), mode), 0);
        EXPECT_EQ(ts::SingleInstance::socketPath(), QString()) << std::oct << mode;
        EXPECT_EQ(instance.start(QString()), Start::Alone) << std::oct << mode;
    }
    ASSERT_EQ(::chmod(folder.constData(), 0700), 0);
    if (::geteuid() == 0) {
        // Root can hand the folder to another user, which is refused as well.
        ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
        EXPECT_EQ(instance.start(QString()), Start::Alone);
        ASSERT_EQ(::chown(folder.constData(), 0, 0), 0);
    }
    EXPECT_TRUE(QDir(runtime.dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(instance.start(QString()), Start::Serving);
}
