#pragma once
#include <QString>

#include <optional>
#include <span>

class TLineEditor;

namespace ts {

// Which of the three insertion primitives a button writes through.
enum class TPrimitive { InsertAtCaret, InsertLineAtCaretRow, AppendLine };

// Where a button's text comes from.
enum class TInlineSource {
    Fixed,          // the text below, always
    HeadingDialog,  // composed by the Heading dialog
    RuleSetting,    // "<HR>", or the Horizontal Rule dialog with the Netscape extensions on
};

// One palette button that inserts a fixed (or dialog-composed) piece of markup.
struct TInlineTag {
    QString objectName;
    QString text;           // inserted text for Fixed and the plain rule
    TPrimitive primitive;
    bool placeCaret;        // insert at caret only
    int offset;             // caret offset from the insertion point, when placeCaret
    TInlineSource source;
};

// All inline tag buttons, in palette order.
std::span<const TInlineTag> inlineTags();
// The button of that objectName, or nullptr.
const TInlineTag* inlineTag(const QString& objectName);

// "<H" + first character of size + ">" + text + "</H" + same character + ">".
// An empty size gives "<H></H>" around the text.
QString composeHeading(const QString& size, const QString& text);
// "<HR>" without a height, "<HR SIZE=" + height + ">" with one (even an empty one).
QString composeRule(const std::optional<QString>& height = std::nullopt);

// Writes text into the editor the way the button is defined to (primitive,
// caret placement). For Fixed buttons pass tag.text.
void insertInlineTag(TLineEditor& editor, const TInlineTag& tag, const QString& text);

} // namespace ts
