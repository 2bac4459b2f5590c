#pragma once
#include "editor/recovery.h"

#include <QObject>
#include <QString>
#include <QTimer>

// Noticing that a document's file was changed or deleted by someone else.
namespace ts {

// What a file looked like at one moment. Two looks that differ mean that the
// file was written, replaced or deleted in between.
struct FileIdentity {
    bool exists = false;
    qint64 size = -1;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    // Only size and modification time are known (a recovery journal's stamp).
    bool partial = false;

    static FileIdentity of(const QString& path);
    static FileIdentity fromStamp(const FileStamp& stamp);
    // Whether nothing tells the two apart; a partial look compares only what it knows.
    bool same(const FileIdentity& other) const;
};

// Watches one file for its document. Every change, replacement or deletion
// raises Changed once the file has been quiet for a moment, so that a file
// written in several steps is looked at when it is whole. All documents share
// one system watcher: each watcher would cost the process an inotify instance.
class TDiskWatch : public QObject {
    Q_OBJECT
public:
    explicit TDiskWatch(QObject* parent = nullptr);
    ~TDiskWatch() override;

    // Watches this file from now on; an empty path watches nothing.
    void Watch(const QString& path);
    void Stop() { Watch(QString()); }
    const QString& Path() const { return m_path; }
    // Watches the file again when the system dropped it (it was replaced or
    // deleted, and may be back now).
    void Rewatch();
    // Raises Changed again after the quiet moment.
    void Poke();

signals:
    void Changed();

private:
    friend class DiskWatchHub;
    QString m_path;
    QTimer m_quiet;
};

} // namespace ts
