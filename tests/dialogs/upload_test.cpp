#include "dialogs/tuploadftp.h"
#include "dialogs/upload.h"
#include "platform/terror.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/filebrowser.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kUser = QStringLiteral("tagsmith");
const QString kPassword = QStringLiteral("s3cret-pw");

// A real FTP server on a free loopback port, serving a temporary root.
class FtpServer {
public:
    explicit FtpServer(const QStringList& options = {}) {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(TAGSMITH_FTP_SERVER), root.path(), kUser, kPassword} + options);
        QByteArray out;
        while (!out.contains('\n') && m_process.waitForReadyRead(15000)) out += m_process.readAllStandardOutput();
        if (out.startsWith("PORT ")) port = out.mid(5).trimmed().toInt();
        EXPECT_GT(port, 0) << "the test FTP server did not start (needs python3-pyftpdlib): " << out.toStdString();
    }
    ~FtpServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString host(const char* scheme = "") const { return QString::fromLatin1(scheme) + QStringLiteral("127.0.0.1:%1").arg(port); }
    QStringList entries(const QString& folder) const {
        return QDir(root.filePath(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QByteArray content(const QString& file) const {
        QFile f(root.filePath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir root;
    int port = 0;

private:
    QProcess m_process;
};

// Local files to send: a page, one with a non-ASCII name and one of several megabytes.
struct LocalFiles {
    LocalFiles() {
        QByteArray big(6 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(17).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
        write(QStringLiteral("big.bin"), big);
        write(QStringLiteral("index.htm"), "<HTML>\r\n<BODY>Hello</BODY>\r\n</HTML>\r\n");
        write(QStringLiteral("Grüße ä.htm"), "<P>\xc3\xa4</P>");
    }
    void write(const QString& name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        bytes[name] = data;
    }
    QStringList paths(const QStringList& names) const {
        QStringList p;
        for (const QString& n : names) p << dir.filePath(n);
        return p;
    }
    QTemporaryDir dir;
    QMap<QString, QByteArray> bytes;
};

ts::UploadAccount account(const FtpServer& server, const QString& folder = QStringLiteral("/new/site")) {
    return ts::UploadAccount{server.host(), kUser, kPassword, folder};
}

std::vector<ts::UploadResult> runUpload(const ts::UploadAccount& a, const QStringList& files) {
    ts::Upload upload(a, files);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&upload, &ts::Upload::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    upload.start();
    loop.exec();
    EXPECT_TRUE(finished) << "the upload did not finish";
    return finished ? upload.results() : std::vector<ts::UploadResult>{};
}

// Fills the dialog's list the way a user does: show the folder, select a file, drop it.
void listFiles(TUploadFTP& dlg, const LocalFiles& local, const QStringList& names) {
    dlg.Browser().SetDirectory(local.dir.path());
    auto* fileList = dlg.findChild<QListWidget*>(QStringLiteral("flFile"));
    for (const QString& name : names) {
        const QList<QListWidgetItem*> items = fileList->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        fileList->setCurrentItem(items.first());
        dlg.lbFilesDragDrop();
    }
}

void storeAccount(ts::test::FreshRegistry& registry, const FtpServer& server, const QString& password) {
    TPrefsRecord prefs;
    prefs.Host = server.host();
    prefs.Username = kUser;
    prefs.Password = password;
    prefs.InitDir = QStringLiteral("/new/site");
    registry.store(prefs);
}

TEST(Upload, HostSettingNamesProtocolHostAndPort) {
    struct Case {
        const char* host;
        ts::UploadProtocol protocol;
        const char* name;
        int port;
    } cases[] = {
        {"ftp.example.org", ts::UploadProtocol::Ftp, "ftp.example.org", 21},
        {" ftp://ftp.example.org:2121/", ts::UploadProtocol::Ftp, "ftp.example.org", 2121},
        {"ftps://secure.example.org", ts::UploadProtocol::FtpTls, "secure.example.org", 21},
        {"sftp://shell.example.org:2222", ts::UploadProtocol::Sftp, "shell.example.org", 2222},
        {"127.0.0.1:40000", ts::UploadProtocol::Ftp, "127.0.0.1", 40000},
    };
    for (const Case& c : cases) {
        const ts::UploadTarget t = ts::parseUploadHost(QString::fromUtf8(c.host));
        EXPECT_EQ(t.protocol, c.protocol) << c.host;
        EXPECT_EQ(t.host, QString::fromUtf8(c.name)) << c.host;
        EXPECT_EQ(t.port, c.port) << c.host;
    }
    for (const char* bad : {"", "   ", "http://www.example.org", "ftp://user:pw@example.org", "ftp.example.org/htdocs"})
        EXPECT_THROW(ts::parseUploadHost(QString::fromUtf8(bad)), TError) << bad;
}

TEST(Upload, DialogSendsEveryFileByteForByteIntoANewFolderAndReportsEach) {
    FtpServer server;
    LocalFiles local;
    ts::test::ScopedPlatform platform;
    ts::test::FreshRegistry registry;
    storeAccount(registry, server, kPassword);

    TUploadFTP dlg;
    auto* upload = dlg.findChild<QPushButton*>(QStringLiteral("sbUploadFiles"));
    const QStringList names{QStringLiteral("index.htm"), QStringLiteral("big.bin"), QStringLiteral("Grüße ä.htm")};
    listFiles(dlg, local, names);
    ASSERT_TRUE(upload->isEnabled());

    QStringList labels;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (auto* p = dlg.findChild<QProgressDialog*>(QStringLiteral("UploadProgress")); p && p->isVisible())
            labels << p->labelText();
    });
    watch.start(5);
    upload->click();
    watch.stop();

    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Information);
    EXPECT_EQ(platform.boxes.shown[0].text, "index.htm: arrived\nbig.bin: arrived\nGrüße ä.htm: arrived");
    EXPECT_EQ(server.entries(QStringLiteral("new/site")), (QStringList{"Grüße ä.htm", "big.bin", "index.htm"}));
    for (const QString& name : names)
        EXPECT_TRUE(server.content(QStringLiteral("new/site/") + name) == local.bytes[name]) << name.toStdString();
    EXPECT_FALSE(labels.isEmpty());
    EXPECT_FALSE(labels.filter(QRegularExpression(QStringLiteral("^Sending .+\\n[0-9,.]+ of 6[,.]291[,.]\\d+ bytes$"))).isEmpty())
        << labels.join(QLatin1Char('|')).toStdString();

    upload->setEnabled(true);
    dlg.findChild<QPushButton*>(QStringLiteral("sbResetList"))->click();
    EXPECT_FALSE(upload->isEnabled());
}

TEST(Upload, WrongPasswordIsALoginErrorAndChangesNothing) {
    FtpServer server;
    LocalFiles local;
    ts::UploadAccount a = account(server);
    a.password = QStringLiteral("not-the-pw");
    const auto results = runUpload(a, local.paths({QStringLiteral("index.htm"), QStringLiteral("big.bin")}));
    ASSERT_EQ(results.size(), 2u);
    const QString report = ts::uploadReport(results);
    EXPECT_FALSE(results[0].arrived);
    EXPECT_FALSE(results[1].arrived);
    EXPECT_TRUE(results[0].message.startsWith("login refused")) << report.toStdString();
    EXPECT_TRUE(results[1].message.startsWith("not sent, login refused")) << report.toStdString();
    EXPECT_FALSE(report.contains(a.password));
    EXPECT_TRUE(QDir(server.root.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST(Upload, CancelDuringALargeFileLeavesNothingUnderItsFinalName) {
    FtpServer server({QStringLiteral("--throttle"), QStringLiteral("1000000")});
    LocalFiles local;
    ts::test::ScopedPlatform platform;
    ts::test::FreshRegistry registry;
    storeAccount(registry, server, kPassword);

    TUploadFTP dlg;
    listFiles(dlg, local, {QStringLiteral("big.bin"), QStringLiteral("index.htm")});
    QTimer watch;
    bool cancelled = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* p = dlg.findChild<QProgressDialog*>(QStringLiteral("UploadProgress"));
        if (cancelled || !p || !p->isVisible() || p->value() < 20) return;
        cancelled = true;
        p->findChild<QPushButton*>()->click();
    });
    watch.start(10);
    dlg.findChild<QPushButton*>(QStringLiteral("sbUploadFiles"))->click();
    watch.stop();

    EXPECT_TRUE(cancelled);
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Error);
    EXPECT_EQ(platform.boxes.shown[0].text,
              "big.bin: cancelled, not sent\nindex.htm: not sent, the upload was cancelled");
    EXPECT_EQ(server.entries(QStringLiteral("new/site")), QStringList{});
}

TEST(Upload, ConnectionClosedMidFileIsReportedAndTheOthersStillArrive) {
    FtpServer server({QStringLiteral("--drop-after"), QStringLiteral("1000000")});
    LocalFiles local;
    const auto results = runUpload(account(server), local.paths({QStringLiteral("big.bin"), QStringLiteral("index.htm")}));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0].arrived);
    EXPECT_FALSE(results[0].message.isEmpty());
    EXPECT_TRUE(results[1].arrived) << results[1].message.toStdString();
    EXPECT_EQ(server.entries(QStringLiteral("new/site")), QStringList{"index.htm"});
}

TEST(Upload, FtpOverTlsRefusesAnUntrustedCertificate) {
    QTemporaryDir keys;
    const QString cert = keys.filePath(QStringLiteral("cert.pem"));
    const QString key = keys.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                   "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0) << openssl.readAll().toStdString();

    FtpServer server({QStringLiteral("--tls"), cert, key});
    LocalFiles local;
    ts::UploadAccount a = account(server);
    a.host = server.host("ftps://");

    // A certificate nobody vouches for is refused before anything is sent.
    const auto results = runUpload(a, local.paths({QStringLiteral("index.htm")}));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].arrived);
    EXPECT_TRUE(results[0].message.contains("certificate could not be verified")) << results[0].message.toStdString();
    EXPECT_TRUE(QDir(server.root.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

} // namespace
