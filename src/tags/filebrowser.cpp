#include "tags/filebrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>

namespace ts {

QStringList TFileBrowser::Drives() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) roots << volume.rootPath();
    roots.removeAll(QStringLiteral("/"));
    roots.sort();
    roots.prepend(QStringLiteral("/"));
    return roots;
}

TFileBrowser::TFileBrowser(QComboBox* drives, QTreeView* folders, QListWidget* files, QComboBox* filter)
    : QObject(files), m_drives(drives), m_folders(folders), m_files(files), m_filter(filter) {
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QString());
    m_folders->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c) m_folders->hideColumn(c);
    m_folders->setHeaderHidden(true);

    m_drives->addItems(Drives());
    const QString cwd = QDir::currentPath();
    // The drive holding the current folder: the longest mount point it lies under.
    int best = 0;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemText(i);
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        if ((cwd == root || cwd.startsWith(prefix)) && root.size() > m_drives->itemText(best).size()) best = i;
    }
    m_drives->setCurrentIndex(best);

    connect(m_drives, &QComboBox::currentIndexChanged, this, &TFileBrowser::DriveChange);
    connect(m_folders->selectionModel(), &QItemSelectionModel::currentChanged, this, &TFileBrowser::FolderChange);
    if (m_filter) connect(m_filter, &QComboBox::currentIndexChanged, this, &TFileBrowser::fillFiles);
    SetDirectory(cwd);
}

void TFileBrowser::DriveChange() { SetDirectory(m_drives->currentText()); }

void TFileBrowser::FolderChange() {
    const QString dir = m_model->filePath(m_folders->currentIndex());
    if (dir.isEmpty() || dir == m_dir) return;
    m_dir = dir;
    fillFiles();
    emit DirectoryChanged(m_dir);
}

void TFileBrowser::SetDirectory(const QString& dir) {
    m_dir = QDir(dir).absolutePath();
    const QModelIndex index = m_model->index(m_dir);
    m_folders->setCurrentIndex(index);
    m_folders->scrollTo(index);
    fillFiles();
    emit DirectoryChanged(m_dir);
}

void TFileBrowser::fillFiles() {
    m_files->clear();
    QStringList patterns{QStringLiteral("*")};
    if (m_filter && m_filter->currentIndex() >= 0) {
        const QString masks = m_filter->currentData().toString();
        patterns = masks.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file, also those without a dot.
        for (QString& p : patterns)
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
    }
    QDir dir(m_dir);
    dir.setNameFilters(patterns);
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::System);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    const QFileIconProvider icons;
    for (const QFileInfo& file : dir.entryInfoList())
        new QListWidgetItem(icons.icon(file), file.fileName(), m_files);
}

QString TFileBrowser::SelectedFile() const {
    const QListWidgetItem* item = m_files->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

QStringList TFileBrowser::FileNames() const {
    QStringList names;
    for (int i = 0; i < m_files->count(); ++i) names << m_files->item(i)->text();
    return names;
}

} // namespace ts
