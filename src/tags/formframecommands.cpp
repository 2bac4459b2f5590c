#include "editor/lineeditor.h"
#include "editor/primitives.h"
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
void insertLines(const TEditContext& ctx, const QStringList& lines) {
    TLineEditor& editor = ctx.editor;
    TProgramChange change(editor);
    for (const QString& line : lines) insertLineAtCaretRow(editor, line);
}

// The eight single-field buttons share one handler; the kind tells them apart.
void sbFieldClick(const TEditContext& ctx, const TFieldKind& kind) {
    const std::unique_ptr<TQFDialog> dlg = kind.createDialog(ctx.dialogParent);
    if (dlg->exec() != QDialog::Accepted) return;
    insertLines(ctx, composeField(kind, dlg->fieldValues(), TFieldPath::Palette));
}

void sbFormClick(const TEditContext& ctx) {
    TFormHeader dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(ctx, {composeFormTag(dlg.values())});
}

void sbQuickFormClick(const TEditContext& ctx) {
    TFormHeader header(ctx.dialogParent);
    if (header.exec() != QDialog::Accepted) return;
    QStringList fields;
    {
        TQuickForm form(ctx.dialogParent);
        // A cancelled QuickForm still leaves its (empty) form.
        if (form.exec() == QDialog::Accepted) fields = form.lines();
    }
    insertLines(ctx, composeQuickForm(header.values(), fields));
}

void sbFrameSetClick(const TEditContext& ctx) {
    TFrameSet dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(ctx, {dlg.frameSetText()});
}

void sbFrameClick(const TEditContext& ctx) {
    TFrame dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(ctx, {dlg.frameText()});
}

void sbNoFramesClick(const TEditContext& ctx) {
    TNoFrames dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLines(ctx, composeNoFrames(dlg.messageLines()));
}

} // namespace

std::vector<TTagCommand> formFrameCommands() {
    std::vector<TTagCommand> commands{
        {QStringLiteral("sbQuickForm"), &sbQuickFormClick},
        {QStringLiteral("miQuickForm"), &sbQuickFormClick},
        {QStringLiteral("SpeedButton2"), &sbFormClick},
    };
    for (const TFieldKind& kind : fieldKinds())
        commands.push_back({kind.buttonName, [&kind](const TEditContext& ctx) { sbFieldClick(ctx, kind); }});
    commands.push_back({QStringLiteral("sbFrameSet"), &sbFrameSetClick});
    commands.push_back({QStringLiteral("sbFrame"), &sbFrameClick});
    commands.push_back({QStringLiteral("sbNoFrames"), &sbNoFramesClick});
    return commands;
}

} // namespace ts
