#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "tags/commands.h"
#include "tags/tcolormixer.h"
#include "tags/tquickfont.h"
#include "tags/ttab.h"
#include "tags/ttabcaption.h"
#include "tags/ttableedit.h"

namespace ts {

namespace {

void sbQuickFontClick(const TEditContext& ctx) {
    TQuickFont dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(ctx.editor, dlg.fontTag());
}

void sbColorMixerClick(const TEditContext& ctx) {
    TColorMixer dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertAtCaret(ctx.editor, dlg.colourText(), false);
}

void sbTableEditorClick(const TEditContext& ctx) {
    TTableEdit dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = ctx.editor;
    // Line by line above the caret's line, taken back by one undo.
    TProgramChange change(editor);
    for (const QString& line : dlg.tableLines()) insertLineAtCaretRow(editor, line);
}

void sbTableClick(const TEditContext& ctx) {
    TTab dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(ctx.editor, dlg.tableText());
}

void sbTableCaptionClick(const TEditContext& ctx) {
    TTabCaption dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(ctx.editor, dlg.captionText());
}

} // namespace

std::vector<TTagCommand> fontTableCommands() {
    return {
        {QStringLiteral("sbQuickFont"), &sbQuickFontClick},
        {QStringLiteral("miQuickFont"), &sbQuickFontClick},
        {QStringLiteral("sbColorMixer"), &sbColorMixerClick},
        {QStringLiteral("sbTableEdit"), &sbTableEditorClick},
        {QStringLiteral("miQuickTable"), &sbTableEditorClick},
        {QStringLiteral("sbTable"), &sbTableClick},
        {QStringLiteral("sbTableCaption"), &sbTableCaptionClick},
    };
}

} // namespace ts
