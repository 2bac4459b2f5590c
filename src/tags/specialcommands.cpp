#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "tags/commands.h"
#include "tags/timggal.h"
#include "tags/tparty.h"

namespace ts {

namespace {

void sbPartyClick(const TEditContext& ctx) {
    TParty dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = ctx.editor;
    TProgramChange change(editor);
    for (const QString& line : composePartyLines(dlg.Result())) insertLineAtCaretRow(editor, line);
}

void sbImgGalleryClick(const TEditContext& ctx) {
    TImgGal dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = ctx.editor;
    TProgramChange change(editor);
    for (const QString& line : composeGalleryLines(dlg.Result())) appendLine(editor, line);
}

} // namespace

std::vector<TTagCommand> specialCommands() {
    return {{QStringLiteral("sbParty"), &sbPartyClick}, {QStringLiteral("sbImgGallery"), &sbImgGalleryClick}};
}

} // namespace ts
