#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "tags/commands.h"
#include "tags/tcolormixer.h"
#include "tags/tquickfont.h"
#include "tags/ttab.h"
#include "tags/ttabcaption.h"
#include "tags/ttableedit.h"

namespace ts {

namespace {

void sbQuickFontClick(THTML& doc) {
    TQuickFont dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(*doc.RichEdit(), dlg.fontTag());
}

void sbColorMixerClick(THTML& doc) {
    TColorMixer dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertAtCaret(*doc.RichEdit(), dlg.colourText(), false);
}

void sbTableEditorClick(THTML& doc) {
    TTableEdit dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = *doc.RichEdit();
    // Line by line above the caret's line, taken back by one undo.
    TProgramChange change(editor);
    for (const QString& line : dlg.tableLines()) insertLineAtCaretRow(editor, line);
}

void sbTableClick(THTML& doc) {
    TTab dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(*doc.RichEdit(), dlg.tableText());
}

void sbTableCaptionClick(THTML& doc) {
    TTabCaption dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(*doc.RichEdit(), dlg.captionText());
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
