#include "editor/docfile.h"

#include "editor/cp1252.h"
#include "platform/messages.h"
#include "platform/terror.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {
namespace {

constexpr std::string_view kBom{"\xEF\xBB\xBF", 3};
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline std::uint64_t load8(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

inline bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid multi-byte sequence at p (lead byte >= 0x80), or 0.
inline int multiByteLength(const unsigned char* p, size_t avail) {
    const unsigned char b0 = p[0];
    if (b0 < 0xC2) return 0; // a continuation byte, or the lead of an overlong pair
    if (b0 < 0xE0) return avail >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b0 < 0xF0) {
        if (avail < 3) return 0;
        // E0 would be overlong below A0, ED a surrogate from A0 on.
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) ? 3 : 0;
    }
    if (b0 < 0xF5) {
        if (avail < 4) return 0;
        // F0 would be overlong below 90, F4 above U+10FFFF from 90 on.
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= lo && p[1] <= hi && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.exists = true;
    id.size = static_cast<qint64>(st.st_size);
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.device = static_cast<quint64>(st.st_dev);
    id.inode = static_cast<quint64>(st.st_ino);
    return id;
}

// ---- Failures -------------------------------------------------------------

QString reasonText(int err) {
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

const QString kNotRegular = QStringLiteral("Das ist keine gewöhnliche Datei.");

[[noreturn]] void throwReadError(const QString& path, const QString& reason) {
    throw TError(QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. %2")
                     .arg(QDir::toNativeSeparators(path), reason));
}

QString writeMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

[[noreturn]] void throwWriteError(const QString& path, int err) {
    throw TError(writeMessage(path, reasonText(err)));
}

// ---- System calls that may be interrupted ---------------------------------

template <typename F>
auto retry(F f) {
    for (;;) {
        auto r = f();
        if (r >= 0 || errno != EINTR) return r;
    }
}

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(Fd&& o) noexcept : m_fd(o.m_fd) { o.m_fd = -1; }
    Fd& operator=(Fd&& o) noexcept {
        std::swap(m_fd, o.m_fd);
        return *this;
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes and reports the error close() gives (some file systems only
    // report a failed write here); 0 on success.
    int close() {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

private:
    int m_fd = -1;
};

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const size_t chunk = std::min<size_t>(data.size(), size_t(1) << 30);
        const ssize_t n = retry([&] { return ::write(fd, data.data(), chunk); });
        if (n < 0) return errno;
        if (n == 0) return EIO;
        data.remove_prefix(size_t(n));
    }
    return 0;
}

int writePieces(int fd, std::span<const std::string_view> pieces) {
    for (std::string_view piece : pieces)
        if (int err = writeAll(fd, piece)) return err;
    return 0;
}

int syncFd(int fd) { return retry([&] { return ::fsync(fd); }) == 0 ? 0 : errno; }

// Copies the whole content of `from` over the start of `to`; both from offset 0.
int copyContent(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) < 0 || ::lseek(to, 0, SEEK_SET) < 0) return errno;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = retry([&] { return ::read(from, buffer.data(), size_t(buffer.size())); });
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (int err = writeAll(to, std::string_view(buffer.constData(), size_t(n)))) return err;
    }
}

// ---- Paths ----------------------------------------------------------------

QByteArray dirOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray nameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// Syncs a folder so that a rename or a new file in it survives a crash. Some
// file systems cannot sync folders (EINVAL); they need not.
int syncDir(const QByteArray& dir) {
    Fd d(retry([&] { return ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    if (!d) return errno;
    const int err = syncFd(d.get());
    return err == EINVAL ? 0 : err;
}

// The file a path names after following symbolic links; `exists` is false
// for a path (or a dangling link) that names no file yet.
struct Target {
    QByteArray path;
    bool exists = false;
    struct stat st {};
};

Target resolveTarget(const QString& userPath) {
    Target t;
    t.path = QFile::encodeName(userPath);
    if (t.path.isEmpty()) throwWriteError(userPath, ENOENT);
    for (int hops = 0;; ++hops) {
        if (::lstat(t.path.constData(), &t.st) != 0) {
            if (errno != ENOENT) throwWriteError(userPath, errno);
            t.exists = false;
            return t;
        }
        if (!S_ISLNK(t.st.st_mode)) {
            t.exists = true;
            return t;
        }
        if (hops == 40) throwWriteError(userPath, ELOOP);
        QByteArray link(qsizetype(t.st.st_size > 0 ? t.st.st_size : 255) + 1, Qt::Uninitialized);
        for (;;) {
            const ssize_t n = ::readlink(t.path.constData(), link.data(), size_t(link.size()));
            if (n < 0) throwWriteError(userPath, errno);
            if (n < link.size()) {
                link.truncate(n);
                break;
            }
            link.resize(link.size() * 2);
        }
        t.path = link.startsWith('/') ? link : dirOf(t.path) + '/' + link;
    }
}

// ---- Files a save keeps beside the target while it runs -------------------
//
// Both have names the next save of the same file knows: ".<name>.tagsmith.tmp"
// (new content or a backup being written) and ".<name>.tagsmith.bak" (the
// whole old content while an in-place save overwrites the file). Where the
// folder takes no new files they go to the temporary folder, named after the
// file's device and inode.

struct SavePlace {
    QByteArray dir, temp, backup;
};

SavePlace besidePlace(const QByteArray& target) {
    // Long names are shortened to stay within the limit of a file name; a hash
    // of the whole name keeps two of them apart.
    QByteArray name = nameOf(target);
    if (name.size() > 200)
        name = name.left(180) + '~' + QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(16);
    const QByteArray dir = dirOf(target);
    const QByteArray stem = dir + "/." + name + ".tagsmith";
    return {dir, stem + ".tmp", stem + ".bak"};
}

SavePlace tempFolderPlace(const struct stat& st) {
    const QByteArray dir = QFile::encodeName(QDir::tempPath());
    const QByteArray stem = dir + "/.tagsmith-" + QByteArray::number(quint64(st.st_dev), 16) + '-' +
                            QByteArray::number(quint64(st.st_ino), 16);
    return {dir, stem + ".tmp", stem + ".bak"};
}

// flock, waiting for whoever holds it. A file system without locks has nothing
// to wait for.
int lockFd(int fd, int how) {
    if (retry([&] { return ::flock(fd, how); }) == 0) return 0;
    return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
}

// Locks an open file until the returned copy of its descriptor is closed too,
// so the lock can outlast a close that reports write errors.
Fd lockFile(int fd, int* err) {
    if ((*err = lockFd(fd, LOCK_EX))) return Fd();
    Fd copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy) *err = errno;
    return copy;
}

bool isFileAt(int fd, const QByteArray& path) {
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Creates the temporary file, locked for as long as it is open. One already
// there belongs to a save running now, which is waited for, or to one that
// was killed: its lock can be taken, and it is removed.
Fd createTempFile(const QByteArray& path, mode_t mode, int* err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        Fd fd(retry([&] { return ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode); }));
        if (fd) {
            if ((*err = lockFd(fd.get(), LOCK_EX))) return Fd();
            // Another save may have taken it for a leftover before the lock.
            if (isFileAt(fd.get(), path)) return fd;
            continue;
        }
        if (errno != EEXIST) {
            *err = errno;
            return Fd();
        }
        const auto openOld = [&](int access) {
            return Fd(retry([&] { return ::open(path.constData(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); }));
        };
        Fd old = openOld(O_RDONLY);
        if (!old && errno == EACCES) old = openOld(O_WRONLY);
        if (!old) {
            if (errno == ENOENT) continue;
            *err = errno;
            return Fd();
        }
        struct stat st {};
        if (::fstat(old.get(), &st) != 0) {
            *err = errno;
            return Fd();
        }
        if (!S_ISREG(st.st_mode)) {
            *err = EEXIST;
            return Fd();
        }
        if ((*err = lockFd(old.get(), LOCK_EX))) return Fd();
        if (isFileAt(old.get(), path) && ::unlink(path.constData()) != 0 && errno != ENOENT) {
            *err = errno;
            return Fd();
        }
    }
    *err = EEXIST;
    return Fd();
}

// The backup of an in-place save of the file (`st` as it was then) that did
// not finish. Only the user's own: a file planted by someone else is no backup.
std::optional<SavePlace> findSaveBackup(const QByteArray& target, const struct stat& st) {
    for (const SavePlace& place : {besidePlace(target), tempFolderPlace(st)}) {
        struct stat b {};
        if (::lstat(place.backup.constData(), &b) == 0 && S_ISREG(b.st_mode) && b.st_uid == ::geteuid())
            return place;
    }
    return std::nullopt;
}

// After a finished save no backup of the file is left, wherever one was.
void removeSaveBackups(const QByteArray& target, const struct stat& st) {
    while (const std::optional<SavePlace> place = findSaveBackup(target, st)) {
        if (::unlink(place->backup.constData()) != 0) return;
        syncDir(place->dir);
    }
}

// Removes a file of ours unless told to keep it.
class RemoveGuard {
public:
    explicit RemoveGuard(QByteArray path) : m_path(std::move(path)) {}
    ~RemoveGuard() {
        if (!m_path.isEmpty()) ::unlink(m_path.constData());
    }
    void keep() { m_path.clear(); }
    RemoveGuard(const RemoveGuard&) = delete;
    RemoveGuard& operator=(const RemoveGuard&) = delete;

private:
    QByteArray m_path;
};

// Writes a temporary file and renames it over the target. Returns false,
// having changed nothing, when the file must be written in place instead.
bool replaceByRename(const QString& userPath, const Target& t, std::span<const std::string_view> pieces,
                     FileIdentity* written) {
    const SavePlace place = besidePlace(t.path);
    int err = 0;
    // A new file gets the usual 0666 less the umask (and the folder's default ACL).
    Fd fd = createTempFile(place.temp, t.exists ? 0600 : 0666, &err);
    if (!fd) {
        if (t.exists && (err == EACCES || err == EPERM)) return false;
        throwWriteError(userPath, err);
    }
    // Held until the rename is done; the guard removes the file while it is.
    Fd lock = lockFile(fd.get(), &err);
    if (!lock) throwWriteError(userPath, err);
    RemoveGuard guard(place.temp);

    if (t.exists) {
        struct stat ts {};
        if (::fstat(fd.get(), &ts) != 0) throwWriteError(userPath, errno);
        // The group first: changing it may clear the set-id bits that fchmod then puts back.
        if (ts.st_gid != t.st.st_gid && ::fchown(fd.get(), uid_t(-1), t.st.st_gid) != 0) return false;
        if (::fchmod(fd.get(), t.st.st_mode & 07777) != 0) throwWriteError(userPath, errno);
    }
    struct stat before {};
    if ((err = writePieces(fd.get(), pieces)) || (err = syncFd(fd.get())) ||
        (err = ::fstat(fd.get(), &before) != 0 ? errno : 0) || (err = fd.close()))
        throwWriteError(userPath, err);
    if (::rename(place.temp.constData(), t.path.constData()) != 0) throwWriteError(userPath, errno);
    guard.keep();
    // The rename changes the file's change time; a write by someone else
    // since the content was synced changes its size or modification time too,
    // and the look from before the rename then tells that it is not ours.
    struct stat after {};
    const bool untouched = ::fstat(lock.get(), &after) == 0 && after.st_size == before.st_size &&
                           after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                           after.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
    *written = identityOf(untouched ? after : before);
    // The new content is in place now; a folder that fails to sync can at
    // worst bring back the old file after a crash, so this is no failure.
    syncDir(place.dir);
    if (t.exists) removeSaveBackups(t.path, t.st);
    return true;
}

// Overwrites the target in place after a synced backup of its old content.
FileIdentity writeInPlace(const QString& userPath, const Target& t, std::span<const std::string_view> pieces) {
    Fd fd(retry([&] { return ::open(t.path.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY); }));
    if (!fd) throwWriteError(userPath, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throwWriteError(userPath, errno);
    if (!S_ISREG(st.st_mode)) throw TError(writeMessage(userPath, kNotRegular));

    // One in-place save of a file at a time, by whichever of its names.
    int err = 0;
    Fd lock = lockFile(fd.get(), &err);
    if (!lock) throwWriteError(userPath, err);

    // The backup goes beside the file; when that folder takes no new files, to
    // the temporary folder. It is written under the temporary name and renamed
    // when whole, so a backup found later always holds the whole old content.
    // One left by a save that did not finish is replaced: the file's present
    // content is what this save started from.
    SavePlace place = besidePlace(t.path);
    Fd backup = createTempFile(place.temp, 0600, &err);
    if (!backup && (err == EACCES || err == EPERM || err == EROFS)) {
        place = tempFolderPlace(st);
        backup = createTempFile(place.temp, 0600, &err);
    }
    if (!backup) throwWriteError(userPath, err);
    {
        RemoveGuard temp(place.temp);
        if ((err = copyContent(fd.get(), backup.get())) || (err = syncFd(backup.get())))
            throwWriteError(userPath, err);
        if (::rename(place.temp.constData(), place.backup.constData()) != 0) throwWriteError(userPath, errno);
        temp.keep();
    }
    RemoveGuard guard(place.backup);
    if ((err = syncDir(place.dir))) throwWriteError(userPath, err);

    // Overwriting before truncating keeps the old blocks, so a restore after
    // a full disk has the room it needs.
    off_t total = 0;
    for (std::string_view piece : pieces) total += off_t(piece.size());
    if (::lseek(fd.get(), 0, SEEK_SET) < 0) err = errno;
    if (!err) err = writePieces(fd.get(), pieces);
    if (!err && retry([&] { return ::ftruncate(fd.get(), total); }) != 0) err = errno;
    if (!err) err = syncFd(fd.get());
    struct stat written {};
    if (!err && ::fstat(fd.get(), &written) != 0) err = errno;
    if (!err) err = fd.close();
    if (!err) {
        guard.keep();
        removeSaveBackups(t.path, st);
        return identityOf(written);
    }

    int restoreErr = fd ? copyContent(backup.get(), fd.get()) : EIO;
    if (!restoreErr && retry([&] { return ::ftruncate(fd.get(), st.st_size); }) != 0) restoreErr = errno;
    if (!restoreErr) restoreErr = syncFd(fd.get());
    if (restoreErr) {
        guard.keep();
        throw TError(writeMessage(userPath, reasonText(err)) +
                     QStringLiteral(" Der alte Inhalt ist in \"%1\" gesichert.")
                         .arg(QDir::toNativeSeparators(QFile::decodeName(place.backup))));
    }
    throwWriteError(userPath, err);
}

} // namespace

FileIdentity FileIdentity::of(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return identityOf(st);
}

bool FileIdentity::same(const FileIdentity& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    if (size != other.size || mtimeNs != other.mtimeNs) return false;
    if (partial || other.partial) return true;
    return ctimeNs == other.ctimeNs && device == other.device && inode == other.inode;
}

// ---- Text -----------------------------------------------------------------

int decodeUtf8Char(std::string_view s, char32_t* c) {
    if (s.empty()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    if (p[0] < 0x80) {
        *c = p[0];
        return 1;
    }
    const int length = multiByteLength(p, s.size());
    switch (length) {
    case 2: *c = char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F); break;
    case 3: *c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F); break;
    case 4:
        *c = char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
             (p[3] & 0x3F);
        break;
    default: break;
    }
    return length;
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        // Documents are mostly ASCII: skip it 16 bytes at a time.
        while (n - i >= 16 && ((load8(p + i) | load8(p + i + 8)) & kHighBits) == 0) i += 16;
        if (i == n) break;
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = multiByteLength(p + i, n - i);
        if (length == 0) return false;
        i += size_t(length);
    }
    return true;
}

std::optional<LoadedDocument> decodeDocument(QByteArray bytes) {
    const std::string_view all(bytes.constData(), size_t(bytes.size()));
    if (!all.empty() && std::memchr(all.data(), 0, all.size())) return std::nullopt;

    LoadedDocument doc;
    const bool bom = all.starts_with(kBom);
    if (isValidUtf8(bom ? all.substr(kBom.size()) : all)) {
        doc.format = {TextEncoding::Utf8, bom};
        if (bom) bytes.remove(0, qsizetype(kBom.size())); // moves the start, copies nothing
        doc.utf8 = std::move(bytes);
    } else {
        doc.format = {TextEncoding::Windows1252, false};
        doc.utf8 = cp1252::decodeToUtf8(all);
        bytes = QByteArray();
    }
    doc.lineBreak = detectLineBreak(std::string_view(doc.utf8.constData(), size_t(doc.utf8.size())));
    return doc;
}

namespace {

// Opens a document file for reading and refuses what is not a regular file.
Fd openForReading(const QString& path, struct stat& st) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) throwReadError(path, reasonText(ENOENT));
    // O_NONBLOCK so that a named pipe cannot hang the program before it is refused.
    Fd fd(retry([&] { return ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
    if (!fd) throwReadError(path, reasonText(errno));
    if (::fstat(fd.get(), &st) != 0) throwReadError(path, reasonText(errno));
    if (S_ISDIR(st.st_mode)) throwReadError(path, reasonText(EISDIR));
    if (!S_ISREG(st.st_mode)) throwReadError(path, kNotRegular);
    return fd;
}

// Finds the first line break of a text that arrives in pieces.
struct LineBreakScan {
    std::optional<LineBreak> found;
    bool pendingCr = false;
    void feed(std::string_view s) {
        for (size_t i = 0; i < s.size() && !found; ++i) {
            const char c = s[i];
            if (pendingCr) found = c == '\n' ? LineBreak::CrLf : LineBreak::Cr;
            else if (c == '\r') pendingCr = true;
            else if (c == '\n') found = LineBreak::Lf;
        }
    }
    LineBreak result() const { return found ? *found : pendingCr ? LineBreak::Cr : LineBreak::CrLf; }
};

// Bytes at the end of s that start a UTF-8 character not yet complete.
size_t incompleteTail(std::string_view s) {
    for (size_t back = 1; back <= 3 && back <= s.size(); ++back) {
        const auto b = static_cast<unsigned char>(s[s.size() - back]);
        if ((b & 0xC0) == 0x80) continue;
        const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return need > back ? back : 0;
    }
    return 0;
}

} // namespace

DocumentShape streamDocumentFile(const QString& path, DocumentSink& sink, size_t chunkSize) {
    struct stat st {};
    Fd fd = openForReading(path, st);
    chunkSize = std::max<size_t>(chunkSize, 4);
    std::string buffer(chunkSize + 3, '\0');
    const QString nulReason = QStringLiteral("Sie enthält Nullbytes und ist daher keine Textdatei.");
    auto readSome = [&](char* at, size_t want) {
        const ssize_t n = retry([&] { return ::read(fd.get(), at, want); });
        if (n < 0) throwReadError(path, reasonText(errno));
        return size_t(n);
    };

    // First as UTF-8, straight into the sink, so the file is never held twice.
    DocumentShape shape;
    shape.identity = identityOf(st);
    LineBreakScan scan;
    sink.begin(qint64(st.st_size));
    size_t carry = 0;
    bool first = true;
    bool utf8 = true;
    for (;;) {
        const size_t n = readSome(buffer.data() + carry, chunkSize);
        if (n == 0) break;
        std::string_view data(buffer.data(), carry + n);
        if (std::memchr(data.data() + carry, 0, n)) throwReadError(path, nulReason);
        if (first && data.size() < kBom.size() && st.st_size >= qint64(kBom.size())) {
            carry = data.size(); // too short to tell a byte-order mark yet
            continue;
        }
        if (first) {
            first = false;
            if (data.starts_with(kBom)) {
                shape.format.bom = true;
                data.remove_prefix(kBom.size());
            }
        }
        const size_t tail = incompleteTail(data);
        const std::string_view complete = data.substr(0, data.size() - tail);
        if (!isValidUtf8(complete)) {
            utf8 = false;
            break;
        }
        sink.append(complete);
        scan.feed(complete);
        std::memmove(buffer.data(), data.data() + complete.size(), tail);
        carry = tail;
    }
    if (utf8 && carry > 0) {
        // A short file or an unfinished last character.
        const std::string_view rest(buffer.data(), carry);
        const bool bom = first && rest.starts_with(kBom);
        if (bom) shape.format.bom = true;
        const std::string_view body = bom ? rest.substr(kBom.size()) : rest;
        if (isValidUtf8(body)) {
            sink.append(body);
            scan.feed(body);
        } else {
            utf8 = false;
        }
    }
    if (utf8) {
        shape.format.encoding = TextEncoding::Utf8;
        shape.lineBreak = scan.result();
        return shape;
    }

    // Not UTF-8: everything again, as Windows-1252.
    if (::lseek(fd.get(), 0, SEEK_SET) != 0) throwReadError(path, reasonText(errno));
    shape.format = DocumentFormat{TextEncoding::Windows1252, false};
    scan = LineBreakScan{};
    sink.begin(qint64(st.st_size) + qint64(st.st_size) / 4);
    for (;;) {
        const size_t n = readSome(buffer.data(), chunkSize);
        if (n == 0) break;
        const std::string_view raw(buffer.data(), n);
        if (std::memchr(raw.data(), 0, n)) throwReadError(path, nulReason);
        const QByteArray text = cp1252::decodeToUtf8(raw);
        sink.append(std::string_view(text.constData(), size_t(text.size())));
        scan.feed(raw);
    }
    shape.lineBreak = scan.result();
    return shape;
}

LoadedDocument loadDocumentFile(const QString& path) {
    struct stat st {};
    Fd fd = openForReading(path, st);

    // One byte more than the size, so the end shows without growing the
    // buffer; a file that grows meanwhile is read to its new end.
    QByteArray bytes(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = retry([&] { return ::read(fd.get(), bytes.data() + got, size_t(bytes.size() - got)); });
        if (n < 0) throwReadError(path, reasonText(errno));
        if (n == 0) break;
        got += n;
    }
    bytes.truncate(got);
    fd.close();

    std::optional<LoadedDocument> doc = decodeDocument(std::move(bytes));
    if (!doc) throwReadError(path, QStringLiteral("Sie enthält Nullbytes und ist daher keine Textdatei."));
    doc->identity = identityOf(st);
    return std::move(*doc);
}

EncodedDocument encodeDocument(std::string_view utf8, const DocumentFormat& format) {
    EncodedDocument out;
    if (format.encoding == TextEncoding::Utf8) {
        if (format.bom) out.bom = QByteArray(kBom.data(), qsizetype(kBom.size()));
        out.body = QByteArray::fromRawData(utf8.data(), qsizetype(utf8.size()));
    } else {
        out.body = cp1252::encodeFromUtf8(utf8, &out.unmappable);
    }
    return out;
}

LineBreak detectLineBreak(std::string_view text) {
    if (text.empty()) return LineBreak::CrLf;
    const void* lf = std::memchr(text.data(), '\n', text.size());
    const size_t end = lf ? size_t(static_cast<const char*>(lf) - text.data()) : text.size();
    const void* cr = std::memchr(text.data(), '\r', end);
    if (cr) {
        const size_t at = size_t(static_cast<const char*>(cr) - text.data());
        return at + 1 == end && lf ? LineBreak::CrLf : LineBreak::Cr;
    }
    return lf ? LineBreak::Lf : LineBreak::CrLf;
}

QByteArray lineBreakBytes(LineBreak lineBreak) {
    switch (lineBreak) {
    case LineBreak::Lf: return QByteArrayLiteral("\n");
    case LineBreak::Cr: return QByteArrayLiteral("\r");
    case LineBreak::CrLf: break;
    }
    return QByteArrayLiteral("\r\n");
}

// ---- Saving ---------------------------------------------------------------

FileIdentity saveFileAtomically(const QString& path, std::span<const std::string_view> pieces) {
    const Target t = resolveTarget(path);
    FileIdentity written;
    if (t.exists) {
        if (S_ISDIR(t.st.st_mode)) throwWriteError(path, EISDIR);
        if (!S_ISREG(t.st.st_mode)) throw TError(writeMessage(path, kNotRegular));
        if (::faccessat(AT_FDCWD, t.path.constData(), W_OK, AT_EACCESS) != 0) throwWriteError(path, errno);
        // Renaming would split hard links and give the file to us.
        const bool inPlace = t.st.st_nlink > 1 || t.st.st_uid != ::geteuid();
        if (!inPlace && replaceByRename(path, t, pieces, &written)) return written;
        return writeInPlace(path, t, pieces);
    }
    replaceByRename(path, t, pieces, &written);
    return written;
}

QString unfinishedSaveBackup(const QString& path) {
    Target t;
    try {
        t = resolveTarget(path);
    } catch (const TError&) {
        return QString();
    }
    if (!t.exists || !S_ISREG(t.st.st_mode)) return QString();
    Fd fd(retry([&] { return ::open(t.path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return QString();
    // A save running now holds the file's lock: its backup is no leftover.
    if (retry([&] { return ::flock(fd.get(), LOCK_SH | LOCK_NB); }) != 0 && errno == EWOULDBLOCK) return QString();
    const std::optional<SavePlace> place = findSaveBackup(t.path, st);
    return place ? QFile::decodeName(place->backup) : QString();
}

void restoreSaveBackup(const QString& path) {
    const Target t = resolveTarget(path);
    Fd fd(retry([&] { return ::open(t.path.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY); }));
    if (!fd) throwWriteError(path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throwWriteError(path, errno);
    if (!S_ISREG(st.st_mode)) throw TError(writeMessage(path, kNotRegular));
    int err = 0;
    Fd lock = lockFile(fd.get(), &err);
    if (!lock) throwWriteError(path, err);
    const std::optional<SavePlace> place = findSaveBackup(t.path, st);
    if (!place) return; // a save has finished meanwhile

    // In place, as the save was; the backup stays until the file is whole again.
    Fd backup(retry([&] { return ::open(place->backup.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC); }));
    struct stat bs {};
    if (!backup || ::fstat(backup.get(), &bs) != 0) throwWriteError(path, errno);
    if ((err = copyContent(backup.get(), fd.get())) ||
        (err = retry([&] { return ::ftruncate(fd.get(), bs.st_size); }) != 0 ? errno : 0) ||
        (err = syncFd(fd.get())) || (err = fd.close()))
        throwWriteError(path, err);
    removeSaveBackups(t.path, st);
}

void offerSaveBackup(QWidget* parent, const QString& path) {
    const QString backup = unfinishedSaveBackup(path);
    if (backup.isEmpty()) return;
    const QString question =
        QStringLiteral("The last save of \"%1\" did not finish, so the file may be incomplete. Its content from "
                       "before that save is kept in \"%2\". Restore it?")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup));
    if (messages().askYesNo(parent, question) == Answer::Yes) restoreSaveBackup(path);
}

FileIdentity saveDocumentFile(const QString& path, const EncodedDocument& document) {
    const std::string_view pieces[] = {
        std::string_view(document.bom.constData(), size_t(document.bom.size())),
        std::string_view(document.body.constData(), size_t(document.body.size())),
    };
    return saveFileAtomically(path, pieces);
}

} // namespace ts
