#include "editor/thtml.h"

#include "editor/template.h"
#include "editor/tsrichedit.h"
#include "platform/clock.h"
#include "platform/command.h"
#include "settings/tprefsrecord.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QVBoxLayout>

THTML::THTML(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("THTML"));
    resize(646, 480);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_panel1 = new QWidget(this);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setFixedHeight(73);
    layout->addWidget(m_panel1);

    m_richEdit = new TSRichEdit(this);
    layout->addWidget(m_richEdit, 1);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setFixedHeight(19);
    m_statusBar->setSizeGripEnabled(false);
    const int widths[4] = {80, 80, 80, 50};
    for (int k = 0; k < 4; ++k) {
        auto* label = new QLabel(m_statusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(k + 1));
        label->setFixedWidth(widths[k]);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_statusBar->addWidget(label);
        m_panels[k] = label;
    }
    layout->addWidget(m_statusBar);

    connect(m_richEdit, &TSRichEdit::StatusChanged, this, &THTML::PosChange);
    FormCreate();
}

THTML::~THTML() = default;

void THTML::SetFileName(const QString& name) { m_fileName = name; }

QWidget* THTML::FrameWindow() const {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
    return const_cast<THTML*>(this);
}

void THTML::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (FrameWindow() != this) FrameWindow()->setWindowTitle(caption);
}

QString THTML::Caption() const { return windowTitle(); }

void THTML::maximiseInFrame() { FrameWindow()->showMaximized(); }

void THTML::applySettingsAppearance(const TPrefsRecord& prefs) {
    m_richEdit->ApplyAppearance(prefs.StdFont, prefs.StdFontSize, prefs.TextCol, prefs.BGCol);
}

void THTML::LoadDocument() {
    const TPrefsRecord prefs = TPrefsRecord::load();
    if (prefs.DocMaxi) maximiseInFrame();

    // A file that cannot be read leaves the window open and empty; the
    // failure reaches the general error handler with the file's name.
    ts::LoadedDocument doc = ts::loadDocumentFile(m_fileName);
    m_format = doc.format;
    m_richEdit->SetLineBreak(doc.lineBreak == ts::LineBreak::Lf   ? TSRichEdit::Eol::Lf
                             : doc.lineBreak == ts::LineBreak::Cr ? TSRichEdit::Eol::Cr
                                                                  : TSRichEdit::Eol::CrLf);
    m_richEdit->SetDocumentBytes(doc.utf8);
    doc.utf8.clear();

    applySettingsAppearance(prefs);
    if (prefs.ShowComp) emit ComponentsRequested();
    SetCaption(m_fileName);

    m_richEdit->setFocus();
    m_richEdit->ClearModified();
    PosChange();
}

void THTML::InitNewDocument(bool noTemplate) {
    SetCaption(untitledName());
    const TPrefsRecord prefs = TPrefsRecord::load();
    if (prefs.DocMaxi) maximiseInFrame();

    m_format = ts::DocumentFormat{};
    m_richEdit->SetLineBreak(TSRichEdit::Eol::CrLf);
    if (prefs.MinDoc && !noTemplate) {
        const QDateTime now = ts::clock().now();
        const QStringList lines = newDocumentTemplate(ts::clock().shortDate(now.date()),
                                                      ts::clock().longTime(now.time()), prefs.Author,
                                                      prefs.EMail);
        for (const QString& line : lines) m_richEdit->InsertLine(m_richEdit->LineCount(), line);
        // The template is the starting point, not an edit to undo.
        m_richEdit->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        m_richEdit->ClearModified();
    }

    applySettingsAppearance(prefs);
    if (prefs.ShowComp) emit ComponentsRequested();

    m_richEdit->setFocus();
    m_richEdit->ClearModified();
    PosChange();
}

int THTML::LineCount() const { return m_richEdit->LineCount(); }

void THTML::PosChange() {
    m_panels[0]->setText(QString::number(m_richEdit->CaretCol()) + QLatin1Char(':') +
                         QString::number(m_richEdit->CaretRow()));
    m_panels[1]->setText(m_richEdit->Modified() ? QStringLiteral("modified...") : QString());
    m_panels[2]->clear();
    m_panels[3]->clear();
}

QString THTML::PanelText(int index) const {
    if (index < 0 || index >= 4) return QString();
    return m_panels[index]->text();
}

void THTML::FormCreate() {
    // The user-tag buttons are refreshed here once user tags exist.
}

bool THTML::FormCloseQuery() { return true; }

void THTML::CloseApproved() {
    m_closeApproved = true;
    FrameWindow()->close();
}

void THTML::closeEvent(QCloseEvent* e) {
    if (!m_closeApproved) {
        bool mayClose = true;
        ts::runCommand(this, [&] { mayClose = FormCloseQuery(); });
        if (!mayClose) {
            e->ignore();
            return;
        }
    }
    e->accept();
}

void THTML::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    FormCreate();
}
