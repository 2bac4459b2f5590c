#include "editor/catalogue.h"

namespace ts {

namespace {

TComponentNode entry(const char* caption, const char* snippet) {
    return {QString::fromUtf8(caption), false, QString::fromUtf8(snippet), {}};
}

TComponentNode group(const char* caption, std::vector<TComponentNode> children) {
    return {QString::fromUtf8(caption), true, std::nullopt, std::move(children)};
}

std::vector<TComponentNode> buildCatalogue() {
    return {
        group("Internet Explorer",
              {
                  entry("Marquee", "<MARQUEE>enter your marquee text here</MARQUEE>"),
                  entry("Strikeout", "<S>Enter strikeout text</S>"),
              }),
        group("Netscape Navigator",
              {
                  entry("Big text", "<BIG>todo Enter BIG text here</BIG>"),
                  entry("Small text", "<SMALL>Enter  small text</SMALL>"),
                  entry("Subscript text", "<SUB>Enter subscript text</SUB>"),
                  entry("Superscript text", "<SUP>Enter superscript text</SUP>"),
              }),
        group("Page Layout",
              {
                  entry("Activated Link color", "<BODY ALINK=#rrggbb>"),
                  entry("Background color", "<BODY BGCOLOR=#rrggbb>"),
                  entry("Base font", "<BASEFONT SIZE=Enter a number between 1 and 7>"),
                  entry("Horizontal rule", "<HR>"),
                  entry("Link color", "<BODY LINK=#rrggbb>"),
                  entry("Text color", "<BODY TEXT=#rrggbb>"),
                  entry("Title", "<TITLE>Enter your title</TITLE>"),
                  entry("Visited link color", "<BODY VLINK=#rrggbb>"),
              }),
        group("Paragraph",
              {
                  entry("Address", "<ADDRESS>Enter your address here</ADDRESS>"),
                  entry("Align", "ALIGN=LEFT or CENTER or RIGHT"),
                  entry("Blockquote", "<BLOCKQUOTE>Enter your quote here</BLOCKQUOTE>"),
                  entry("Body paragraph", "<P>Enter your paragraph here</P>"),
                  entry("Clear", "CLEAR"),
                  entry("Comment", "<! Enter your comment here>"),
                  group("Headings",
                        {
                            entry("Heading 1", "<H1>Enter Heading here</H1>"),
                            entry("Heading 2", "<H2>Enter Heading here</H2>"),
                            entry("Heading 3", "<H3>Enter Heading here</H3>"),
                            entry("Heading 4", "<H4>Enter Heading here</H4>"),
                            entry("Heading 5", "<H5>Enter Heading here</H5>"),
                            entry("Heading 6", "<H6>Enter Heading here</H6>"),
                        }),
                  entry("Line break", "<BR>"),
                  entry("No break", "<NOBR>Enter text here</NOBR>"),
                  entry("Preformatted text", "<PRE>Enter your preformatted text</PRE>"),
                  entry("Word Break", "<WBR>"),
              }),
        group("Tables",
              {
                  entry("Row/Column table", "<TABLE BORDER=1><TR><TH>Enter column heading</TH></TR>"
                                            "<TR><TD>Enter cell text</TD></TR></TABLE>"),
                  entry("Simple table", "<TABLE BORDER=1><TR><TD>Enter cell text</TD></TR></TABLE>"),
              }),
        group("Text",
              {
                  group("Effects", {entry("Blink", "<BLINK>Enter blinking text here</BLINK>")}),
                  group("Font",
                        {
                            entry("Decrease size", "<FONT SIZE=-n Enter number between 1-7> Enter text here</FONT>"),
                            entry("Increase size", "<FONT SIZE=+n Enter number between 1-7> Enter text here</FONT>"),
                            entry("Specify size", "<FONT SIZE=n Enter a number between 1-7)>Enter text</FONT>"),
                        }),
                  group("Style",
                        {
                            entry("Bold", "<B>Enter bold text</B>"),
                            entry("Bold italic", "<B><I>Enter bold-italic text here</I></B>"),
                            entry("Citation", "<CITE>Enter cited text here</CITE>"),
                            entry("Emphasis", "<EM>Enter emphasized text here</EM>"),
                            entry("Italic", "<I>Enter italic text</I>"),
                            entry("Sample code", "<SAMP>Enter code sample here</SAMP>"),
                            entry("Strong", "<STRONG>Enter strong text here</STRONG>"),
                        }),
              }),
    };
}

const TComponentNode* find(const std::vector<TComponentNode>& nodes, const QString& caption) {
    for (const TComponentNode& n : nodes) {
        if (n.caption == caption) return &n;
        if (const TComponentNode* hit = find(n.children, caption)) return hit;
    }
    return nullptr;
}

} // namespace

const std::vector<TComponentNode>& componentCatalogue() {
    static const std::vector<TComponentNode> catalogue = buildCatalogue();
    return catalogue;
}

std::optional<QString> snippetFor(const QString& caption) {
    const TComponentNode* node = find(componentCatalogue(), caption);
    if (!node || node->group) return std::nullopt;
    return node->snippet;
}

} // namespace ts
