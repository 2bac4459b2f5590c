#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "tags/commands.h"
#include "tags/tanchor.h"
#include "tags/timg.h"
#include "tags/tquickdoc.h"

#include <QDateTime>

namespace ts {

namespace {

// Columns count characters, and a QString counts UTF-16 units.
int columnsOf(const QString& s) { return int(s.toUcs4().size()); }

void sbAnchorClick(const TEditContext& ctx) {
    TAnchor dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    const QString anchor = dlg.anchorText();
    // The caret lands before "</A>", after the description.
    insertAtCaret(ctx.editor, anchor, true, columnsOf(anchor) - 4);
}

void sbImageClick(const TEditContext& ctx) {
    TImg dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(ctx.editor, dlg.imageTag());
}

void sbQuickDocClick(const TEditContext& ctx) {
    const QString question = QStringLiteral("Current content will be deleted!! Continue ?");
    if (messages().warnYesNo(ctx.dialogParent, question) != Answer::Yes) return;
    TQuickDoc dlg(ctx.dialogParent);
    if (dlg.exec() != QDialog::Accepted) return;

    TQuickDocFields fields = dlg.fields();
    const TPrefsRecord prefs = ctx.readSettings();
    fields.author = prefs.Author;
    fields.email = prefs.EMail;
    // One reading, so date and time cannot fall on either side of midnight.
    const QDateTime now = clock().now();
    fields.date = clock().shortDate(now.date());
    fields.time = clock().longTime(now.time());
    const QStringList lines = composeQuickDocument(fields);

    // The old text goes in the same undo step, so one Undo gives it back.
    TLineEditor& editor = ctx.editor;
    TProgramChange change(editor);
    editor.ClearText();
    for (const QString& line : lines) appendLine(editor, line);
}

} // namespace

std::vector<TTagCommand> linkCommands() {
    return {
        {QStringLiteral("sbQuickDoc"), &sbQuickDocClick},
        {QStringLiteral("miQuickDoc"), &sbQuickDocClick},
        {QStringLiteral("sbAnchor"), &sbAnchorClick},
        {QStringLiteral("sbImage"), &sbImageClick},
    };
}

} // namespace ts
