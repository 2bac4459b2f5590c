#include "editor/diskwatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>
#include <sys/stat.h>

namespace ts {

FileIdentity FileIdentity::of(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    FileIdentity id;
    id.exists = true;
    id.size = static_cast<qint64>(st.st_size);
    id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    id.device = static_cast<quint64>(st.st_dev);
    id.inode = static_cast<quint64>(st.st_ino);
    return id;
}

FileIdentity FileIdentity::fromStamp(const FileStamp& stamp) {
    FileIdentity id;
    id.partial = true;
    if (stamp.size < 0) return id;
    id.exists = true;
    id.size = stamp.size;
    id.mtimeNs = stamp.mtimeNs;
    return id;
}

bool FileIdentity::same(const FileIdentity& other) const {
    if (exists != other.exists) return false;
    if (!exists) return true;
    if (size != other.size || mtimeNs != other.mtimeNs) return false;
    if (partial || other.partial) return true;
    return ctimeNs == other.ctimeNs && device == other.device && inode == other.inode;
}

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
        if (!m_watcher->files().contains(path) && QFile::exists(path)) m_watcher->addPath(path);
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
