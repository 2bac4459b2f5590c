#include "app/singleinstance.h"

#include "app/openfiles.h"
#include "app/tmain.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ts {

namespace {

const QByteArray kMagic = QByteArrayLiteral("Tagsmith open 1");
// A request is a path and a token; anything longer is not one of ours.
constexpr qint64 kMaxRequest = 64 * 1024;

int remaining(const QDeadlineTimer& deadline) { return int(std::max<qint64>(0, deadline.remainingTime())); }

// Serialises the starts of one user and display: each looks for a running
// copy and, finding none, becomes it, before the next one looks.
class StartLock {
public:
    explicit StartLock(const QString& socket) {
        m_fd = ::open(QFile::encodeName(socket + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC,
                      0600);
        if (m_fd < 0) return;
        // A start that hangs holding it is not waited for beyond the answer time.
        const QDeadlineTimer deadline(2 * kRunningCopyAnswerMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR) &&
               !deadline.hasExpired())
            QThread::msleep(10);
    }
    ~StartLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
    int m_fd = -1;
};

bool handOver(const QString& path, const QString& file) {
    const QDeadlineTimer deadline(kRunningCopyAnswerMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(remaining(deadline))) return false;
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << file << qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    }
    socket.write(request);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(remaining(deadline))) return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(remaining(deadline))) return false;
    return socket.read(1) == "1";
}

QString fileNamePart(QString s) {
    for (QChar& c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'-') c = u'_';
    return s.left(64);
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
    if (!m_server) return;
    delete m_server;
    // Removed only while it is still this copy's: one that took over keeps its own.
    const StartLock lock(m_path);
    struct stat st;
    const QByteArray native = QFile::encodeName(m_path);
    if (::lstat(native.constData(), &st) == 0 && uint64_t(st.st_dev) == m_device && uint64_t(st.st_ino) == m_inode)
        ::unlink(native.constData());
}

QString SingleInstance::socketPath() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.startsWith('/')) return QString();
    // Only the user's own folder that nobody else can enter: a socket there
    // cannot be reached, replaced or listened on by another user.
    struct stat st;
    if (::lstat(runtime.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & 0777) != 0700)
        return QString();
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("wayland"))
        display = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    else if (platform == QLatin1String("xcb"))
        display = qEnvironmentVariable("DISPLAY");
    QString name = QStringLiteral("tagsmith-") + fileNamePart(platform);
    if (!display.isEmpty()) name += u'-' + fileNamePart(display);
    return QFile::decodeName(runtime) + u'/' + name;
}

SingleInstance::Start SingleInstance::start(const QString& file) {
    const QString path = socketPath();
    if (path.isEmpty()) return Start::Alone;
    const StartLock lock(path);
    if (handOver(path, file)) return Start::HandedOver;

    // Bound under a name of its own, then renamed over the old one at once: a
    // stale socket, or that of a copy that did not answer, is replaced, and
    // no start ever finds the name missing.
    const QByteArray native = QFile::encodeName(path);
    const QByteArray fresh = native + ".new" + QByteArray::number(::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof address.sun_path || size_t(fresh.size()) >= sizeof address.sun_path)
        return Start::Alone;
    std::memcpy(address.sun_path, fresh.constData(), size_t(fresh.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Start::Alone;
    ::unlink(fresh.constData());
    struct stat st;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
        ::rename(fresh.constData(), native.constData()) != 0 || ::lstat(native.constData(), &st) != 0) {
        ::close(fd);
        ::unlink(fresh.constData());
        return Start::Alone;
    }
    m_path = path;
    m_device = uint64_t(st.st_dev);
    m_inode = uint64_t(st.st_ino);
    m_server = new QLocalServer(this);
    // Qt would remove the name it was bound under when it closes; that name is gone already.
    if (!m_server->listen(qintptr(fd))) {
        delete m_server;
        m_server = nullptr;
        ::close(fd);
        ::unlink(native.constData());
        return Start::Alone;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return Start::Serving;
}

void SingleInstance::serve(TMain& main) { m_main = &main; }

void SingleInstance::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        read(socket);
    }
}

void SingleInstance::read(QLocalSocket* socket) {
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_6_0);
    in.startTransaction();
    QByteArray magic;
    QString file, token;
    in >> magic >> file >> token;
    if (!in.commitTransaction()) {
        // Not all there yet; more than a request can be is not waited for.
        if (in.status() != QDataStream::ReadPastEnd || socket->bytesAvailable() > kMaxRequest) socket->abort();
        return;
    }
    if (magic != kMagic) {
        socket->abort();
        return;
    }
    // Answered at once: opening may show messages that wait for the user.
    socket->write("1");
    socket->flush();
    socket->disconnectFromServer();
    QMetaObject::invokeMethod(this, [this, file, token] { handle(file, token); }, Qt::QueuedConnection);
}

void SingleInstance::handle(const QString& file, const QString& activationToken) {
    if (!m_main) return;
    if (!file.isEmpty()) showFile(*m_main, file);
    bringToFront(*m_main, activationToken);
}

} // namespace ts
