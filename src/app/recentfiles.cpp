#include "app/recentfiles.h"

#include "app/openfiles.h"
#include "app/tmain.h"
#include "editor/thtml.h"
#include "platform/command.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace ts {

namespace {

const QString kKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\Recent");

QString valueName(int i) { return QStringLiteral("File%1").arg(i + 1); }

// A value of another type counts as no entry when lenient; the next change
// writes over it.
QStringList readList(TQuillonRegistry& registry, bool lenient) {
    QStringList files;
    for (int i = 0; i < kRecentFileCount; ++i) {
        QString file;
        try {
            file = std::get<QString>(registry.ReadValue(hkey::CurrentUser, kKey, valueName(i), QString()));
        } catch (const TError&) {
            if (!lenient) throw;
        }
        if (!file.isEmpty() && !files.contains(file)) files << file;
    }
    return files;
}

// Applies change to the stored list under the registry's lock, so that what
// another copy stored meanwhile stays.
template <class Change>
QStringList changeList(Change&& change) {
    QStringList files;
    TQuillonRegistry().Update([&](TQuillonRegistry& registry) {
        files = readList(registry, true);
        change(files);
        files = files.mid(0, kRecentFileCount);
        // Every slot, the empty ones too; the file is written only when that changes it.
        for (int i = 0; i < kRecentFileCount; ++i)
            registry.WriteValue(hkey::CurrentUser, kKey, valueName(i), i < files.size() ? files[i] : QString());
    });
    return files;
}

} // namespace

QStringList readRecentFiles() {
    TQuillonRegistry registry;
    return readList(registry, false);
}

QStringList addRecentFile(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    return changeList([&](QStringList& files) {
        files.removeAll(file);
        files.prepend(file);
    });
}

QStringList removeRecentFile(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    return changeList([&](QStringList& files) { files.removeAll(file); });
}

RecentFiles::RecentFiles(TMain& main, QMenu* fileMenu) : QObject(&main), m_main(main) {
    m_menu = fileMenu->addMenu(QStringLiteral("Recent &files"));
    m_menu->setObjectName(QStringLiteral("miRecent"));
    m_menu->menuAction()->setObjectName(QStringLiteral("miRecent"));
    // Another running copy may have changed the list since.
    connect(fileMenu, &QMenu::aboutToShow, this, &RecentFiles::refresh);
    refresh();
}

void RecentFiles::refresh() {
    // Unreadable settings are reported where the program reads them at
    // start; here the list stays as last known.
    try {
        m_files = readRecentFiles();
    } catch (const TError&) {
    }
    rebuild();
}

void RecentFiles::rebuild() {
    m_menu->clear();
    if (m_files.isEmpty()) {
        m_menu->addAction(QStringLiteral("(none)"))->setEnabled(false);
        return;
    }
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QString file = m_files[i];
        QString shown = file;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = m_menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(entry, &QAction::triggered, this, [this, file] { openEntry(file); });
    }
}

void RecentFiles::Add(const QString& path) {
    if (path.isEmpty() || path == untitledName()) return;
    runCommand(&m_main, [&] { m_files = addRecentFile(path); });
    rebuild();
}

void RecentFiles::openEntry(const QString& path) {
    if (THTML* doc = documentOfFile(m_main, path)) {
        m_main.ShowDocument(doc);
        Add(path);
        return;
    }
    bool loaded = false;
    THTML* doc = m_main.OpenDocumentFile(path, &loaded);
    if (loaded || QFileInfo::exists(path)) return;
    // Gone: the error named it. Neither its entry nor an empty window stays.
    doc->CloseApproved();
    runCommand(&m_main, [&] { m_files = removeRecentFile(path); });
    rebuild();
}

} // namespace ts
