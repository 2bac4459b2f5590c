#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QFileSystemModel;
class QListWidget;
class QTreeView;

namespace ts {

// Links a drive list, a folder tree and a file list (and optionally a filter
// list) the way the file-browsing dialogs show them. On Linux the "drives" are
// the mounted file systems, the root first; the tree starts at the current folder.
class TFileBrowser : public QObject {
    Q_OBJECT
public:
    // filter may be null; its items carry their patterns (";"-separated) as item data.
    TFileBrowser(QComboBox* drives, QTreeView* folders, QListWidget* files, QComboBox* filter = nullptr);

    QString Directory() const { return m_dir; }
    // Shows that folder in the tree and its files in the file list.
    void SetDirectory(const QString& dir);
    // The bare name of the file selected in the file list, empty when none is.
    QString SelectedFile() const;
    // The bare names the file list shows, in list order.
    QStringList FileNames() const;

    // Mount points of the machine's file systems, the root first.
    static QStringList Drives();

signals:
    void DirectoryChanged(const QString& dir);

private:
    void DriveChange();
    void FolderChange();
    void fillFiles();

    QComboBox* m_drives;
    QTreeView* m_folders;
    QListWidget* m_files;
    QComboBox* m_filter;
    QFileSystemModel* m_model;
    QString m_dir;
};

} // namespace ts
