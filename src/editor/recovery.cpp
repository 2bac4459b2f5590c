#include "editor/recovery.h"

#include "platform/clock.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {

namespace {

QString g_folder;

constexpr char kMagic[] = "TAGSMITH-JOURNAL 1\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
const QString kSuffix = QStringLiteral(".journal");
// A whole text being written beside its journal.
const QString kTempSuffix = QStringLiteral(".tmp");

quint32 crc32Update(quint32 c, const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    for (qsizetype i = 0; i < size; ++i) c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c;
}
quint32 crc32(const char* data, qsizetype size) { return crc32Update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu; }

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

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// So that a journal renamed into place stays there after a crash. Some file
// systems cannot sync folders; they need not.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

class Reader {
public:
    Reader(const char* p, qsizetype n) : m_p(p), m_end(p + n) {}
    bool atEnd() const { return m_p == m_end; }
    bool u8(quint8& v) {
        if (m_end - m_p < 1) return false;
        v = static_cast<quint8>(*m_p++);
        return true;
    }
    bool u64(quint64& v) {
        if (m_end - m_p < 8) return false;
        v = 0;
        for (int i = 0; i < 8; ++i) v |= quint64(static_cast<unsigned char>(m_p[i])) << (8 * i);
        m_p += 8;
        return true;
    }
    bool bytes(std::string_view& s) {
        quint64 n = 0;
        if (!u64(n) || quint64(m_end - m_p) < n) return false;
        s = std::string_view(m_p, n);
        m_p += n;
        return true;
    }

private:
    const char* m_p;
    const char* m_end;
};

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

JournalLock::~JournalLock() {
    if (m_fd >= 0) ::close(m_fd);
}

bool JournalLock::acquire(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void JournalLock::removeAndRelease() {
    if (m_fd < 0) return;
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
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
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool written = fd >= 0 && writeAll(fd, head.constData(), size_t(head.size()));
    for (qsizetype at = 0; written && at < text.size() && !cancelled; at += kPiece)
        written = writeAll(fd, text.constData() + at, size_t(std::min(kPiece, text.size() - at)));
    written = written && writeAll(fd, tail.constData(), size_t(tail.size())) && !cancelled && ::fdatasync(fd) == 0;
    error = written ? 0 : errno;
    if (fd >= 0) ::close(fd);
    text = QByteArray();
    if (!written || cancelled || ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        if (!error) error = cancelled ? 0 : errno;
        ::unlink(temp.constData());
        return;
    }
    syncFolder(folder);
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
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
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
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0 || !writeAll(m_fd, content.constData(), size_t(content.size())) || ::fdatasync(m_fd) != 0) {
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
    if (m_fd < 0) m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0 || !writeAll(m_fd, b.constData(), size_t(b.size())) || ::fdatasync(m_fd) != 0) {
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
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_onDisk = true;
    m_holdsText = true;
    m_size = job->size;
    if (writeNow) return write();
    return true;
}

// --- replay ---

RecoveredDocument replayJournal(const QString& journalPath) {
    RecoveredDocument doc;
    doc.journalPath = journalPath;
    doc.header.fileName = QFileInfo(journalPath).fileName();
    QFile file(journalPath);
    if (!file.open(QIODevice::ReadOnly)) {
        doc.problem = QStringLiteral("the journal cannot be read");
        return doc;
    }
    const QByteArray all = file.readAll();
    if (!all.startsWith(QByteArray(kMagic, kMagicSize))) {
        doc.problem = QStringLiteral("the journal is damaged");
        return doc;
    }
    auto damaged = [&] {
        doc.problem = QStringLiteral("the journal is damaged");
        doc.text.clear();
        return doc;
    };
    qsizetype at = kMagicSize;
    bool haveHeader = false, haveText = false;
    // The rest of the file's identity, recorded before the header by this version.
    std::optional<std::array<quint64, 3>> identity;
    while (at < all.size()) {
        // A batch cut short at the end is a write that never finished: the
        // text as of the batch before it is whole.
        if (all.size() - at < 8) break;
        quint32 n = 0, crc = 0;
        for (int i = 0; i < 4; ++i) n |= quint32(static_cast<unsigned char>(all[at + i])) << (8 * i);
        for (int i = 0; i < 4; ++i) crc |= quint32(static_cast<unsigned char>(all[at + 4 + i])) << (8 * i);
        if (all.size() - at - 8 < qsizetype(n)) break;
        const char* p = all.constData() + at + 8;
        const bool last = at + 8 + qsizetype(n) == all.size();
        if (crc32(p, n) != crc) {
            if (last && haveText) break;
            return damaged();
        }
        at += 8 + qsizetype(n);
        Reader r(p, n);
        while (!r.atEnd()) {
            quint8 kind = 0;
            r.u8(kind);
            quint64 a = 0, b = 0;
            std::string_view s;
            switch (kind) {
            case 'H': {
                quint8 enc = 0, bom = 0, eol = 0, fileBased = 0;
                if (!r.bytes(s) || !r.u8(enc) || !r.u8(bom) || !r.u8(eol) || !r.u8(fileBased) || !r.u64(a) || !r.u64(b))
                    return damaged();
                doc.header.fileName = QString::fromUtf8(s.data(), qsizetype(s.size()));
                doc.header.format = {enc == 1 ? TextEncoding::Windows1252 : TextEncoding::Utf8, bom == 1};
                doc.header.lineBreak = eol == 1 ? LineBreak::Lf : eol == 2 ? LineBreak::Cr : LineBreak::CrLf;
                doc.header.base = FileIdentity{};
                if (static_cast<qint64>(a) >= 0) {
                    doc.header.base.exists = true;
                    doc.header.base.size = static_cast<qint64>(a);
                    doc.header.base.mtimeNs = static_cast<qint64>(b);
                    doc.header.base.partial = !identity;
                    if (identity) {
                        doc.header.base.ctimeNs = static_cast<qint64>((*identity)[0]);
                        doc.header.base.device = (*identity)[1];
                        doc.header.base.inode = (*identity)[2];
                    }
                }
                haveHeader = true;
                if (fileBased) {
                    if (!FileIdentity::of(doc.header.fileName).same(doc.header.base)) {
                        doc.problem = QStringLiteral("its file has been changed on disk since");
                        return doc;
                    }
                    try {
                        doc.text = loadDocumentFile(doc.header.fileName).utf8;
                    } catch (const TError& e) {
                        doc.problem = e.message();
                        return doc;
                    }
                    haveText = true;
                }
                break;
            }
            case 'B': {
                std::array<quint64, 3> v{};
                if (haveHeader || !r.u64(v[0]) || !r.u64(v[1]) || !r.u64(v[2])) return damaged();
                identity = v;
                break;
            }
            case 'S':
                if (!r.bytes(s)) return damaged();
                doc.text = QByteArray(s.data(), qsizetype(s.size()));
                haveText = true;
                break;
            case 'I':
                if (!haveText || !r.u64(a) || !r.bytes(s) || a > quint64(doc.text.size())) return damaged();
                doc.text.insert(qsizetype(a), s.data(), qsizetype(s.size()));
                break;
            case 'D':
                if (!haveText || !r.u64(a) || !r.u64(b) || a + b > quint64(doc.text.size())) return damaged();
                doc.text.remove(qsizetype(a), qsizetype(b));
                break;
            case 'L':
                if (!r.u64(a) || a != quint64(doc.text.size())) return damaged();
                break;
            case 'T':
                if (!r.u64(a)) return damaged();
                doc.lastEdit = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(a));
                break;
            default: return damaged();
            }
        }
    }
    if (!haveHeader || !haveText) return damaged();
    return doc;
}

// --- OrphanJournals ---

OrphanJournals::OrphanJournals(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return;
    // Earlier versions left the folder and some journals readable by others.
    secureRecoveryFolder(folder);
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : files) {
        auto lock = std::make_unique<JournalLock>();
        // A running program holds the lock of each of its journals.
        if (!lock->acquire(info.filePath() + QStringLiteral(".lock"))) continue;
        // It may have been removed between the listing and the lock.
        if (!info.exists() || !QFileInfo::exists(info.filePath())) {
            lock->removeAndRelease();
            continue;
        }
        documents.push_back(replayJournal(info.filePath()));
        if (!documents.back().lastEdit.isValid()) documents.back().lastEdit = info.lastModified();
        m_locks.push_back(std::move(lock));
    }
    // A whole text whose writing a crash cut short: the journal beside it (if
    // any) is as it was before.
    const QStringList temps{QStringLiteral("*") + kSuffix + kTempSuffix};
    for (const QFileInfo& info : QDir(folder).entryInfoList(temps, QDir::Files)) {
        const QString journal = info.filePath().chopped(kTempSuffix.size());
        const bool ours = std::any_of(documents.begin(), documents.end(),
                                      [&](const RecoveredDocument& d) { return d.journalPath == journal; });
        JournalLock lock;
        if (!ours && !lock.acquire(journal + QStringLiteral(".lock"))) continue;
        QFile::remove(info.filePath());
        if (!ours && !QFileInfo::exists(journal)) lock.removeAndRelease();
    }
}

void OrphanJournals::remove(size_t index) {
    QFile::remove(documents[index].journalPath);
    m_locks[index]->removeAndRelease();
}

QString OrphanJournals::keep(size_t index) {
    const QString from = documents[index].journalPath;
    QString to = from + QStringLiteral(".damaged");
    for (int k = 2; QFileInfo::exists(to); ++k) to = from + QStringLiteral(".damaged%1").arg(k);
    if (!QFile::rename(from, to)) to = from;
    m_locks[index]->removeAndRelease();
    return to;
}

} // namespace ts
