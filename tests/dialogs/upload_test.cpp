#include "dialogs/tuploadftp.h"
#include "dialogs/upload.h"
#include "platform/terror.h"
#include "support/dialogdriver.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/filebrowser.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <optional>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // Every step of the bar is seen with the label it came with, however
    // quickly the transfer runs; the timer only finds the dialog.
    QStringList labels;
    QPointer<QProgressDialog> progress;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (progress) return;
        progress = dlg.findChild<QProgressDialog*>(QStringLiteral("UploadProgress"));
        if (!progress) return;
        if (progress->isVisible()) labels << progress->labelText();
        QProgressDialog* p = progress;
        QObject::connect(p->findChild<QProgressBar*>(), &QProgressBar::valueChanged, p, [&labels, p] {
            if (p->isVisible()) labels << p->labelText();
        });
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

TEST(Upload, TwoFilesOfOneNameAreRefusedByTheListAndByTheTransfer) {
    FtpServer server;
    LocalFiles local, other;
    other.write(QStringLiteral("index.htm"), "<P>another index</P>");
    ts::test::ScopedPlatform platform;

    TUploadFTP dlg;
    listFiles(dlg, local, {QStringLiteral("index.htm"), QStringLiteral("big.bin")});
    listFiles(dlg, other, {QStringLiteral("index.htm")});
    EXPECT_EQ(dlg.Files().join('|').toStdString(),
              local.paths({QStringLiteral("index.htm"), QStringLiteral("big.bin")}).join('|').toStdString());
    ASSERT_EQ(platform.boxes.shown.size(), 1u);
    EXPECT_EQ(platform.boxes.shown[0].kind, ts::BoxKind::Warning);
    EXPECT_TRUE(platform.boxes.shown[0].text.contains("\"index.htm\"")) << platform.boxes.shown[0].text.toStdString();

    // Handed such a list anyway, the transfer sends the first only.
    const auto results =
        runUpload(account(server), local.paths({QStringLiteral("index.htm")}) + other.paths({QStringLiteral("index.htm")}));
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].arrived) << results[0].message.toStdString();
    EXPECT_FALSE(results[1].arrived);
    EXPECT_TRUE(results[1].message.startsWith("not sent, ")) << results[1].message.toStdString();
    EXPECT_EQ(server.content(QStringLiteral("new/site/index.htm")), local.bytes[QStringLiteral("index.htm")]);
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
    ts::test::DialogDriver dialogs;
    bool cancelled = false;
    dialogs.expect<QProgressDialog>("UploadProgress", [&](QProgressDialog& p) {
        cancelled = ts::test::waitFor([&] { return p.value() >= 20; }, 60000);
        p.findChild<QPushButton*>()->click();
    });
    dlg.findChild<QPushButton*>(QStringLiteral("sbUploadFiles"))->click();
    dialogs.done();

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

// Sets an environment variable, or removes it (nullopt), until the end of the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<QString>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value) qputenv(name, QFile::encodeName(*value));
        else qunsetenv(name);
    }
    ~ScopedEnv() {
        if (m_had) qputenv(m_name, m_old);
        else qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const QString out = QString::fromLocal8Bit(p.readAll());
    EXPECT_TRUE(ok) << program.toStdString() << " " << args.join(' ').toStdString() << ": " << out.toStdString();
    return out;
}

// A certificate authority and two server certificates it signed: one for
// 127.0.0.1, one for another name.
struct Certificates {
    Certificates() {
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
        runTool("openssl", QStringList{"req", "-x509"} + ec +
                               QStringList{"-days", "2", "-subj", "/CN=Tagsmith test CA", "-keyout", path("ca.key"), "-out", path("ca.pem")});
        for (const auto& [name, altName] : {std::pair{"local", "IP:127.0.0.1"}, std::pair{"other", "DNS:other.example"}}) {
            const QString n = QString::fromLatin1(name);
            QFile ext(path(n + ".ext"));
            EXPECT_TRUE(ext.open(QIODevice::WriteOnly));
            ext.write(QByteArray("basicConstraints=CA:FALSE\nsubjectAltName=") + altName + '\n');
            ext.close();
            runTool("openssl", QStringList{"req"} + ec + QStringList{"-subj", "/CN=" + n, "-keyout", path(n + ".key"), "-out", path(n + ".csr")});
            runTool("openssl", {"x509", "-req", "-in", path(n + ".csr"), "-CA", path("ca.pem"), "-CAkey", path("ca.key"),
                                "-CAcreateserial", "-days", "2", "-extfile", path(n + ".ext"), "-out", path(n + ".pem")});
        }
    }
    QString path(const QString& file) const { return dir.filePath(file); }
    QTemporaryDir dir;
};

TEST(Upload, FtpOverTlsSendsOnlyToAServerWithAVerifiedCertificate) {
    Certificates certs;
    LocalFiles local;
    const QStringList names{QStringLiteral("index.htm"), QStringLiteral("big.bin"), QStringLiteral("Grüße ä.htm")};
    struct Case {
        const char* what;
        const char* certificate;
        bool trustCa;
        bool arrives;
    } cases[] = {
        {"certificate from a trusted authority", "local", true, true},
        {"authority nobody trusts", "local", false, false},
        {"certificate for another host", "other", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString cert = QString::fromLatin1(c.certificate);
        FtpServer server({QStringLiteral("--tls"), certs.path(cert + ".pem"), certs.path(cert + ".key")});
        ScopedEnv caFile("SSL_CERT_FILE", c.trustCa ? std::optional(certs.path("ca.pem")) : std::nullopt);
        ScopedEnv caDir("SSL_CERT_DIR", std::nullopt);
        ts::UploadAccount a = account(server);
        a.host = server.host("ftps://");
        const auto results = runUpload(a, local.paths(names));
        ASSERT_EQ(results.size(), 3u);
        const QString report = ts::uploadReport(results);
        if (c.arrives) {
            EXPECT_EQ(report.toStdString(), "index.htm: arrived\nbig.bin: arrived\nGrüße ä.htm: arrived");
            EXPECT_EQ(server.entries(QStringLiteral("new/site")), (QStringList{"Grüße ä.htm", "big.bin", "index.htm"}));
            for (const QString& name : names)
                EXPECT_TRUE(server.content(QStringLiteral("new/site/") + name) == local.bytes[name]) << name.toStdString();
        } else {
            EXPECT_TRUE(results[0].message.contains("certificate could not be verified")) << report.toStdString();
            EXPECT_TRUE(results[2].message.startsWith("not sent, the server's certificate")) << report.toStdString();
            EXPECT_TRUE(QDir(server.root.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        }
    }
}

// A port on 127.0.0.1 that nothing listens on now.
int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0;
    if (fd >= 0) ::close(fd);
    EXPECT_TRUE(bound) << "no free port on 127.0.0.1";
    return bound ? ntohs(addr.sin_port) : 0;
}

// A real sshd on a free loopback port with its own host key, letting in the
// user who runs the tests with the keys the test authorizes. A non-root sshd
// can only log in its own user, by key.
class SshServer {
public:
    static bool available() { return QFileInfo(QStringLiteral("/usr/sbin/sshd")).isExecutable(); }

    // sftp is the SFTP subsystem's command, with its options, e.g.
    // "internal-sftp -P rename" to refuse renames.
    explicit SshServer(const QStringList& authorizedKeys, const QString& sftp = QStringLiteral("internal-sftp")) {
        runTool("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-C", "host", "-f", path("host_key")});
        QFile authorized(path("authorized_keys"));
        EXPECT_TRUE(authorized.open(QIODevice::WriteOnly));
        for (const QString& key : authorizedKeys) {
            QFile pub(key + ".pub");
            EXPECT_TRUE(pub.open(QIODevice::ReadOnly)) << key.toStdString();
            authorized.write(pub.readAll());
        }
        authorized.close();
        // Running as root, sshd needs the folder its package makes at boot.
        if (geteuid() == 0) ::mkdir("/run/sshd", 0755);
        port = freeLoopbackPort();
        QFile config(path("sshd_config"));
        EXPECT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("ListenAddress 127.0.0.1\nPort %1\nHostKey %2\nAuthorizedKeysFile %3\nPidFile %4\n"
                                    "UsePAM no\nStrictModes no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                                    "Subsystem sftp %5\n")
                         .arg(port)
                         .arg(path("host_key"), path("authorized_keys"), path("sshd.pid"), sftp)
                         .toLocal8Bit());
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("/usr/sbin/sshd"), {"-D", "-e", "-f", path("sshd_config")});
        while (!m_log.contains("Server listening") && m_process.waitForReadyRead(15000)) m_log += m_process.readAll();
        EXPECT_TRUE(m_log.contains("Server listening")) << "sshd did not start: " << m_log.toStdString();
    }
    ~SshServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString path(const QString& file) const { return m_dir.filePath(file); }
    QString knownHostsLine() const {
        QFile pub(path("host_key.pub"));
        return pub.open(QIODevice::ReadOnly) ? QStringLiteral("[127.0.0.1]:%1 ").arg(port) + QString::fromLatin1(pub.readAll())
                                             : QString();
    }
    QString fingerprint() const { return runTool("ssh-keygen", {"-l", "-f", path("host_key.pub")}).section(' ', 1, 1); }

    int port = 0;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QByteArray m_log;
};

// A home folder with SSH keys and known hosts, standing in for the user's.
struct SshHome {
    SshHome() { QDir(dir.path()).mkpath(QStringLiteral(".ssh")); }
    QString key(const char* type) {
        const QString file = dir.filePath(QStringLiteral(".ssh/id_") + QLatin1String(type));
        runTool("ssh-keygen", {"-q", "-t", QLatin1String(type), "-N", "", "-C", "user", "-f", file});
        return file;
    }
    void knownHosts(const QString& text) {
        QFile f(dir.filePath(QStringLiteral(".ssh/known_hosts")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toLatin1());
    }
    QTemporaryDir dir;
    ScopedEnv home{"HOME", dir.path()};
    ScopedEnv agent{"SSH_AUTH_SOCK", std::nullopt};
};

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

QString currentUser() {
    const passwd* pw = getpwuid(geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

TEST(Upload, SftpSendsWithTheUsersKeyIntoANewFolderAndReplacesEarlierVersions) {
    if (!SshServer::available()) GTEST_SKIP() << "/usr/sbin/sshd is not installed (package openssh-server)";
    SshHome home;
    home.key("ecdsa"); // offered first, but the server does not know it
    const QString known = home.key("ed25519");
    SshServer server({known});
    home.knownHosts(server.knownHostsLine());
    LocalFiles local;
    QTemporaryDir remote;
    const QString folder = remote.filePath(QStringLiteral("new/site"));
    const ts::UploadAccount a{QStringLiteral("sftp://127.0.0.1:%1").arg(server.port), currentUser(), kPassword, folder};
    const QStringList names{QStringLiteral("index.htm"), QStringLiteral("big.bin"), QStringLiteral("Grüße ä.htm")};

    auto results = runUpload(a, local.paths(names));
    EXPECT_EQ(ts::uploadReport(results).toStdString(), "index.htm: arrived\nbig.bin: arrived\nGrüße ä.htm: arrived");
    auto content = [&](const QString& name) {
        QFile f(folder + '/' + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    for (const QString& name : names) EXPECT_TRUE(content(name) == local.bytes[name]) << name.toStdString();

    // Sending a changed page again replaces the one on the server.
    local.write(QStringLiteral("index.htm"), "<HTML>changed</HTML>");
    results = runUpload(a, local.paths({QStringLiteral("index.htm")}));
    EXPECT_EQ(ts::uploadReport(results).toStdString(), "index.htm: arrived");
    EXPECT_EQ(content(QStringLiteral("index.htm")).toStdString(), "<HTML>changed</HTML>");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList{"Grüße ä.htm", "big.bin", "index.htm"}));
}

TEST(Upload, SftpReplacesAFileOnlyOnceTheNewOneIsInPlaceAndKeepsItsPermissions) {
    if (!SshServer::available()) GTEST_SKIP() << "/usr/sbin/sshd is not installed (package openssh-server)";
    SshHome home;
    const QString key = home.key("ed25519");
    LocalFiles local;
    local.write(QStringLiteral("page.htm"), "<P>page</P>");
    const QByteArray earlier = "<HTML>earlier</HTML>";
    const mode_t keptMode = 0775; // beyond what the server's umask lets a new file have
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(0);
    };
    const struct {
        const char* what;
        QString sftp;
        bool arrives;
    } cases[] = {
        {"renames onto a free name only, as OpenSSH does", QStringLiteral("internal-sftp"), true},
        {"refuses every rename", QStringLiteral("internal-sftp -P rename"), false},
        {"refuses the new file's rename after the earlier one stepped aside",
         QStringLiteral("/usr/bin/python3 " TAGSMITH_SFTP_FAIL_RENAME " /index.htm /usr/lib/openssh/sftp-server"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SshServer server({key}, c.sftp);
        home.knownHosts(server.knownHostsLine());
        QTemporaryDir remote;
        const QString folder = remote.filePath(QStringLiteral("site"));
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/page.htm"))); // a folder where a page would go
        {
            QFile f(folder + QStringLiteral("/index.htm"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(earlier);
        }
        ASSERT_EQ(::chmod(QFile::encodeName(folder + QStringLiteral("/index.htm")).constData(), keptMode), 0);
        const ts::UploadAccount a{QStringLiteral("sftp://127.0.0.1:%1").arg(server.port), currentUser(), kPassword, folder};
        const auto results = runUpload(a, local.paths({QStringLiteral("index.htm"), QStringLiteral("page.htm")}));
        ASSERT_EQ(results.size(), 2u);
        const QString report = ts::uploadReport(results);
        EXPECT_EQ(results[0].arrived, c.arrives) << report.toStdString();
        QFile index(folder + QStringLiteral("/index.htm"));
        ASSERT_TRUE(index.open(QIODevice::ReadOnly));
        EXPECT_EQ(index.readAll(), c.arrives ? local.bytes[QStringLiteral("index.htm")] : earlier);
        EXPECT_EQ(mode(index.fileName()), keptMode);
        // The folder stays a folder, and nothing of the attempts is left behind.
        EXPECT_EQ(results[1].message, "not sent, a folder of this name is on the server");
        EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/page.htm")).isDir());
        const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        EXPECT_EQ(left.join('|').toStdString(), "index.htm|page.htm");
    }
}

TEST(Upload, SftpRefusesAnUnknownHostKeyAndAKeyTheServerDoesNotKnow) {
    if (!SshServer::available()) GTEST_SKIP() << "/usr/sbin/sshd is not installed (package openssh-server)";
    SshHome home;
    const QString key = home.key("ed25519");
    SshServer server({key});
    SshHome stranger; // another user's home: its key is not authorized
    const QString strangerKey = stranger.key("ed25519");
    LocalFiles local;
    QTemporaryDir remote;
    const ts::UploadAccount a{QStringLiteral("sftp://127.0.0.1:%1").arg(server.port), currentUser(), kPassword,
                              remote.filePath(QStringLiteral("site"))};

    struct Case {
        const char* what;
        SshHome* home;
        QString knownHosts;
        QStringList phrases;
    } cases[] = {
        {"unknown host key", &home, QString(),
         {"not among the known hosts", QStringLiteral("ssh-keyscan -p %1 127.0.0.1").arg(server.port), server.fingerprint()}},
        {"another key for this host", &home, server.knownHostsLine().section(' ', 0, 0) + ' ' + readAll(strangerKey + ".pub"),
         {"differs from the one among the known hosts", QStringLiteral("\"ssh-keygen -R '[127.0.0.1]:%1'\"").arg(server.port),
          server.fingerprint()}},
        {"key not authorized", &stranger, server.knownHostsLine(), {"login refused", strangerKey + ".pub", "authorized keys"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv useHome("HOME", c.home->dir.path());
        c.home->knownHosts(c.knownHosts);
        const auto results = runUpload(a, local.paths({QStringLiteral("index.htm"), QStringLiteral("big.bin")}));
        ASSERT_EQ(results.size(), 2u);
        const QString report = ts::uploadReport(results);
        EXPECT_FALSE(results[0].arrived || results[1].arrived) << report.toStdString();
        for (const QString& phrase : c.phrases) EXPECT_TRUE(results[0].message.contains(phrase)) << report.toStdString();
        EXPECT_TRUE(results[1].message.startsWith("not sent, ")) << report.toStdString();
        EXPECT_FALSE(report.contains(kPassword));
        EXPECT_TRUE(QDir(remote.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        // The command the message advises removes the host's entry.
        const QRegularExpressionMatch advice =
            QRegularExpression(QStringLiteral("\"ssh-keygen -R '?([^'\"]+)'?\"")).match(results[0].message);
        if (advice.hasMatch()) {
            const QString knownHosts = c.home->dir.filePath(QStringLiteral(".ssh/known_hosts"));
            runTool("ssh-keygen", {"-R", advice.captured(1), "-f", knownHosts});
            EXPECT_EQ(readAll(knownHosts).toStdString(), "");
        }
    }
}

} // namespace
