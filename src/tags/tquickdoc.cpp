#include "tags/tquickdoc.h"

#include "editor/template.h"
#include "platform/commondialogs.h"
#include "tags/builderdialog.h"
#include "tags/turlbuilder.h"
#include "ui_tquickdoc.h"

#include <QEvent>

namespace ts {

QString composeBodyTag(const TQuickDocFields& f) {
    QString body = QStringLiteral("<BODY BACKGROUND=\"") + f.backImage;
    if (f.useColor) {
        body += QStringLiteral("\" BGCOLOR=\"") + htmlColour(f.background) + QStringLiteral("\" TEXT=\"") +
                htmlColour(f.text) + QStringLiteral("\" LINK=\"") + htmlColour(f.link) +
                QStringLiteral("\" VLINK=\"") + htmlColour(f.visitedLink) + QStringLiteral("\" ALINK=\"") +
                htmlColour(f.activeLink);
    }
    return body + QStringLiteral("\">");
}

QStringList composeQuickDocument(const TQuickDocFields& f) {
    return {
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">"),
        QStringLiteral("<!-- Document created : ") + f.date + QStringLiteral(", ") + f.time + QStringLiteral(" -->"),
        QStringLiteral("<HTML>"),
        QStringLiteral("  <HEAD>"),
        QStringLiteral("    <TITLE>") + f.title + QStringLiteral("</TITLE>"),
        QStringLiteral("    <META NAME=\"Author\" CONTENT=\"") + f.author + QStringLiteral("\">"),
        QStringLiteral("    <META NAME=\"DESCRIPTION\" CONTENT=\"") + f.description + QStringLiteral("\">"),
        QStringLiteral("  </HEAD>"),
        QStringLiteral("  ") + composeBodyTag(f),
        QStringLiteral("    <H1>") + f.mainHeading + QStringLiteral("</H1>"),
        QStringLiteral("    <HR>"),
        QStringLiteral("    <HR>"),
        QStringLiteral("    <CENTER><FONT SIZE=2>"),
        QStringLiteral("      This page was created with <A HREF=\"") + QString::fromLatin1(kMakerWebAddress) +
            QStringLiteral("\">Quillon's Tagsmith</A>.<BR>"),
        QStringLiteral("      Page (C) by <A HREF=\"mailto:") + f.email + QStringLiteral("\">") + f.author +
            QStringLiteral("</A>."),
        QStringLiteral("    </FONT></CENTER>"),
        QStringLiteral("  </BODY>"),
        QStringLiteral("</HTML>"),
    };
}

} // namespace ts

namespace {

void setLabelColour(QLabel* label, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(role, colour);
    label->setPalette(p);
}

ts::TColorRef labelColour(const QLabel* label, QPalette::ColorRole role) {
    return ts::colorRef(label->palette().color(role));
}

} // namespace

TQuickDoc::TQuickDoc(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TQuickDoc>()) {
    ui->setupUi(this);
    const ts::TQuickDocFields initial;
    const std::pair<QLabel*, ts::TColorRef> texts[] = {
        {ui->lbBGColor, initial.text},
        {ui->lbTextCol, initial.text},
        {ui->lbLinkCol, initial.link},
        {ui->lbActiveLinkCol, initial.activeLink},
        {ui->lbVisitedLinkCol, initial.visitedLink},
    };
    for (const auto& [label, colour] : texts) {
        setLabelColour(label, QPalette::Window, ts::toQColor(initial.background));
        setLabelColour(label, QPalette::WindowText, ts::toQColor(colour));
        label->installEventFilter(this);
    }
    connect(ui->sbLocateImage, &QToolButton::clicked, this, &TQuickDoc::sbLocateImageClick);
    ts::setUpBuilderDialog(*this, ui->bbOK, ui->bbCancel);
    ui->eTitle->setFocus();
}

TQuickDoc::~TQuickDoc() = default;

ts::TQuickDocFields TQuickDoc::fields() const {
    ts::TQuickDocFields f;
    f.title = ui->eTitle->text();
    f.description = ui->eDesc->text();
    f.mainHeading = ui->eMainHead->text();
    f.backImage = ui->eBackImage->text();
    f.useColor = ui->cbUseColor->isChecked();
    f.background = labelColour(ui->lbBGColor, QPalette::Window);
    f.text = labelColour(ui->lbTextCol, QPalette::WindowText);
    f.link = labelColour(ui->lbLinkCol, QPalette::WindowText);
    f.activeLink = labelColour(ui->lbActiveLinkCol, QPalette::WindowText);
    f.visitedLink = labelColour(ui->lbVisitedLinkCol, QPalette::WindowText);
    return f;
}

bool TQuickDoc::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            ColorChangeDblClick(label);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TQuickDoc::ColorChangeDblClick(QLabel* label) {
    const std::optional<QColor> chosen = ts::commonDialogs().color(this, m_lastColour);
    if (!chosen) return;
    m_lastColour = *chosen;
    if (label == ui->lbBGColor) {
        // The text colours are shown on the background, so all five change.
        for (QLabel* l : {ui->lbBGColor, ui->lbTextCol, ui->lbLinkCol, ui->lbActiveLinkCol, ui->lbVisitedLinkCol})
            setLabelColour(l, QPalette::Window, *chosen);
    } else {
        setLabelColour(label, QPalette::WindowText, *chosen);
    }
}

void TQuickDoc::sbLocateImageClick() {
    if (const auto url = ts::chooseURL(this)) ui->eBackImage->setText(*url);
}
