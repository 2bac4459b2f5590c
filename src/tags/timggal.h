#pragma once
#include "tags/party.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TImgGal;
}
namespace ts {
class TFileBrowser;
}

// The image gallery: pictures chosen from a folder, written as a table.
class TImgGal : public QDialog {
    Q_OBJECT

public:
    explicit TImgGal(QWidget* parent = nullptr);
    ~TImgGal() override;

    // Filled by OK.
    const ts::TGalleryFields& Result() const { return m_result; }
    ts::TFileBrowser& Browser() const { return *m_browser; }

private slots:
    void sbAddImage();
    void sbAddAllImages();
    void sbRemoveImgage();
    void sbRemoveAllImages();
    void cbUseBorderClick();
    void bbOKClick();

private:
    std::unique_ptr<Ui::TImgGal> ui;
    ts::TFileBrowser* m_browser = nullptr;
    ts::TGalleryFields m_result;
};
