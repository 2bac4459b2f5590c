#include "tags/inlinetags.h"

#include "editor/primitives.h"

#include <array>

namespace ts {

namespace {

using P = TPrimitive;
using S = TInlineSource;

// Paired tags put the caret between the opening and the closing tag: the
// offset is the length of the opening tag.
const std::array<TInlineTag, 19> kTags{{
    {QStringLiteral("sbHeading"), QString(), P::InsertLineAtCaretRow, false, 0, S::HeadingDialog},
    {QStringLiteral("sbLineBreak"), QStringLiteral("<BR>"), P::InsertAtCaret, false, 0, S::Fixed},
    {QStringLiteral("sbParagraph"), QStringLiteral("<P>"), P::InsertAtCaret, false, 0, S::Fixed},
    {QStringLiteral("sbHRule"), QStringLiteral("<HR>"), P::InsertLineAtCaretRow, false, 0, S::RuleSetting},
    {QStringLiteral("sbBold"), QStringLiteral("<B></B>"), P::InsertAtCaret, true, 3, S::Fixed},
    {QStringLiteral("sbItalic"), QStringLiteral("<I></I>"), P::InsertAtCaret, true, 3, S::Fixed},
    {QStringLiteral("sbUnderline"), QStringLiteral("<U></U>"), P::InsertAtCaret, true, 3, S::Fixed},
    {QStringLiteral("sbPre"), QStringLiteral("<PRE></PRE>"), P::InsertAtCaret, true, 5, S::Fixed},
    {QStringLiteral("sbSub"), QStringLiteral("<SUB></SUB>"), P::InsertAtCaret, true, 5, S::Fixed},
    {QStringLiteral("sbSup"), QStringLiteral("<SUP></SUP>"), P::InsertAtCaret, true, 5, S::Fixed},
    {QStringLiteral("sbStrong"), QStringLiteral("<STRONG></STRONG>"), P::InsertAtCaret, true, 8, S::Fixed},
    {QStringLiteral("sbEmp"), QStringLiteral("<EM></EM>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbTR"), QStringLiteral("<TR></TR>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbTD"), QStringLiteral("<TD></TD>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbOrdList"), QStringLiteral("<OL></OL>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbUnOrdList"), QStringLiteral("<UL></UL>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbListItem"), QStringLiteral("<LI>"), P::InsertAtCaret, true, 4, S::Fixed},
    {QStringLiteral("sbMenuList"), QStringLiteral("<MENU></MENU>"), P::InsertAtCaret, true, 6, S::Fixed},
    {QStringLiteral("sbDirList"), QStringLiteral("<DIR></DIR>"), P::InsertAtCaret, true, 5, S::Fixed},
}};

} // namespace

std::span<const TInlineTag> inlineTags() { return kTags; }

const TInlineTag* inlineTag(const QString& objectName) {
    for (const TInlineTag& t : kTags)
        if (t.objectName == objectName) return &t;
    return nullptr;
}

QString composeHeading(const QString& size, const QString& text) {
    const QString level = size.left(1);
    return QStringLiteral("<H") + level + QLatin1Char('>') + text + QStringLiteral("</H") + level +
           QLatin1Char('>');
}

QString composeRule(const std::optional<QString>& height) {
    if (!height) return QStringLiteral("<HR>");
    return QStringLiteral("<HR SIZE=") + *height + QLatin1Char('>');
}

void insertInlineTag(TLineEditor& editor, const TInlineTag& tag, const QString& text) {
    switch (tag.primitive) {
    case TPrimitive::InsertAtCaret:
        insertAtCaret(editor, text, tag.placeCaret, tag.offset);
        break;
    case TPrimitive::InsertLineAtCaretRow:
        insertLineAtCaretRow(editor, text);
        break;
    case TPrimitive::AppendLine:
        appendLine(editor, text);
        break;
    }
}

} // namespace ts
