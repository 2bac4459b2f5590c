#include "editor/recovery.h"

#include "editor/journalformat.h"

#include "platform/clock.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {

using namespace journal;

namespace {

QString g_folder;

void putU64(QByteArray& out, quint64 v) {
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>(v >> (8 * i));
    out.append(b, 8);
}
void putBytes(QByteArray& out, std::string_view s) {
    putU64(out, s.size());
    out.append(s.data(), static_cast<qsizetype>(s.size()));
}
void putString(QByteArray& out, const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    putBytes(out, std::string_view(utf8.constData(), size_t(utf8.size())));
}

// A batch is its payload's length and CRC-32, then the payload.
QByteArray batch(const QByteArray& payload) {
    QByteArray out;
    out.reserve(payload.size() + 8);
    const quint32 n = static_cast<quint32>(payload.size()), c = crc32(payload.constData(), payload.size());
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>(n >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>(c >> (8 * i)));
    out.append(payload);
    return out;
}

QByteArray timeRecord() {
    QByteArray r(1, 'T');
    putU64(r, static_cast<quint64>(clock().now().toMSecsSinceEpoch()));
    return r;
}
QByteArray lengthRecord(qint64 length) {
    QByteArray r(1, 'L');
    putU64(r, static_cast<quint64>(length));
    return r;
}

bool writeBytes(int fd, const char* p, qsizetype n) { return writeAll(fd, std::string_view(p, size_t(n))) == 0; }

} // namespace

QString defaultRecoveryFolder() {
    const QString env = qEnvironmentVariable("TAGSMITH_RECOVERY");
    if (!env.isEmpty()) return env;
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Quillon/Tagsmith/recovery");
}

QString recoveryFolder() { return g_folder; }

bool secureRecoveryFolder(const QString& folder) {
    if (folder.isEmpty()) return false;
    const QByteArray path = QFile::encodeName(folder);
    const QFileInfo info(folder);
    if (!QDir().mkpath(info.path())) return false;
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    // Only what is the user's own; the folder first, so that nobody else
    // can reach the files while they are tightened.
    if (st.st_uid != ::geteuid()) return true;
    if ((st.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0) return false;
    // Journals, their locks, damaged ones kept and whole texts being written.
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*") + kSuffix + QStringLiteral("*")},
                                                      QDir::Files | QDir::Hidden | QDir::System)) {
        const QByteArray file = QFile::encodeName(folder + QLatin1Char('/') + name);
        struct stat fs {};
        if (::lstat(file.constData(), &fs) == 0 && S_ISREG(fs.st_mode) && fs.st_uid == ::geteuid() &&
            (fs.st_mode & 07777) != 0600)
            ::chmod(file.constData(), 0600);
    }
    return true;
}
void setRecoveryFolder(const QString& folder) { g_folder = folder; }

// --- JournalLock ---

JournalLock::~JournalLock() = default;

bool JournalLock::acquire(const QString& path) {
    int err = 0;
    m_file = lockFile(QFile::encodeName(path), false, &err);
    if (!m_file) {
        errno = err;
        return false;
    }
    m_path = path;
    return true;
}

void JournalLock::removeAndRelease() {
    if (!m_file) return;
    ::unlink(QFile::encodeName(m_path).constData());
    m_file.close();
}

// --- TDocumentJournal ---

// A whole text on its way to disk. Its thread first makes room for the copy
// (new memory costs far more than copying into it), waits while the text is
// copied in by the user-interface thread, then writes it. The thread touches
// nothing but this.
struct TDocumentJournal::Snapshot {
    QString folder, path;
    qsizetype room = 0;
    QByteArray payload; // the header records and the start of the text's record
    QByteArray text;    // a copy: the editor's own changes meanwhile
    QByteArray tail;
    bool copied = false; // by the user-interface thread, which alone reads it
    std::mutex mutex;
    std::condition_variable changed;
    bool prepared = false, go = false;
    std::atomic<bool> cancelled{false};
    // Set by the thread before it ends.
    bool ok = false;
    int error = 0;
    qint64 size = 0;

    void prepare();
    // Waits until the copy is in; false when cancelled.
    bool awaitCopy();
    void write();
};

// In pieces, so that a journal discarded meanwhile is not kept waiting.
constexpr qsizetype kPiece = 4 << 20;

void TDocumentJournal::Snapshot::prepare() {
    text = QByteArray(room, Qt::Uninitialized);
    for (qsizetype at = 0; at < room && !cancelled; at += kPiece)
        std::memset(text.data() + at, 0, size_t(std::min(kPiece, room - at)));
    std::lock_guard lock(mutex);
    prepared = true;
    changed.notify_all();
}

bool TDocumentJournal::Snapshot::awaitCopy() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return go || cancelled; });
    return !cancelled;
}

void TDocumentJournal::Snapshot::write() {
    quint32 crc = crc32Update(0xFFFFFFFFu, payload.constData(), payload.size());
    crc = crc32Update(crc, text.constData(), text.size());
    crc = crc32Update(crc, tail.constData(), tail.size()) ^ 0xFFFFFFFFu;
    const quint32 n = static_cast<quint32>(payload.size() + text.size() + tail.size());
    QByteArray head(kMagic, kMagicSize);
    for (int i = 0; i < 4; ++i) head.append(static_cast<char>(n >> (8 * i)));
    for (int i = 0; i < 4; ++i) head.append(static_cast<char>(crc >> (8 * i)));
    head.append(payload);

    // Written beside the journal and renamed over it when whole: a crash
    // meanwhile leaves the journal as it was.
    const QByteArray temp = QFile::encodeName(path + kTempSuffix);
    FileHandle file = FileHandle::open(temp, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    const int fd = file.get();
    bool written = fd >= 0 && writeBytes(fd, head.constData(), head.size());
    for (qsizetype at = 0; written && at < text.size() && !cancelled; at += kPiece)
        written = writeBytes(fd, text.constData() + at, std::min(kPiece, text.size() - at));
    written = written && writeBytes(fd, tail.constData(), tail.size()) && !cancelled && ::fdatasync(fd) == 0;
    error = written ? 0 : errno;
    file.close();
    text = QByteArray();
    if (!written || cancelled || ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        if (!error) error = cancelled ? 0 : errno;
        ::unlink(temp.constData());
        return;
    }
    // So that the journal renamed into place stays there after a crash.
    syncFolder(QFile::encodeName(folder));
    size = head.size() + qint64(n) - payload.size();
    ok = true;
}

TDocumentJournal::TDocumentJournal(const QString& folder, TextSource text, QObject* parent)
    : QObject(parent), m_folder(folder), m_text(std::move(text)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &TDocumentJournal::Write);
}

TDocumentJournal::~TDocumentJournal() { Discard(); }

void TDocumentJournal::Reset(const JournalHeader& header, bool fileBased) {
    Discard();
    m_header = header;
    m_fileBased = fileBased;
}

void TDocumentJournal::cancelSnapshot() {
    if (!m_snapshot) return;
    {
        std::lock_guard lock(m_snapshot->mutex);
        m_snapshot->cancelled = true;
        m_snapshot->changed.notify_all();
    }
    if (m_thread.joinable()) m_thread.join();
    m_snapshot.reset();
    m_writeAfterSnapshot = false;
}

void TDocumentJournal::Discard() {
    // The thread is waited for, so that no journal appears after it was removed.
    cancelSnapshot();
    m_announcedPos = -1;
    m_timer.stop();
    m_pending.clear();
    m_pendingSince = -1;
    m_needSnapshot = false;
    m_file.close();
    if (m_onDisk || m_lock.held()) {
        QFile::remove(m_path);
        m_lock.removeAndRelease();
    }
    m_onDisk = false;
    m_holdsText = false;
    m_size = 0;
}

void TDocumentJournal::DetachFromFile() {
    m_fileBased = false;
    // Edits on disk that refer to the file are rewritten as the whole text.
    if (m_onDisk && !m_holdsText && !m_snapshot) RequestSnapshot();
}

void TDocumentJournal::RequestSnapshot() {
    m_needSnapshot = true;
    m_timer.start(0);
}

bool TDocumentJournal::Settled() const {
    return !m_snapshot && m_pending.isEmpty() && m_announcedPos < 0 && !m_needSnapshot;
}

void TDocumentJournal::schedule() {
    // Written a second after typing pauses, and every five seconds at most
    // while it goes on; never at once, since the editor announces an edit
    // before it makes it.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_pendingSince < 0) m_pendingSince = now;
    m_timer.start(now - m_pendingSince >= 5000 ? 0 : 1000);
}

void TDocumentJournal::appendInsert(qint64 pos, std::string_view bytes) {
    // A very large insertion (Replace All over a large text, a paste of a
    // whole file) is not copied into a record: the whole text, written in the
    // background, holds it and every edit before it.
    if (bytes.size() >= kWholeTextFrom) {
        m_pending.clear();
        m_needSnapshot = true;
        return;
    }
    m_pending.append('I');
    putU64(m_pending, static_cast<quint64>(pos));
    putBytes(m_pending, bytes);
}

void TDocumentJournal::settle() {
    if (m_announcedPos < 0) return;
    const qint64 pos = m_announcedPos, length = m_announcedLength;
    m_announcedPos = -1;
    appendInsert(pos, m_range ? m_range(pos, length) : m_text().substr(size_t(pos), size_t(length)));
}

void TDocumentJournal::InsertAnnounced(qint64 pos, qint64 length) {
    settle();
    m_announcedPos = pos;
    m_announcedLength = length;
    schedule();
}

void TDocumentJournal::Insert(qint64 pos, std::string_view bytes) {
    settle();
    appendInsert(pos, bytes);
    schedule();
}

void TDocumentJournal::Delete(qint64 pos, qint64 length) {
    settle();
    m_pending.append('D');
    putU64(m_pending, static_cast<quint64>(pos));
    putU64(m_pending, static_cast<quint64>(length));
    schedule();
}

QByteArray TDocumentJournal::headerRecord(bool fileBased) const {
    // The file's device, inode and change time go in a record of their own
    // before the header, which keeps the layout earlier versions wrote.
    QByteArray r;
    const FileIdentity& base = m_header.base;
    if (base.exists && !base.partial) {
        r.append('B');
        putU64(r, static_cast<quint64>(base.ctimeNs));
        putU64(r, base.device);
        putU64(r, base.inode);
    }
    r.append('H');
    putString(r, m_header.fileName);
    r.append(static_cast<char>(m_header.format.encoding == TextEncoding::Windows1252 ? 1 : 0));
    r.append(static_cast<char>(m_header.format.bom ? 1 : 0));
    r.append(static_cast<char>(m_header.lineBreak == LineBreak::Lf ? 1 : m_header.lineBreak == LineBreak::Cr ? 2 : 0));
    r.append(static_cast<char>(fileBased ? 1 : 0));
    putU64(r, static_cast<quint64>(base.exists ? base.size : -1));
    putU64(r, static_cast<quint64>(base.exists ? base.mtimeNs : 0));
    return r;
}

void TDocumentJournal::fail(const QString& reason) {
    // The next write starts over with the whole text, so the journal stays
    // consistent once writing works again.
    m_needSnapshot = true;
    m_pending.clear();
    if (m_reported) return;
    m_reported = true;
    emit WriteFailed(reason);
}

void TDocumentJournal::Write() { write(); }

bool TDocumentJournal::write() {
    settle();
    m_timer.stop();
    if (m_snapshot) {
        // The edits wait until the whole text they follow is on disk.
        m_writeAfterSnapshot = true;
        return true;
    }
    m_pendingSince = -1;
    if (m_pending.isEmpty() && !m_needSnapshot) return true;
    // The first edits of a document as its file holds it go to disk at once,
    // small as they are; the whole text follows in the background.
    if (!m_onDisk && m_fileBased && !m_needSnapshot && m_pending.size() <= (1 << 20))
        return writeFileBased() && startSnapshot();
    const qint64 length = static_cast<qint64>(m_text().size());
    if (!m_onDisk || !m_holdsText || m_needSnapshot || m_size > std::max(m_compactBound, length))
        return startSnapshot();
    return appendPending();
}

bool TDocumentJournal::Flush() {
    bool ok = !m_snapshot || completeSnapshot();
    ok = write() && ok;
    if (m_snapshot) ok = completeSnapshot() && ok;
    return ok;
}

bool TDocumentJournal::completeSnapshot() {
    const std::shared_ptr<Snapshot> job = m_snapshot;
    if (!job->copied) {
        std::unique_lock lock(job->mutex);
        job->changed.wait(lock, [&] { return job->prepared; });
        lock.unlock();
        copyText(job);
    }
    if (m_thread.joinable()) m_thread.join();
    return finishSnapshot(job);
}

bool TDocumentJournal::writeFileBased() {
    if (!ensureFile()) return false;
    const qint64 length = static_cast<qint64>(m_text().size());
    const QByteArray content = QByteArray(kMagic, kMagicSize) +
                               batch(headerRecord(true) + m_pending + lengthRecord(length) + timeRecord());
    m_file = FileHandle::open(QFile::encodeName(m_path), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (!m_file || !writeBytes(m_file.get(), content.constData(), content.size()) || ::fdatasync(m_file.get()) != 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_onDisk = true;
    m_holdsText = false;
    m_size = content.size();
    m_pending.clear();
    return true;
}

bool TDocumentJournal::appendPending() {
    const QByteArray b = batch(m_pending + lengthRecord(static_cast<qint64>(m_text().size())) + timeRecord());
    if (!m_file) m_file = FileHandle::open(QFile::encodeName(m_path), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (!m_file || !writeBytes(m_file.get(), b.constData(), b.size()) || ::fdatasync(m_file.get()) != 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_size += b.size();
    m_pending.clear();
    return true;
}

bool TDocumentJournal::ensureFile() {
    if (m_lock.held()) return true;
    if (!secureRecoveryFolder(m_folder)) {
        fail(QStringLiteral("the folder %1 cannot be created").arg(m_folder));
        return false;
    }
    m_path = m_folder + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) + kSuffix;
    if (!m_lock.acquire(m_path + QStringLiteral(".lock"))) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool TDocumentJournal::startSnapshot() {
    if (!ensureFile()) return false;
    auto job = std::make_shared<Snapshot>();
    job->folder = m_folder;
    job->path = m_path;
    const qint64 length = static_cast<qint64>(m_text().size());
    // Room for what is typed before the copy is made, too.
    job->room = length + length / 16 + (64 << 10);
    m_snapshot = job;
    m_thread = std::thread([this, job] {
        // The keys come first; the disk can wait.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
        job->prepare();
        QMetaObject::invokeMethod(this, [this, job] { copyText(job); }, Qt::QueuedConnection);
        if (job->awaitCopy()) job->write();
        QMetaObject::invokeMethod(this, [this, job] { finishSnapshot(job); }, Qt::QueuedConnection);
    });
    return true;
}

void TDocumentJournal::copyText(std::shared_ptr<Snapshot> job) {
    // Called when the room is ready, or earlier by Flush; the text is taken once.
    if (job != m_snapshot || job->copied) return;
    // Every edit so far is in the copy.
    settle();
    const std::string_view text = m_text();
    job->payload = headerRecord(false);
    job->payload.append('S');
    putU64(job->payload, text.size());
    // Within the room made for it this is the one copy of the text made
    // while the user waits.
    job->text.resize(qsizetype(text.size()));
    std::memcpy(job->text.data(), text.data(), text.size());
    job->tail = lengthRecord(static_cast<qint64>(text.size())) + timeRecord();
    job->copied = true;
    m_pending.clear();
    m_needSnapshot = false;
    m_writeAfterSnapshot = false;
    std::lock_guard lock(job->mutex);
    job->go = true;
    job->changed.notify_all();
}

bool TDocumentJournal::finishSnapshot(std::shared_ptr<Snapshot> job) {
    // Called when the thread reports, or earlier by Flush; whichever comes second finds nothing to do.
    if (job != m_snapshot || !job->copied) return true;
    if (m_thread.joinable()) m_thread.join();
    m_snapshot.reset();
    const bool writeNow = std::exchange(m_writeAfterSnapshot, false);
    if (!job->ok) {
        fail(QString::fromLocal8Bit(std::strerror(job->error)));
        return false;
    }
    // The journal file was replaced: the next append opens the new one.
    m_file.close();
    m_onDisk = true;
    m_holdsText = true;
    m_size = job->size;
    if (writeNow) return write();
    return true;
}

} // namespace ts
