#pragma once
#include <QObject>
#include <QStringList>

class QMenu;
class TMain;

namespace ts {

inline constexpr int kRecentFileCount = 8;

// The recent list as stored, newest first.
QStringList readRecentFiles();
// Put the file (made absolute) at the front of the stored list, or take it
// out, merged under the registry's lock with what other running copies
// stored; both return the list as it now stands.
QStringList addRecentFile(const QString& path);
QStringList removeRecentFile(const QString& path);

// File > Recent files: the last documents opened or saved under a name.
class RecentFiles : public QObject {
    Q_OBJECT
public:
    // Appends the submenu to the File menu, which refreshes it as it opens.
    RecentFiles(TMain& main, QMenu* fileMenu);

    // The file was opened or saved under its name. A registry that cannot be
    // written shows its error.
    void Add(const QString& path);
    QMenu* Menu() const { return m_menu; }

private:
    void refresh();
    void rebuild();
    void openEntry(const QString& path);

    TMain& m_main;
    QMenu* m_menu;
    QStringList m_files;
};

} // namespace ts
