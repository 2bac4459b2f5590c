#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "tags/commands.h"
#include "tags/timggal.h"
#include "tags/tparty.h"

namespace ts {

namespace {

void sbPartyClick(THTML& doc) {
    TParty dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = *doc.RichEdit();
    TProgramChange change(editor);
    for (const QString& line : composePartyLines(dlg.Result())) insertLineAtCaretRow(editor, line);
}

void sbImgGalleryClick(THTML& doc) {
    TImgGal dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    TLineEditor& editor = *doc.RichEdit();
    TProgramChange change(editor);
    for (const QString& line : composeGalleryLines(dlg.Result())) appendLine(editor, line);
}

} // namespace

std::vector<TTagCommand> specialCommands() {
    return {{QStringLiteral("sbParty"), &sbPartyClick}, {QStringLiteral("sbImgGallery"), &sbImgGalleryClick}};
}

} // namespace ts
