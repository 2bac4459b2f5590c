#include "editor/recovery.h"

#include "platform/clock.h"
#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ts {

namespace {

QString g_folder;

constexpr char kMagic[] = "TAGSMITH-JOURNAL 1\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
const QString kSuffix = QStringLiteral(".journal");

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
void setRecoveryFolder(const QString& folder) { g_folder = folder; }

FileStamp FileStamp::of(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {static_cast<qint64>(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

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

TDocumentJournal::TDocumentJournal(const QString& folder, TextSource text, QObject* parent)
    : QObject(parent), m_folder(folder), m_text(std::move(text)) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, [this] { Flush(); });
}

TDocumentJournal::~TDocumentJournal() { Discard(); }

void TDocumentJournal::Reset(const JournalHeader& header, bool fileBased) {
    Discard();
    m_header = header;
    m_fileBased = fileBased;
}

void TDocumentJournal::Discard() {
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
    m_size = 0;
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
    QByteArray r(1, 'H');
    putString(r, m_header.fileName);
    r.append(static_cast<char>(m_header.format.encoding == TextEncoding::Windows1252 ? 1 : 0));
    r.append(static_cast<char>(m_header.format.bom ? 1 : 0));
    r.append(static_cast<char>(m_header.lineBreak == LineBreak::Lf ? 1 : m_header.lineBreak == LineBreak::Cr ? 2 : 0));
    r.append(static_cast<char>(fileBased ? 1 : 0));
    putU64(r, static_cast<quint64>(m_header.base.size));
    putU64(r, static_cast<quint64>(m_header.base.mtimeNs));
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

bool TDocumentJournal::Flush() {
    settle();
    m_timer.stop();
    m_pendingSince = -1;
    if (m_pending.isEmpty() && !m_needSnapshot) return true;
    const qint64 length = static_cast<qint64>(m_text().size());
    if (!m_onDisk || m_needSnapshot || m_size > std::max(m_compactBound, length)) {
        // A file-based journal starts with the edits alone; everything else,
        // and a journal past its bound, is the whole text.
        if (!m_onDisk && m_fileBased && !m_needSnapshot) {
            if (!ensureFile()) return false;
            const QByteArray content = QByteArray(kMagic, kMagicSize) +
                                       batch(headerRecord(true) + m_pending + lengthRecord(length) + timeRecord());
            m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
            if (m_fd < 0 || !writeAll(m_fd, content.constData(), size_t(content.size())) || ::fdatasync(m_fd) != 0) {
                fail(QString::fromLocal8Bit(std::strerror(errno)));
                return false;
            }
            m_onDisk = true;
            m_size = content.size();
            m_pending.clear();
            return true;
        }
        return writeSnapshot();
    }
    return appendPending();
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
    if (!QDir().mkpath(m_folder)) {
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

bool TDocumentJournal::writeSnapshot() {
    if (!ensureFile()) return false;
    const std::string_view text = m_text();
    QByteArray head = QByteArray(kMagic, kMagicSize);
    QByteArray payload = headerRecord(false);
    payload.append('S');
    putU64(payload, text.size());
    // The text itself is not copied: the batch is written in pieces.
    QByteArray tail = lengthRecord(static_cast<qint64>(text.size())) + timeRecord();
    quint32 crc = crc32Update(0xFFFFFFFFu, payload.constData(), payload.size());
    crc = crc32Update(crc, text.data(), qsizetype(text.size()));
    crc = crc32Update(crc, tail.constData(), tail.size()) ^ 0xFFFFFFFFu;
    const quint32 n = static_cast<quint32>(payload.size() + qsizetype(text.size()) + tail.size());
    for (int i = 0; i < 4; ++i) head.append(static_cast<char>(n >> (8 * i)));
    for (int i = 0; i < 4; ++i) head.append(static_cast<char>(crc >> (8 * i)));
    head.append(payload);
    const std::string_view pieces[] = {std::string_view(head.constData(), size_t(head.size())), text,
                                       std::string_view(tail.constData(), size_t(tail.size()))};
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    try {
        saveFileAtomically(m_path, pieces);
    } catch (const TError& e) {
        fail(e.message());
        return false;
    }
    m_onDisk = true;
    m_needSnapshot = false;
    m_size = head.size() + qint64(text.size()) + tail.size();
    m_pending.clear();
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
                doc.header.base = {static_cast<qint64>(a), static_cast<qint64>(b)};
                haveHeader = true;
                if (fileBased) {
                    if (FileStamp::of(doc.header.fileName) != doc.header.base) {
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
    if (folder.isEmpty()) return;
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
