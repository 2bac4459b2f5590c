#include "editor/diskwatch.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>

namespace ts {

// The one system watcher and who listens to which path.
class DiskWatchHub : public QObject {
public:
    // Made at the first use, owned by the application so that it goes before Qt does.
    static DiskWatchHub* instance(bool create) {
        static QPointer<DiskWatchHub> hub;
        if (!hub && create && QCoreApplication::instance()) hub = new DiskWatchHub(QCoreApplication::instance());
        return hub;
    }

    void add(TDiskWatch* w) {
        m_listeners.insert(w->m_path, w);
        watch(w->m_path);
    }
    void remove(TDiskWatch* w) {
        m_listeners.remove(w->m_path, w);
        if (!m_listeners.contains(w->m_path) && m_watcher->files().contains(w->m_path))
            m_watcher->removePath(w->m_path);
    }
    void watch(const QString& path) {
        // A file that is not there (now) cannot be watched; the next look
        // at the documents tries again.
        if (!m_watcher->files().contains(path) && FileIdentity::of(path).exists) m_watcher->addPath(path);
    }

private:
    explicit DiskWatchHub(QObject* parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this)) {
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
            // A file replaced by a rename or deleted is no longer watched.
            watch(path);
            const QList<TDiskWatch*> listeners = m_listeners.values(path);
            for (TDiskWatch* w : listeners) w->Poke();
        });
    }

    QFileSystemWatcher* m_watcher;
    QMultiHash<QString, TDiskWatch*> m_listeners;
};

TDiskWatch::TDiskWatch(QObject* parent) : QObject(parent) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(200);
    connect(&m_quiet, &QTimer::timeout, this, &TDiskWatch::Changed);
}

TDiskWatch::~TDiskWatch() { Stop(); }

void TDiskWatch::Watch(const QString& path) {
    if (path == m_path) {
        Rewatch();
        return;
    }
    if (!m_path.isEmpty())
        if (DiskWatchHub* hub = DiskWatchHub::instance(false)) hub->remove(this);
    m_quiet.stop();
    m_path = path;
    if (!m_path.isEmpty())
        if (DiskWatchHub* hub = DiskWatchHub::instance(true)) hub->add(this);
}

void TDiskWatch::Rewatch() {
    if (m_path.isEmpty()) return;
    if (DiskWatchHub* hub = DiskWatchHub::instance(true)) hub->watch(m_path);
}

void TDiskWatch::Poke() {
    if (!m_path.isEmpty()) m_quiet.start();
}

} // namespace ts
