#include "editor/journalformat.h"
#include "editor/recovery.h"

#include "platform/terror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <fcntl.h>

namespace ts {

using namespace journal;

// --- replay ---

RecoveredDocument replayJournal(const QString& journalPath) {
    RecoveredDocument doc;
    doc.journalPath = journalPath;
    doc.header.fileName = QFileInfo(journalPath).fileName();
    const FileHandle file = FileHandle::open(QFile::encodeName(journalPath), O_RDONLY | O_CLOEXEC);
    QByteArray all;
    if (!file || readAll(file.get(), all) != 0) {
        doc.problem = QStringLiteral("the journal cannot be read");
        return doc;
    }
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
