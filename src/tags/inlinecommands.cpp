#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "settings/tprefsrecord.h"
#include "tags/commands.h"
#include "tags/inlinetags.h"
#include "tags/theading.h"
#include "tags/thr.h"

#include <QDialog>

namespace ts {

namespace {

void insertTag(THTML& doc, const QString& objectName, const QString& text) {
    insertInlineTag(*doc.RichEdit(), *inlineTag(objectName), text);
}

void sbHeadingClick(THTML& doc) {
    THeading dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(doc, QStringLiteral("sbHeading"), dlg.headingText());
}

void sbHRuleClick(THTML& doc) {
    // Read afresh at every press: a change in the preferences counts at once.
    if (!TPrefsRecord::load().UseNetscapeExt) {
        insertTag(doc, QStringLiteral("sbHRule"), composeRule());
        return;
    }
    THR dlg(&doc);
    if (dlg.exec() != QDialog::Accepted) return;
    insertTag(doc, QStringLiteral("sbHRule"), dlg.ruleText());
}

} // namespace

std::vector<TTagCommand> inlineTagCommands() {
    std::vector<TTagCommand> commands;
    for (const TInlineTag& tag : inlineTags()) {
        switch (tag.source) {
        case TInlineSource::HeadingDialog: commands.push_back({tag.objectName, &sbHeadingClick}); break;
        case TInlineSource::RuleSetting: commands.push_back({tag.objectName, &sbHRuleClick}); break;
        case TInlineSource::Fixed:
            commands.push_back({tag.objectName, [&tag](THTML& doc) {
                                    insertInlineTag(*doc.RichEdit(), tag, tag.text);
                                }});
            break;
        }
    }
    return commands;
}

} // namespace ts
