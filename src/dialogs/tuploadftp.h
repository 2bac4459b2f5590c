#pragma once
#include <QDialog>

#include <memory>

class QDragMoveEvent;
class QDropEvent;

namespace Ui {
class TUploadFTP;
}
namespace ts {
class TFileBrowser;
}

// Collects a list of local files for upload, dragged from a file browser.
class TUploadFTP : public QDialog {
    Q_OBJECT

public:
    explicit TUploadFTP(QWidget* parent = nullptr);
    ~TUploadFTP() override;

    ts::TFileBrowser& Browser() const { return *m_browser; }
    QStringList Files() const;

    // Accepts a drag exactly when it comes from the file list.
    bool lbFilesDragOver(const QObject* source) const;
    // Appends the folder shown and the file selected in the file list; nothing without a selection,
    // and a warning instead when a file of that name is listed already.
    void lbFilesDragDrop();

public slots:
    void sbResetClick();
    // Sends every listed file to the account of the FTP preferences, then reports each file's result.
    void sbUploadFilesClick();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    std::unique_ptr<Ui::TUploadFTP> ui;
    ts::TFileBrowser* m_browser = nullptr;
};
