#pragma once
#include "platform/terror.h"

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <span>
#include <string_view>
#include <utility>

struct stat;

// Files on disk: one handle, one write loop, one atomic replace, one look at
// which version of a file is there.
namespace ts {

// Runs a system call again while a signal interrupts it.
template <typename F>
auto retryEintr(F f) {
    for (;;) {
        auto r = f();
        if (r >= 0 || errno != EINTR) return r;
    }
}

// An open file descriptor, closed with the object.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& o) noexcept : m_fd(std::exchange(o.m_fd, -1)) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        std::swap(m_fd, o.m_fd);
        return *this;
    }
    // Opens with open(2), again after interruptions; invalid with errno set on failure.
    static FileHandle open(const QByteArray& path, int flags, int mode = 0);

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes and reports the error close() gives (some file systems only
    // report a failed write here); 0 on success.
    int close();

private:
    int m_fd = -1;
};

// Writes all of data, again after interruptions and short writes; 0 or the errno.
// A large regular file is written to the disk as it goes and kept out of the
// page cache behind it.
int writeAll(int fd, std::string_view data);
int writeAll(int fd, std::span<const std::string_view> pieces);
// Reads from the file's position to its end into out, which is sized to
// what was read; sizeHint is the size expected. 0 or the errno.
int readAll(int fd, QByteArray& out, qsizetype sizeHint = 0);
// fsync; 0 or the errno.
int syncFile(int fd);
// Syncs a folder so that a rename or a new file in it survives a crash. Some
// file systems cannot sync folders (EINVAL); they need not.
int syncFolder(const QByteArray& dir);

// Opens (making it 0600 when needed) and locks a lock file with flock, for
// as long as the handle is open. Without waiting, a lock held by someone
// else fails with EWOULDBLOCK. A file system without locks has nothing to
// wait for.
FileHandle lockFile(const QByteArray& path, bool wait, int* err);
// The same lock on a file open already; 0 or the errno.
int lockOpenFile(int fd, bool wait);

// The system's reason for a failure, as a sentence for the user.
QString systemErrorText(int err);

// What a file looked like at one moment. Two looks that differ mean that the
// file was written, replaced or deleted in between.
struct FileIdentity {
    bool exists = false;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    // Only size and modification time are known (a journal of an earlier version).
    bool partial = false;

    // The file the path names now. A path that names nothing (ENOENT,
    // ENOTDIR) gives a look at no file; other failures give it too and store
    // the errno in *err when asked.
    static FileIdentity of(const QString& path, int* err = nullptr);
    // An open file's, from fstat: no other file can take its place meanwhile.
    static FileIdentity ofOpenFile(int fd);
    static FileIdentity fromStat(const struct stat& st);
    // Whether nothing tells the two apart; a partial look compares only what it knows.
    bool same(const FileIdentity& other) const;
};

// A file that could not be written. The message names it for the user; the
// errno (0 when the reason is no system error) and the bare reason let a
// caller word it its own way.
class FileWriteError : public TError {
public:
    FileWriteError(const QString& message, int error, const QString& reason)
        : TError(message), m_error(error), m_reason(reason) {}
    int error() const { return m_error; }
    const QString& reason() const { return m_reason; }

private:
    int m_error;
    QString m_reason;
};

// The permission bits of a file the save creates: 0666 or 0600, less the umask.
enum class NewFileMode { Shared, Private };

// Replaces the content of the file at `path` by the concatenated pieces so
// that the file is whole at every moment: either the old or the new content,
// whatever happens (crash, kill, full disk).
// - Normally the bytes go to a temporary file beside the target, which is
//   synced and renamed over it; the file keeps its permission bits and group.
// - A symbolic link (or a chain of them, or a dangling one) is followed: the
//   file it points to is replaced, the link stays.
// - A file with several hard links, one owned by another user, one whose group
//   cannot be kept, or one in a folder where no new file can be made is
//   overwritten in place, so links and owner stay: its old content is first
//   copied to a synced backup (beside it, or in the temporary folder), which
//   restores it when the write fails and is removed after success. A save
//   killed meanwhile leaves the backup, found by unfinishedSaveBackup.
// - The temporary file and the backup have names the next save of the file
//   knows; it removes what a killed save left there, and waits while another
//   process is saving the same file.
// - A file the user may not write to (as open() would judge it) is refused.
// Throws FileWriteError naming the file when the content cannot be written;
// the old content is then intact and no temporary file is left behind.
// Gives the identity of the file written, taken from the file itself while it
// was open: a change made by someone else afterwards differs from it.
FileIdentity saveFileAtomically(const QString& path, std::span<const std::string_view> pieces,
                                NewFileMode newFileMode = NewFileMode::Shared);
inline FileIdentity saveFileAtomically(const QString& path, std::string_view bytes,
                                       NewFileMode newFileMode = NewFileMode::Shared) {
    return saveFileAtomically(path, std::span<const std::string_view>(&bytes, 1), newFileMode);
}

// The backup an in-place save left because it did not finish (the file may
// be torn), or empty when there is none or a save of the file is running.
QString unfinishedSaveBackup(const QString& path);
// Writes that backup's content back into the file, in place, and removes the
// backup; nothing when there is none. Throws FileWriteError naming the file.
void restoreSaveBackup(const QString& path);

} // namespace ts
