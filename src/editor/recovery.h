#pragma once
#include "editor/docfile.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

// Recovery journals: while a document has unsaved changes its edits are
// appended to a journal file, so that a crash or a kill loses at most the
// last second of typing. The journal holds the document's file name and
// format, the whole text as it was at a pause of the typing, and the edits
// made since. Only until that first whole text is written (in the background)
// do the edits refer to the document's file as it was loaded or saved.
namespace ts {

// Where journals live: $TAGSMITH_RECOVERY, else $XDG_STATE_HOME (or
// ~/.local/state) followed by Quillon/Tagsmith/recovery.
QString defaultRecoveryFolder();
// The folder in use; empty (the default) keeps no journals at all.
QString recoveryFolder();
void setRecoveryFolder(const QString& folder);

// Makes the folder (and what leads to it) when needed, and makes it and the
// journal files in it the user's alone (0700 and 0600): they hold unsaved
// text. What an earlier version left more open is tightened too. False when
// the folder cannot be made.
bool secureRecoveryFolder(const QString& folder);

struct JournalHeader {
    QString fileName;
    DocumentFormat format;
    LineBreak lineBreak = LineBreak::CrLf;
    FileIdentity base; // the file as the text was loaded from or saved to it; not existing for none
};

// An exclusive advisory lock (flock) on a file, held while the object lives.
class JournalLock {
public:
    JournalLock() = default;
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    // Creates the file when needed; false when another process holds it.
    bool acquire(const QString& path);
    // Removes the lock file, then lets go of it.
    void removeAndRelease();
    bool held() const { return bool(m_file); }

private:
    FileHandle m_file;
    QString m_path;
};

// The journal of one document. Edits are collected in memory and written
// about a second after they stop (at the latest every few seconds while they
// go on); the file and its lock are created at the first write. The whole
// text is written by a thread of its own, so that typing never waits for it;
// the edits made meanwhile follow once it is on disk.
class TDocumentJournal : public QObject {
    Q_OBJECT
public:
    using TextSource = std::function<std::string_view()>;
    // Bytes of the text from a position; without one they come from TextSource.
    using RangeSource = std::function<std::string_view(qint64 pos, qint64 length)>;
    TDocumentJournal(const QString& folder, TextSource text, QObject* parent = nullptr);
    void SetRangeSource(RangeSource range) { m_range = std::move(range); }
    // Removes the journal: the document is saved, closed or unmodified.
    ~TDocumentJournal() override;

    // Starts over from a new base: the old journal is removed. With
    // fileBased the first edits may refer to the file named in the header
    // until the whole text is written; otherwise the first write is the whole text.
    void Reset(const JournalHeader& header, bool fileBased);
    // Removes the journal file and forgets pending edits; the base stays.
    void Discard();
    // The file no longer holds the text the edits refer to: the journal
    // holds the whole text from now on.
    void DetachFromFile();

    // Edits are recorded when called and written later, never during the
    // call, so that an edit may be recorded just before it is made.
    void Insert(qint64 pos, std::string_view bytes);
    void Delete(qint64 pos, qint64 length);
    // An insertion announced just before it is made: its bytes are taken
    // from the text at the next call, when they are in.
    void InsertAnnounced(qint64 pos, qint64 length);

    // Writes what is pending without waiting for a whole text to reach the
    // disk: that goes on in the background. Runs at the pauses of typing.
    void Write();
    // Writes everything now and waits until it is on disk; false when a write failed.
    bool Flush();
    // The next write holds the whole text; it starts at once, in the background.
    void RequestSnapshot();
    // Past this many bytes (and past the text's size) the journal is rewritten as a snapshot.
    void SetCompactBound(qint64 bytes) { m_compactBound = bytes; }

    QString Path() const { return m_path; }
    bool OnDisk() const { return m_onDisk; }
    // The journal on disk holds a whole text and needs no other file.
    bool HoldsText() const { return m_onDisk && m_holdsText; }
    // A whole text is being written in the background.
    bool WritingText() const { return bool(m_snapshot); }
    // Everything recorded is on disk and nothing is being written.
    bool Settled() const;
    const JournalHeader& Header() const { return m_header; }

signals:
    // A write failed; raised once per journal, editing goes on.
    void WriteFailed(const QString& reason);

private:
    struct Snapshot;
    void schedule();
    void settle();
    void appendInsert(qint64 pos, std::string_view bytes);
    bool write();
    bool ensureFile();
    bool writeFileBased();
    bool startSnapshot();
    void copyText(std::shared_ptr<Snapshot> job);
    bool finishSnapshot(std::shared_ptr<Snapshot> job);
    bool completeSnapshot();
    void cancelSnapshot();
    bool appendPending();
    void fail(const QString& reason);
    QByteArray headerRecord(bool fileBased) const;

    // Insertions from this size on are journalled as the whole text.
    static constexpr size_t kWholeTextFrom = size_t(16) << 20;

    QString m_folder;
    QString m_path;
    TextSource m_text;
    RangeSource m_range;
    qint64 m_announcedPos = -1, m_announcedLength = 0;
    JournalHeader m_header;
    bool m_fileBased = false;
    bool m_onDisk = false;
    bool m_holdsText = false;
    bool m_needSnapshot = false;
    bool m_writeAfterSnapshot = false;
    bool m_reported = false;
    QByteArray m_pending;
    qint64 m_size = 0;
    qint64 m_compactBound = 8 << 20;
    qint64 m_pendingSince = -1;
    FileHandle m_file;
    JournalLock m_lock;
    QTimer m_timer;
    std::shared_ptr<Snapshot> m_snapshot;
    std::thread m_thread;
};

// A journal read back.
struct RecoveredDocument {
    QString journalPath;
    JournalHeader header;
    QDateTime lastEdit;
    QByteArray text;  // valid when problem is empty
    QString problem;  // why the journal does not replay
    bool ok() const { return problem.isEmpty(); }
};

// Rebuilds a document's text from its journal (and its base file).
RecoveredDocument replayJournal(const QString& journalPath);

// Journals in the folder that no running program holds, each locked for the
// life of this object.
class OrphanJournals {
public:
    explicit OrphanJournals(const QString& folder);
    std::vector<RecoveredDocument> documents;
    // Removes a journal and its lock.
    void remove(size_t index);
    // Renames a journal that does not replay to "<name>.damaged" for the user,
    // so that it is not offered again; gives the new path.
    QString keep(size_t index);

private:
    std::vector<std::unique_ptr<JournalLock>> m_locks;
};

} // namespace ts
