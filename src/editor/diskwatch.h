#pragma once
#include "platform/files.h"

#include <QObject>
#include <QString>
#include <QTimer>

// Noticing that a document's file was changed or deleted by someone else.
namespace ts {

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
