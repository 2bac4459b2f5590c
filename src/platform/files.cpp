#include "platform/files.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {

// ---- Handle and loops ---------------------------------------------------------

FileHandle FileHandle::open(const QByteArray& path, int flags, int mode) {
    return FileHandle(retryEintr([&] { return ::open(path.constData(), flags, mode); }));
}

int FileHandle::close() {
    const int fd = std::exchange(m_fd, -1);
    return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
}

namespace {

int writeLoop(int fd, std::string_view data) {
    while (!data.empty()) {
        const size_t chunk = std::min<size_t>(data.size(), size_t(1) << 30);
        const ssize_t n = retryEintr([&] { return ::write(fd, data.data(), chunk); });
        if (n < 0) return errno;
        if (n == 0) return EIO;
        data.remove_prefix(size_t(n));
    }
    return 0;
}

// A large file goes to the disk while it is written, a window at a time,
// and each window leaves the page cache once it is on the disk: the system
// needs no fresh memory for a cached copy of the whole file (on a virtual
// machine, fresh memory costs more than the disk), and other files stay
// cached. The caller's fsync still decides what is durable; these are hints,
// and a file system that does not take them is written all the same.
class StreamingWriter {
public:
    static constexpr off_t kWindow = off_t(8) << 20;
    static constexpr off_t kFrom = off_t(16) << 20;

    StreamingWriter(int fd, off_t total) : m_fd(fd) {
        struct stat st {};
        if (total < kFrom || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
        m_start = m_done = ::lseek(fd, 0, SEEK_CUR);
    }

    int write(std::string_view data) {
        if (m_start < 0) return writeLoop(m_fd, data);
        while (!data.empty()) {
            const off_t windowEnd = (m_done - m_start) / kWindow * kWindow + kWindow + m_start;
            const size_t part = size_t(std::min<off_t>(off_t(data.size()), windowEnd - m_done));
            if (int err = writeLoop(m_fd, data.substr(0, part))) return err;
            data.remove_prefix(part);
            m_done += off_t(part);
            if (m_done == windowEnd) windowFull(windowEnd - kWindow);
        }
        return 0;
    }

private:
    void windowFull(off_t from) {
        ::sync_file_range(m_fd, from, kWindow, SYNC_FILE_RANGE_WRITE);
        // Two windows behind: on the disk by now, or soon.
        const off_t old = from - 2 * kWindow;
        if (old < m_start) return;
        ::sync_file_range(m_fd, old, kWindow,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(m_fd, old, kWindow, POSIX_FADV_DONTNEED);
    }

    int m_fd;
    off_t m_start = -1;
    off_t m_done = 0;
};

} // namespace

int writeAll(int fd, std::string_view data) {
    const std::string_view pieces[] = {data};
    return writeAll(fd, pieces);
}

int writeAll(int fd, std::span<const std::string_view> pieces) {
    off_t total = 0;
    for (std::string_view piece : pieces) total += off_t(piece.size());
    StreamingWriter writer(fd, total);
    for (std::string_view piece : pieces)
        if (int err = writer.write(piece)) return err;
    return 0;
}

int readAll(int fd, QByteArray& out, qsizetype sizeHint) {
    // One byte more than expected, so the end shows without growing the
    // buffer; a file that grows meanwhile is read to its new end.
    out = QByteArray(std::max<qsizetype>(sizeHint, 0) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == out.size()) out.resize(out.size() * 2);
        const ssize_t n = retryEintr([&] { return ::read(fd, out.data() + got, size_t(out.size() - got)); });
        if (n < 0) {
            out.truncate(got);
            return errno;
        }
        if (n == 0) break;
        got += n;
    }
    out.truncate(got);
    return 0;
}

int syncFile(int fd) { return retryEintr([&] { return ::fsync(fd); }) == 0 ? 0 : errno; }

int syncFolder(const QByteArray& dir) {
    FileHandle d = FileHandle::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (!d) return errno;
    const int err = syncFile(d.get());
    return err == EINVAL ? 0 : err;
}

FileHandle lockFile(const QByteArray& path, bool wait, int* err) {
    FileHandle fd = FileHandle::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (!fd) {
        *err = errno;
        return fd;
    }
    if ((*err = lockOpenFile(fd.get(), wait))) return FileHandle();
    return fd;
}

int lockOpenFile(int fd, bool wait) {
    if (retryEintr([&] { return ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB); }) == 0) return 0;
    return wait && (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS) ? 0 : errno;
}

QString systemErrorText(int err) {
    switch (err) {
    case ENOENT: return QStringLiteral("Datei oder Verzeichnis nicht gefunden.");
    case EACCES: return QStringLiteral("Zugriff verweigert.");
    case EPERM: return QStringLiteral("Die Operation ist nicht erlaubt.");
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EDQUOT: return QStringLiteral("Das Speicherkontingent ist erschöpft.");
    case EFBIG: return QStringLiteral("Die Datei ist zu groß.");
    case EROFS: return QStringLiteral("Das Dateisystem ist schreibgeschützt.");
    case EISDIR: return QStringLiteral("Das ist ein Verzeichnis.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Verzeichnis.");
    case ENAMETOOLONG: return QStringLiteral("Der Dateiname ist zu lang.");
    case ELOOP: return QStringLiteral("Zu viele Ebenen symbolischer Links.");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler.");
    case ENOMEM: return QStringLiteral("Nicht genügend Arbeitsspeicher.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Zu viele offene Dateien.");
    case ETXTBSY: return QStringLiteral("Die Datei wird gerade ausgeführt.");
    default: return QString::fromLocal8Bit(std::strerror(err)) + QLatin1Char('.');
    }
}

// ---- Identity -------------------------------------------------------------------

FileIdentity FileIdentity::fromStat(const struct stat& st) {
    FileIdentity id;
    id.exists = true;
    id.size = static_cast<qint64>(st.st_size);
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.device = static_cast<quint64>(st.st_dev);
    id.inode = static_cast<quint64>(st.st_ino);
    return id;
}

FileIdentity FileIdentity::of(const QString& path, int* err) {
    if (err) *err = 0;
    struct stat st {};
    if (path.isEmpty()) return {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (err && errno != ENOENT && errno != ENOTDIR) *err = errno;
        return {};
    }
    return fromStat(st);
}

FileIdentity FileIdentity::ofOpenFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? fromStat(st) : FileIdentity{};
}

bool FileIdentity::same(const FileIdentity& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    if (size != other.size || mtimeNs != other.mtimeNs) return false;
    if (partial || other.partial) return true;
    return ctimeNs == other.ctimeNs && device == other.device && inode == other.inode;
}

} // namespace ts
