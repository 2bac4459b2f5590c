#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "settings/tprefsrecord.h"
#include "tags/commands.h"
#include "tags/inlinetags.h"
#include "tags/theading.h"
#include "tags/thr.h"

#include <QDialog>

namespace ts {

namespace {

void insertTag(THTML& doc, const QString& objectName, const QString& text) {
    insertInlineTag(*doc.RichEdit(), *inlineTag(objectName), text);
}

void insertFixed(THTML& doc, const QString& objectName) {
    const TInlineTag& tag = *inlineTag(objectName);
    insertInlineTag(*doc.RichEdit(), tag, tag.text);
}

void sbHeadingClick(THTML& doc) {
    THeading dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(doc, QStringLiteral("sbHeading"), dlg.headingText());
}

// Line break, paragraph, rule, bold, italic and underline, told apart by the button.
void sbDocStrucClick(THTML& doc, const QString& button) {
    if (button != QLatin1String("sbHRule")) {
        insertFixed(doc, button);
        return;
    }
    // Read afresh at every press: a change in the preferences counts at once.
    if (!TPrefsRecord::load().UseNetscapeExt) {
        insertTag(doc, button, composeRule());
        return;
    }
    THR dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(doc, button, dlg.ruleText());
}

// Preformatted, subscript, superscript, strong and emphasis, told apart by the button.
void sbDocFontClick(THTML& doc, const QString& button) { insertFixed(doc, button); }

void sbTableRowClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbTR")); }
void sbTableDataClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbTD")); }
void sbOrderedListClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbOrdList")); }
void sbUnOrderedListClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbUnOrdList")); }
void sbListItemClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbListItem")); }
void sbMenuListClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbMenuList")); }
void sbDirectoryListClick(THTML& doc) { insertFixed(doc, QStringLiteral("sbDirList")); }

} // namespace

std::vector<TTagCommand> inlineTagCommands() {
    // A handler that serves several buttons is told which one was pressed.
    auto shared = [](const char* button, void (*handler)(THTML&, const QString&)) {
        const QString name = QString::fromLatin1(button);
        return TTagCommand{name, [name, handler](THTML& doc) { handler(doc, name); }};
    };
    return {
        {QStringLiteral("sbHeading"), &sbHeadingClick},
        shared("sbLineBreak", &sbDocStrucClick),
        shared("sbParagraph", &sbDocStrucClick),
        shared("sbHRule", &sbDocStrucClick),
        shared("sbBold", &sbDocStrucClick),
        shared("sbItalic", &sbDocStrucClick),
        shared("sbUnderline", &sbDocStrucClick),
        shared("sbPre", &sbDocFontClick),
        shared("sbSub", &sbDocFontClick),
        shared("sbSup", &sbDocFontClick),
        shared("sbStrong", &sbDocFontClick),
        shared("sbEmp", &sbDocFontClick),
        {QStringLiteral("sbTR"), &sbTableRowClick},
        {QStringLiteral("sbTD"), &sbTableDataClick},
        {QStringLiteral("sbOrdList"), &sbOrderedListClick},
        {QStringLiteral("sbUnOrdList"), &sbUnOrderedListClick},
        {QStringLiteral("sbListItem"), &sbListItemClick},
        {QStringLiteral("sbMenuList"), &sbMenuListClick},
        {QStringLiteral("sbDirList"), &sbDirectoryListClick},
    };
}

} // namespace ts
