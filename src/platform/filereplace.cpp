#include "platform/files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {
namespace {

// ---- Failures -------------------------------------------------------------

const QString kNotRegular = QStringLiteral("Das ist keine gewöhnliche Datei.");

QString writeMessage(const QString& path, const QString& reason) {
    return QStringLiteral("Datei \"%1\" kann nicht geschrieben werden. %2")
        .arg(QDir::toNativeSeparators(path), reason);
}

[[noreturn]] void throwWriteError(const QString& path, int err) {
    throw FileWriteError(writeMessage(path, systemErrorText(err)), err, systemErrorText(err));
}

[[noreturn]] void throwNotRegular(const QString& path) {
    throw FileWriteError(writeMessage(path, kNotRegular), 0, kNotRegular);
}

// Copies the whole content of `from` over the start of `to`; both from offset 0.
int copyContent(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) < 0 || ::lseek(to, 0, SEEK_SET) < 0) return errno;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = retryEintr([&] { return ::read(from, buffer.data(), size_t(buffer.size())); });
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

// Locks an open file until the returned copy of its descriptor is closed too,
// so the lock can outlast a close that reports write errors.
FileHandle lockedCopy(int fd, int* err) {
    if ((*err = lockOpenFile(fd, true))) return FileHandle();
    FileHandle copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
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
FileHandle createTempFile(const QByteArray& path, mode_t mode, int* err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        FileHandle fd = FileHandle::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd) {
            if ((*err = lockOpenFile(fd.get(), true))) return FileHandle();
            // Another save may have taken it for a leftover before the lock.
            if (isFileAt(fd.get(), path)) return fd;
            continue;
        }
        if (errno != EEXIST) {
            *err = errno;
            return FileHandle();
        }
        const auto openOld = [&](int access) {
            return FileHandle::open(path, access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        };
        FileHandle old = openOld(O_RDONLY);
        if (!old && errno == EACCES) old = openOld(O_WRONLY);
        if (!old) {
            if (errno == ENOENT) continue;
            *err = errno;
            return FileHandle();
        }
        struct stat st {};
        if (::fstat(old.get(), &st) != 0) {
            *err = errno;
            return FileHandle();
        }
        if (!S_ISREG(st.st_mode)) {
            *err = EEXIST;
            return FileHandle();
        }
        if ((*err = lockOpenFile(old.get(), true))) return FileHandle();
        if (isFileAt(old.get(), path) && ::unlink(path.constData()) != 0 && errno != ENOENT) {
            *err = errno;
            return FileHandle();
        }
    }
    *err = EEXIST;
    return FileHandle();
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
        syncFolder(place->dir);
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
                     mode_t newFileMode, FileIdentity* written) {
    const SavePlace place = besidePlace(t.path);
    int err = 0;
    // A new file gets its mode less the umask (and the folder's default ACL).
    FileHandle fd = createTempFile(place.temp, t.exists ? 0600 : newFileMode, &err);
    if (!fd) {
        if (t.exists && (err == EACCES || err == EPERM)) return false;
        throwWriteError(userPath, err);
    }
    // Held until the rename is done; the guard removes the file while it is.
    FileHandle lock = lockedCopy(fd.get(), &err);
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
    if ((err = writeAll(fd.get(), pieces)) || (err = syncFile(fd.get())) ||
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
    *written = FileIdentity::fromStat(untouched ? after : before);
    // The new content is in place now; a folder that fails to sync can at
    // worst bring back the old file after a crash, so this is no failure.
    syncFolder(place.dir);
    if (t.exists) removeSaveBackups(t.path, t.st);
    return true;
}

// The target opened for writing in place, locked until both handles are
// closed: one in-place save of a file at a time, by whichever of its names.
struct LockedTarget {
    FileHandle fd, lock;
    struct stat st {};
};

LockedTarget openLocked(const QString& userPath, const QByteArray& path) {
    LockedTarget l;
    l.fd = FileHandle::open(path, O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (!l.fd) throwWriteError(userPath, errno);
    if (::fstat(l.fd.get(), &l.st) != 0) throwWriteError(userPath, errno);
    if (!S_ISREG(l.st.st_mode)) throwNotRegular(userPath);
    int err = 0;
    l.lock = lockedCopy(l.fd.get(), &err);
    if (!l.lock) throwWriteError(userPath, err);
    return l;
}

// Overwrites the target in place after a synced backup of its old content.
FileIdentity writeInPlace(const QString& userPath, const Target& t, std::span<const std::string_view> pieces) {
    LockedTarget locked = openLocked(userPath, t.path);
    FileHandle& fd = locked.fd;
    const struct stat& st = locked.st;
    int err = 0;

    // The backup goes beside the file; when that folder takes no new files, to
    // the temporary folder. It is written under the temporary name and renamed
    // when whole, so a backup found later always holds the whole old content.
    // One left by a save that did not finish is replaced: the file's present
    // content is what this save started from.
    SavePlace place = besidePlace(t.path);
    FileHandle backup = createTempFile(place.temp, 0600, &err);
    if (!backup && (err == EACCES || err == EPERM || err == EROFS)) {
        place = tempFolderPlace(st);
        backup = createTempFile(place.temp, 0600, &err);
    }
    if (!backup) throwWriteError(userPath, err);
    {
        RemoveGuard temp(place.temp);
        if ((err = copyContent(fd.get(), backup.get())) || (err = syncFile(backup.get())))
            throwWriteError(userPath, err);
        if (::rename(place.temp.constData(), place.backup.constData()) != 0) throwWriteError(userPath, errno);
        temp.keep();
    }
    RemoveGuard guard(place.backup);
    if ((err = syncFolder(place.dir))) throwWriteError(userPath, err);

    // Overwriting before truncating keeps the old blocks, so a restore after
    // a full disk has the room it needs.
    off_t total = 0;
    for (std::string_view piece : pieces) total += off_t(piece.size());
    if (::lseek(fd.get(), 0, SEEK_SET) < 0) err = errno;
    if (!err) err = writeAll(fd.get(), pieces);
    if (!err && retryEintr([&] { return ::ftruncate(fd.get(), total); }) != 0) err = errno;
    if (!err) err = syncFile(fd.get());
    struct stat written {};
    if (!err && ::fstat(fd.get(), &written) != 0) err = errno;
    if (!err) err = fd.close();
    if (!err) {
        guard.keep();
        removeSaveBackups(t.path, st);
        return FileIdentity::fromStat(written);
    }

    int restoreErr = fd ? copyContent(backup.get(), fd.get()) : EIO;
    if (!restoreErr && retryEintr([&] { return ::ftruncate(fd.get(), st.st_size); }) != 0) restoreErr = errno;
    if (!restoreErr) restoreErr = syncFile(fd.get());
    if (restoreErr) {
        guard.keep();
        const QString reason = systemErrorText(err) +
                               QStringLiteral(" Der alte Inhalt ist in \"%1\" gesichert.")
                                   .arg(QDir::toNativeSeparators(QFile::decodeName(place.backup)));
        throw FileWriteError(writeMessage(userPath, reason), err, reason);
    }
    throwWriteError(userPath, err);
}

} // namespace

FileIdentity saveFileAtomically(const QString& path, std::span<const std::string_view> pieces,
                                NewFileMode newFileMode) {
    const Target t = resolveTarget(path);
    const mode_t mode = newFileMode == NewFileMode::Private ? 0600 : 0666;
    FileIdentity written;
    if (t.exists) {
        if (S_ISDIR(t.st.st_mode)) throwWriteError(path, EISDIR);
        if (!S_ISREG(t.st.st_mode)) throwNotRegular(path);
        if (::faccessat(AT_FDCWD, t.path.constData(), W_OK, AT_EACCESS) != 0) throwWriteError(path, errno);
        // Renaming would split hard links and give the file to us.
        const bool inPlace = t.st.st_nlink > 1 || t.st.st_uid != ::geteuid();
        if (!inPlace && replaceByRename(path, t, pieces, mode, &written)) return written;
        return writeInPlace(path, t, pieces);
    }
    replaceByRename(path, t, pieces, mode, &written);
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
    FileHandle fd = FileHandle::open(t.path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return QString();
    // A save running now holds the file's lock: its backup is no leftover.
    if (retryEintr([&] { return ::flock(fd.get(), LOCK_SH | LOCK_NB); }) != 0 && errno == EWOULDBLOCK) return QString();
    const std::optional<SavePlace> place = findSaveBackup(t.path, st);
    return place ? QFile::decodeName(place->backup) : QString();
}

void restoreSaveBackup(const QString& path) {
    const Target t = resolveTarget(path);
    LockedTarget locked = openLocked(path, t.path);
    FileHandle& fd = locked.fd;
    const struct stat& st = locked.st;
    int err = 0;
    const std::optional<SavePlace> place = findSaveBackup(t.path, st);
    if (!place) return; // a save has finished meanwhile

    // In place, as the save was; the backup stays until the file is whole again.
    FileHandle backup = FileHandle::open(place->backup, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat bs {};
    if (!backup || ::fstat(backup.get(), &bs) != 0) throwWriteError(path, errno);
    if ((err = copyContent(backup.get(), fd.get())) ||
        (err = retryEintr([&] { return ::ftruncate(fd.get(), bs.st_size); }) != 0 ? errno : 0) ||
        (err = syncFile(fd.get())) || (err = fd.close()))
        throwWriteError(path, err);
    removeSaveBackups(t.path, st);
}

} // namespace ts
