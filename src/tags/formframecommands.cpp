#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "tags/commands.h"
#include "tags/formfields.h"
#include "tags/frames.h"
#include "tags/tformheader.h"
#include "tags/tframe.h"
#include "tags/tframeset.h"
#include "tags/tnoframes.h"
#include "tags/tqfdialogs.h"
#include "tags/tquickform.h"

namespace ts {

namespace {

// Writes the lines above the caret's line, in order, as one undo step.
void insertLines(THTML& doc, const QStringList& lines) {
    TLineEditor& editor = *doc.RichEdit();
    TProgramChange change(editor);
    for (const QString& line : lines) insertLineAtCaretRow(editor, line);
}

// The eight single-field buttons share one handler; the kind tells them apart.
void sbFieldClick(THTML& doc, const TFieldKind& kind) {
    const std::unique_ptr<TQFDialog> dlg = kind.createDialog(&doc);
    if (dlg->exec() != QDialog::Accepted) return;
    insertLines(doc, composeField(kind, dlg->fieldValues(), TFieldPath::Palette));
}

void sbFormClick(THTML& doc) {
    TFormHeader dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(doc, {composeFormTag(dlg.values())});
}

void sbQuickFormClick(THTML& doc) {
    TFormHeader header(&doc);
    if (header.exec() != QDialog::Accepted) return;
    QStringList fields;
    {
        TQuickForm form(&doc);
        // A cancelled QuickForm still leaves its (empty) form.
        if (form.exec() == QDialog::Accepted) fields = form.lines();
    }
    insertLines(doc, composeQuickForm(header.values(), fields));
}

void sbFrameSetClick(THTML& doc) {
    TFrameSet dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(doc, {dlg.frameSetText()});
}

void sbFrameClick(THTML& doc) {
    TFrame dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(doc, {dlg.frameText()});
}

void sbNoFramesClick(THTML& doc) {
    TNoFrames dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(doc, composeNoFrames(dlg.messageLines()));
}

} // namespace

std::vector<TTagCommand> formFrameCommands() {
    std::vector<TTagCommand> commands{
        {QStringLiteral("sbQuickForm"), &sbQuickFormClick},
        {QStringLiteral("miQuickForm"), &sbQuickFormClick},
        {QStringLiteral("SpeedButton2"), &sbFormClick},
    };
    for (const TFieldKind& kind : fieldKinds())
        commands.push_back({kind.buttonName, [&kind](THTML& doc) { sbFieldClick(doc, kind); }});
    commands.push_back({QStringLiteral("sbFrameSet"), &sbFrameSetClick});
    commands.push_back({QStringLiteral("sbFrame"), &sbFrameClick});
    commands.push_back({QStringLiteral("sbNoFrames"), &sbNoFramesClick});
    return commands;
}

} // namespace ts
