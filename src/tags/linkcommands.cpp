#include "editor/lineeditor.h"
#include "editor/primitives.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "settings/tprefsrecord.h"
#include "tags/commands.h"
#include "tags/tanchor.h"
#include "tags/timg.h"
#include "tags/tquickdoc.h"

#include <QDateTime>

namespace ts {

namespace {

// Columns count characters, and a QString counts UTF-16 units.
int columnsOf(const QString& s) { return int(s.toUcs4().size()); }

void sbAnchorClick(THTML& doc) {
    TAnchor dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    const QString anchor = dlg.anchorText();
    // The caret lands before "</A>", after the description.
    insertAtCaret(*doc.RichEdit(), anchor, true, columnsOf(anchor) - 4);
}

void sbImageClick(THTML& doc) {
    TImg dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertLineAtCaretRow(*doc.RichEdit(), dlg.imageTag());
}

void sbQuickDocClick(THTML& doc) {
    if (messages().warnYesNo(&doc, QStringLiteral("Current content will be deleted!! Continue ?")) != Answer::Yes)
        return;
    TQuickDoc dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;

    TQuickDocFields fields = dlg.fields();
    const TPrefsRecord prefs = TPrefsRecord::load();
    fields.author = prefs.Author;
    fields.email = prefs.EMail;
    // One reading, so date and time cannot fall on either side of midnight.
    const QDateTime now = clock().now();
    fields.date = clock().shortDate(now.date());
    fields.time = clock().longTime(now.time());
    const QStringList lines = composeQuickDocument(fields);

    // The old text goes in the same undo step, so one Undo gives it back.
    TSRichEdit& editor = *doc.RichEdit();
    TProgramChange change(editor);
    // Not QsciScintilla::clear(), which also forgets the undo history.
    editor.SendScintilla(QsciScintillaBase::SCI_CLEARALL);
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
