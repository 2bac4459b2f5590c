#include "tags/commands.h"
#include "tags/inlinetags.h"
#include "tags/theading.h"
#include "tags/thr.h"

#include <QDialog>

namespace ts {

namespace {

void insertTag(const TEditContext& ctx, const QString& objectName, const QString& text) {
    insertInlineTag(ctx.editor, *inlineTag(objectName), text);
}

void insertFixed(const TEditContext& ctx, const QString& objectName) {
    const TInlineTag& tag = *inlineTag(objectName);
    insertInlineTag(ctx.editor, tag, tag.text);
}

void sbHeadingClick(const TEditContext& ctx) {
    THeading dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(ctx, QStringLiteral("sbHeading"), dlg.headingText());
}

// Line break, paragraph, rule, bold, italic and underline, told apart by the button.
void sbDocStrucClick(const TEditContext& ctx, const QString& button) {
    if (button != QLatin1String("sbHRule")) {
        insertFixed(ctx, button);
        return;
    }
    // Read afresh at every press: a change in the preferences counts at once.
    if (!ctx.readSettings().UseNetscapeExt) {
        insertTag(ctx, button, composeRule());
        return;
    }
    THR dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(ctx, button, dlg.ruleText());
}

// Preformatted, subscript, superscript, strong and emphasis, told apart by the button.
void sbDocFontClick(const TEditContext& ctx, const QString& button) { insertFixed(ctx, button); }

void sbTableRowClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbTR")); }
void sbTableDataClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbTD")); }
void sbOrderedListClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbOrdList")); }
void sbUnOrderedListClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbUnOrdList")); }
void sbListItemClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbListItem")); }
void sbMenuListClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbMenuList")); }
void sbDirectoryListClick(const TEditContext& ctx) { insertFixed(ctx, QStringLiteral("sbDirList")); }

} // namespace

std::vector<TTagCommand> inlineTagCommands() {
    // A handler that serves several buttons is told which one was pressed.
    auto shared = [](const char* button, void (*handler)(const TEditContext&, const QString&)) {
        const QString name = QString::fromLatin1(button);
        return TTagCommand{name, [name, handler](const TEditContext& ctx) { handler(ctx, name); }};
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
