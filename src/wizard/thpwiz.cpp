#include "wizard/thpwiz.h"

#include "editor/faces.h"
#include "platform/command.h"
#include "platform/commondialogs.h"
#include "settings/tprefsrecord.h"
#include "tags/builderdialog.h"
#include "tags/htmlcolour.h"
#include "tags/turlbuilder.h"
#include "ui_thpwiz.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>

THPWiz::THPWiz(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::THPWiz>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    ts::takeWholeTexts(*this);

    ui->pvTitle->setPage(THPPreview::Page::Title);
    ui->pvBackground->setPage(THPPreview::Page::Background);
    ui->pvPicture->setPage(THPPreview::Page::Picture);
    ui->pvParagraph->setPage(THPPreview::Page::Paragraph);
    ui->pvLink->setPage(THPPreview::Page::Link);
    ui->pvContact->setPage(THPPreview::Page::Author);
    ui->pvFinished->setPage(THPPreview::Page::Finished);

    for (QPushButton* next : {ui->bbNext1, ui->bbNext2, ui->bbNext3, ui->bbNext4, ui->bbNext5, ui->bbNext6}) {
        next->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
        // The arrow goes to the right of the caption.
        next->setLayoutDirection(Qt::RightToLeft);
        connect(next, &QPushButton::clicked, this, &THPWiz::bbNextClick);
    }
    for (QPushButton* back : {ui->bbBack1, ui->bbBack2, ui->bbBack3, ui->bbBack4, ui->bbBack5, ui->bbBack6}) {
        back->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
        connect(back, &QPushButton::clicked, this, &THPWiz::bbBackClick);
    }
    ui->bbFinish->setIcon(ts::faceIcon(QStringLiteral("bbOK")));
    connect(ui->bbFinish, &QPushButton::clicked, this, &QDialog::accept);

    connect(ui->cbCenterHead, &QCheckBox::toggled, this, &THPWiz::cbCenterHeadClick);
    connect(ui->cbRules, &QCheckBox::toggled, this, &THPWiz::cbRulesClick);
    for (QRadioButton* rb : {ui->rbNoBG, ui->rbColorBG, ui->rbImage})
        connect(rb, &QRadioButton::toggled, this, &THPWiz::rbBGClick);
    connect(ui->cbUsePic, &QCheckBox::toggled, this, &THPWiz::cbUsePicClick);
    connect(ui->cbUseCaption, &QCheckBox::toggled, this, &THPWiz::cbUseCaptionClick);
    connect(ui->cbUseParagraph, &QCheckBox::toggled, this, &THPWiz::cbUseParagraphClick);
    connect(ui->cbUseLink, &QCheckBox::toggled, this, &THPWiz::cbUseLinkClick);
    connect(ui->cbUseAuthor, &QCheckBox::toggled, this, &THPWiz::cbUseAuthorClick);
    connect(ui->sbChooseCol, &QToolButton::clicked, this, &THPWiz::sbChooseColClick);

    for (QToolButton* locate : {ui->sbLocateBGImg, ui->sbLocateImg, ui->sbLocateURL})
        connect(locate, &QToolButton::clicked, this, &THPWiz::sbLocateClick);

    ui->pcHPWizard->setCurrentWidget(ui->tsTitle);
    adjustSize();
    setFixedSize(size().expandedTo(QSize(479, 322)));
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui->eTitle->setFocus();
}

THPWiz::~THPWiz() = default;

void THPWiz::goToPageOf(QAbstractButton* sender,
                        const std::initializer_list<std::pair<QAbstractButton*, QWidget*>>& table) {
    for (const auto& [button, page] : table)
        if (sender == button) ui->pcHPWizard->setCurrentWidget(page);
}

void THPWiz::bbNextClick() {
    goToPageOf(qobject_cast<QAbstractButton*>(sender()), {{ui->bbNext1, ui->tsBackground},
                                                          {ui->bbNext2, ui->tsPicture},
                                                          {ui->bbNext3, ui->tsParagraph},
                                                          {ui->bbNext4, ui->tsLink},
                                                          {ui->bbNext5, ui->tsContact},
                                                          {ui->bbNext6, ui->tsFinished}});
}

void THPWiz::bbBackClick() {
    goToPageOf(qobject_cast<QAbstractButton*>(sender()), {{ui->bbBack1, ui->tsTitle},
                                                          {ui->bbBack2, ui->tsBackground},
                                                          {ui->bbBack3, ui->tsPicture},
                                                          {ui->bbBack4, ui->tsParagraph},
                                                          {ui->bbBack5, ui->tsLink},
                                                          {ui->bbBack6, ui->tsContact}});
}

void THPWiz::cbCenterHeadClick() { ui->pvTitle->setHeadingsCentred(ui->cbCenterHead->isChecked()); }

void THPWiz::cbRulesClick() { ui->pvTitle->setRulesVisible(ui->cbRules->isChecked()); }

void THPWiz::rbBGClick() {
    const bool colour = ui->rbColorBG->isChecked();
    const bool image = ui->rbImage->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui->lbColR, ui->eColR, ui->lbColG, ui->eColG, ui->lbColB,
                                                      ui->eColB, ui->sbChooseCol})
        w->setEnabled(colour);
    ui->eBGImage->setEnabled(image);
    ui->sbLocateBGImg->setEnabled(image);
}

void THPWiz::cbUsePicClick() {
    const bool use = ui->cbUsePic->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui->lbImage, ui->eImage, ui->sbLocateImg, ui->cbUseCaption,
                                                      ui->cbCenterPic})
        w->setEnabled(use);
    // The caption field waits for its own check box to be clicked again.
    ui->lbImgCaption->setEnabled(false);
    ui->eImgCaption->setEnabled(false);
}

void THPWiz::cbUseCaptionClick() {
    const bool use = ui->cbUseCaption->isChecked();
    ui->lbImgCaption->setEnabled(use);
    ui->eImgCaption->setEnabled(use);
    ui->cbCenterPic->setText(use ? QStringLiteral("C&enter picture and caption") : QStringLiteral("C&enter picture"));
}

void THPWiz::cbUseParagraphClick() { ui->mParagraph->setEnabled(ui->cbUseParagraph->isChecked()); }

void THPWiz::cbUseLinkClick() {
    const bool use = ui->cbUseLink->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui->lbURL, ui->eURL, ui->sbLocateURL, ui->lbDesc, ui->eDesc})
        w->setEnabled(use);
}

void THPWiz::cbUseAuthorClick() {
    const bool use = ui->cbUseAuthor->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui->lbName, ui->eName, ui->lbEMail, ui->eEMail})
        w->setEnabled(use);
}

void THPWiz::sbChooseColClick() {
    ts::runCommand(this, [&] {
        const std::optional<QColor> chosen = ts::commonDialogs().color(this, m_lastColour);
        if (!chosen) return;
        m_lastColour = *chosen;
        // Six digits of the colour value, which reads blue, green, red.
        const QString digits =
            QStringLiteral("%1").arg(ts::colorRef(*chosen) & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
        ui->eColR->setText(digits.mid(4, 2));
        ui->eColG->setText(digits.mid(2, 2));
        ui->eColB->setText(digits.mid(0, 2));
    });
}

void THPWiz::sbLocateClick() {
    QLineEdit* field = nullptr;
    if (sender() == ui->sbLocateBGImg) field = ui->eBGImage;
    else if (sender() == ui->sbLocateImg) field = ui->eImage;
    else if (sender() == ui->sbLocateURL) field = ui->eURL;
    if (!field) return;
    ts::runCommand(this, [&] {
        if (const std::optional<QString> url = ts::chooseURL(this)) field->setText(*url);
    });
    // Focus returns here without relying on a window manager; the
    // activation then refills the author's fields.
    activateWindow();
}

void THPWiz::FormActivate() {
    // A damaged store is reported once per run: the box itself hands the
    // activation back to the wizard, which would ask again for ever.
    if (m_settingsReported) return;
    const bool loaded = ts::runCommand(this, [&] {
        const TPrefsRecord prefs = TPrefsRecord::load();
        ui->eName->setText(prefs.Author);
        ui->eEMail->setText(prefs.EMail);
    });
    if (!loaded) m_settingsReported = true;
}

bool THPWiz::event(QEvent* e) {
    const bool handled = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return handled;
}

void THPWiz::keyPressEvent(QKeyEvent* e) {
    // There is no Cancel: Escape does not end the wizard.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

QStringList THPWiz::paragraphLines() const {
    QTextDocument* doc = ui->mParagraph->document();
    if (doc->isEmpty()) return {};
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
    QStringList lines;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (layout) layout->ensureBlockLayout(block);
        const QTextLayout* tl = block.layout();
        if (!tl || tl->lineCount() == 0) {
            lines << text;
            continue;
        }
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    if (doc->blockCount() > 1 && doc->lastBlock().text().isEmpty()) lines.removeLast();
    return lines;
}

ts::THomepageValues THPWiz::values() const {
    ts::THomepageValues v;
    v.eTitle = ui->eTitle->text();
    v.eSecHead = ui->eSecHead->text();
    v.cbCenterHead = ui->cbCenterHead->isChecked();
    v.cbRules = ui->cbRules->isChecked();
    v.rbColorBG = ui->rbColorBG->isChecked();
    v.rbImage = ui->rbImage->isChecked();
    v.eColR = ui->eColR->text();
    v.eColG = ui->eColG->text();
    v.eColB = ui->eColB->text();
    v.eBGImage = ui->eBGImage->text();
    v.cbUsePic = ui->cbUsePic->isChecked();
    v.eImage = ui->eImage->text();
    v.cbUseCaption = ui->cbUseCaption->isChecked();
    v.eImgCaption = ui->eImgCaption->text();
    v.cbCenterPic = ui->cbCenterPic->isChecked();
    v.cbUseParagraph = ui->cbUseParagraph->isChecked();
    v.mParagraph = paragraphLines();
    v.cbUseLink = ui->cbUseLink->isChecked();
    v.eURL = ui->eURL->text();
    v.eDesc = ui->eDesc->text();
    v.cbUseAuthor = ui->cbUseAuthor->isChecked();
    v.eName = ui->eName->text();
    v.eEMail = ui->eEMail->text();
    return v;
}
