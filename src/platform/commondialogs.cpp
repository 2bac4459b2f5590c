#include "platform/commondialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QSortFilterProxyModel>

namespace ts {

namespace {

CommonDialogs* g_dialogs = nullptr;

// Folders, to walk through, and files the user may run; name patterns cannot
// say "executable", so the file system model is asked.
class ExecutablesOnly : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

} // namespace

std::optional<QString> QtCommonDialogs::openFileName(QWidget* parent) {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilter(QString::fromLatin1(kHtmlFilter));
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (!m_lastOpen.isEmpty()) dlg.selectFile(m_lastOpen);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    m_lastOpen = dlg.selectedFiles().first();
    return m_lastOpen;
}

std::optional<QString> QtCommonDialogs::saveFileName(QWidget* parent) {
    QFileDialog dlg(parent);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilter(QString::fromLatin1(kHtmlFilter));
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setDefaultSuffix(QString());
    if (!m_lastSave.isEmpty()) dlg.selectFile(m_lastSave);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    m_lastSave = dlg.selectedFiles().first();
    return m_lastSave;
}

bool QtCommonDialogs::print(QWidget* parent, QPrinter& printer) {
    QPrintDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

bool QtCommonDialogs::printerSetup(QWidget* parent, QPrinter& printer) {
    // The print dialog in set-up use: it chooses the printer and its settings
    // and prints nothing; what to print is asked by Print itself.
    QPrintDialog dlg(&printer, parent);
    dlg.setWindowTitle(QStringLiteral("Printer setup"));
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dlg.exec() == QDialog::Accepted;
}

std::optional<QColor> QtCommonDialogs::color(QWidget* parent, const QColor& initial) {
    QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) return std::nullopt;
    return c;
}

std::optional<QFont> QtCommonDialogs::font(QWidget* parent, const QFont& initial) {
    bool ok = false;
    QFont f = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) return std::nullopt;
    return f;
}

std::optional<QString> QtCommonDialogs::executableFileName(QWidget* parent, const QString& current) {
    QFileDialog dlg(parent, QString::fromLatin1(kBrowserDialogTitle));
    dlg.setOption(QFileDialog::DontUseNativeDialog); // the filter below needs Qt's own dialog
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    dlg.setNameFilter(QString::fromLatin1(kExecutablesFilter));
    dlg.setProxyModel(new ExecutablesOnly(&dlg));
    const QFileInfo start(current);
    if (!current.isEmpty() && start.absoluteDir().exists()) {
        dlg.setDirectory(start.absolutePath());
        if (start.isFile()) dlg.selectFile(start.fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QString> QtCommonDialogs::folderName(QWidget* parent, const QString& current) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), current);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

CommonDialogs& commonDialogs() {
    static QtCommonDialogs real;
    return g_dialogs ? *g_dialogs : real;
}

void setCommonDialogs(CommonDialogs* d) { g_dialogs = d; }

} // namespace ts
