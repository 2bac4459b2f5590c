#include "usertags/usertagbuttons.h"

#include "editor/primitives.h"
#include "editor/thtml.h"
#include "platform/command.h"
#include "tags/commands.h"
#include "usertags/tusertags.h"
#include "usertags/usertagstore.h"

#include <QToolButton>

namespace ts {

namespace {

QToolButton* userButton(THTML& doc, int number) {
    return doc.Palette().button(QStringLiteral("sbUser%1").arg(number));
}

// Tooltips render anything that looks like markup; a hint about a tag
// should show the tag itself.
QString plainToolTip(const QString& hint) {
    if (hint.isEmpty()) return hint;
    return QStringLiteral("<p style='white-space:pre'>") + hint.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace

void labelUserTagButtons(THTML& doc) {
    LoadUserTags();
    for (int n = 1; n <= kUserTagCount; ++n) {
        QToolButton* button = userButton(doc, n);
        if (!button) continue;
        const TUserTag& tag = UserTagTable(n);
        // "&" is shown as typed, not taken as a shortcut key.
        button->setText(QString(tag.Title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        button->setToolTip(plainToolTip(tag.Hint));
        button->setAccessibleName(tag.Hint.isEmpty() ? tag.Title : tag.Hint);
    }
}

void sbUserClick(const TEditContext& context, int number) {
    TUserTag tag;
    LoadUserTag(uint8_t(number), tag);
    // Columns count characters, so the caret lands right after the start text.
    const int offset = int(tag.StartTag.toUcs4().size());
    insertAtCaret(context.editor, tag.StartTag + tag.EndTag, true, offset);
}

void connectUserTags(THTML& doc) {
    for (int n = 1; n <= kUserTagCount; ++n) {
        QToolButton* button = userButton(doc, n);
        if (!button) continue;
        QObject::connect(button, &QToolButton::clicked, &doc, [&doc, n] {
            runCommand(&doc, [&] {
                sbUserClick(editContextOf(doc), n);
                doc.PosChange();
            });
        });
        button->setEnabled(true);
    }
    QObject::connect(&doc, &THTML::UserTagsRefresh, &doc, [&doc] {
        // A broken store fails at every resize; while one error box is open,
        // the resizes behind it do not stack up more.
        static bool busy = false;
        if (busy) return;
        busy = true;
        runCommand(&doc, [&] { labelUserTagButtons(doc); });
        busy = false;
    });
    // The window's own first FormCreate ran before anything was connected.
    doc.FormCreate();
}

void openUserTagManager(QWidget* parent) {
    runCommand(parent, [&] {
        TUserTags manager(parent);
        if (manager.exec() == QDialog::Accepted)
            messages().information(parent, QStringLiteral("Visual changes take effect next time you start Tagsmith."));
    });
}

} // namespace ts
