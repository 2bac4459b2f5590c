#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

constexpr qint32 kText = 0x112233, kBack = 0x445566, kLinks = 0x0000AA, kImages = 0x00BB00, kOther = 0xCC0000;

const char kSample[] =
    "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">\r\n"
    "<!-- a <A HREF=\"x\"> comment\r\n still --> after\r\n"
    "<P>See <A HREF=\"x.html\" TITLE='a > b'>the link</A> and <IMG SRC=\"p.gif\" ALT=\"<A>\">.</P>\r\n"
    "<a href=y\r\n  name=\"n\">low</a><img src=z><abbr>ab</abbr><address>ad</address> 1 < 2\r\n"
    "<TD CLASS=\"c\r\n>still\">text</TD>\r\n";

long sci(const TSRichEdit& e, unsigned int msg, long w = 0, long l = 0) {
    return static_cast<long>(const_cast<TSRichEdit&>(e).SendScintilla(msg, static_cast<unsigned long>(w), l));
}

void load(TSRichEdit& e, const QByteArray& bytes) {
    e.ApplyAppearance(QString(), 0, kText, kBack);
    e.SetTagColours(kLinks, kImages, kOther);
    e.SetDocumentBytes(bytes);
}

void styleAll(TSRichEdit& e) { sci(e, QsciScintillaBase::SCI_COLOURISE, 0, -1); }

// Foreground and background colour at a byte position, 0x00BBGGRR.
long foreAt(const TSRichEdit& e, long pos) {
    return sci(e, QsciScintillaBase::SCI_STYLEGETFORE, sci(e, QsciScintillaBase::SCI_GETSTYLEAT, pos));
}
long backAt(const TSRichEdit& e, long pos) {
    return sci(e, QsciScintillaBase::SCI_STYLEGETBACK, sci(e, QsciScintillaBase::SCI_GETSTYLEAT, pos));
}

// The colour the text at a position is drawn in: a tag indicator's where one
// is set, else its style's.
long shownAt(const TSRichEdit& e, long pos) {
    for (int k = 0; k < 3; ++k)
        if (sci(e, QsciScintillaBase::SCI_INDICATORVALUEAT, TSRichEdit::kTagIndicator + k, pos))
            return sci(e, QsciScintillaBase::SCI_INDICGETFORE, TSRichEdit::kTagIndicator + k);
    return foreAt(e, pos);
}

QByteArray styles(const TSRichEdit& e) {
    QByteArray out;
    for (long p = 0; p < e.ByteLength(); ++p) out += char(sci(e, QsciScintillaBase::SCI_GETSTYLEAT, p));
    return out;
}

} // namespace

TEST(TagColours, EachTagIsColouredWholeByItsKindAndTextKeepsTheTextColour) {
    TSRichEdit e;
    const QByteArray sample(kSample);
    load(e, sample);
    styleAll(e);
    // Every character of the piece (its n-th occurrence) has the colour.
    const struct {
        const char* piece;
        int occurrence;
        qint32 colour;
    } cases[] = {
        {"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">", 0, kOther},
        {"<!-- a <A HREF=\"x\"> comment\r\n still -->", 0, kOther},
        {" after\r\n", 0, kText},
        {"<P>", 0, kOther},
        {"See ", 0, kText},
        {"<A HREF=\"x.html\" TITLE='a > b'>", 0, kLinks},
        {"the link", 0, kText},
        {"</A>", 0, kLinks},
        {" and ", 0, kText},
        {"<IMG SRC=\"p.gif\" ALT=\"<A>\">", 0, kImages},
        {".", 3, kText},
        {"</P>", 0, kOther},
        {"<a href=y\r\n  name=\"n\">", 0, kLinks},
        {"low", 0, kText},
        {"</a>", 0, kLinks},
        {"<img src=z>", 0, kImages},
        {"<abbr>", 0, kOther},
        {"</abbr>", 0, kOther},
        {"<address>", 0, kOther},
        {" 1 < 2\r\n", 0, kText},
        {"<TD CLASS=\"c\r\n>still\">", 0, kOther},
        {"text", 0, kText},
    };
    for (const auto& c : cases) {
        qsizetype at = -1;
        for (int k = 0; k <= c.occurrence; ++k) at = sample.indexOf(c.piece, at + 1);
        ASSERT_GE(at, 0) << c.piece;
        for (qsizetype p = at; p < at + qsizetype(strlen(c.piece)); ++p)
            EXPECT_EQ(foreAt(e, long(p)), c.colour) << c.piece << " at " << p - at;
    }
    for (long p = 0; p < e.ByteLength(); ++p) ASSERT_EQ(backAt(e, p), kBack) << p;
}

TEST(TagColours, StylingLineByLineOrAfterAnEditGivesWhatStylingAtOnceGives) {
    const QByteArray sample(kSample);
    TSRichEdit whole;
    load(whole, sample);
    styleAll(whole);
    const QByteArray expected = styles(whole);

    TSRichEdit pieces;
    load(pieces, sample);
    const long lines = sci(pieces, QsciScintillaBase::SCI_GETLINECOUNT);
    for (long line = 1; line <= lines; ++line)
        sci(pieces, QsciScintillaBase::SCI_COLOURISE, 0, sci(pieces, QsciScintillaBase::SCI_POSITIONFROMLINE, line));
    styleAll(pieces);
    EXPECT_EQ(styles(pieces), expected);

    // Opening a quote on line 3 turns everything after it into a value up to
    // the next quote; taking it out again restores the first styling.
    const long at = long(sample.indexOf("See"));
    pieces.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(at), "<B TITLE=\"");
    styleAll(pieces);
    EXPECT_EQ(foreAt(pieces, at + 12), kOther); // "e" of See, now inside the value
    pieces.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, static_cast<unsigned long>(at), 10L);
    styleAll(pieces);
    EXPECT_EQ(styles(pieces), expected);
}

TEST(TagColours, DocumentWindowsReadTheStoredColoursOrTheDialogsInitialOnes) {
    ScopedPlatform platform;
    {
        FreshRegistry registry; // nothing stored at all
        THTML created, recovered;
        created.InitNewDocument(false);
        ts::RecoveredDocument journal;
        journal.header.fileName = QStringLiteral("lost.html");
        journal.text = "<P>lost</P>";
        recovered.RecoverDocument(journal);
        for (THTML* doc : {&created, &recovered}) {
            EXPECT_EQ(doc->RichEdit()->LinkColour(), QColor(0, 0, 255));
            EXPECT_EQ(doc->RichEdit()->ImageColour(), QColor(255, 0, 0));
            EXPECT_EQ(doc->RichEdit()->OtherColour(), QColor(0, 128, 128));
        }
    }
    FreshRegistry registry;
    TPrefsRecord p;
    p.TextCol = kText;
    p.BGCol = kBack;
    p.Links = kLinks;
    p.Images = kImages;
    p.Other = kOther;
    registry.store(p);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x<A HREF=\"a\">y</A><IMG SRC=\"b\"><HR>");
    f.close();
    THTML doc;
    doc.SetFileName(path);
    doc.LoadDocument();
    styleAll(*doc.RichEdit());
    const long expected[][2] = {{0, kText}, {1, kLinks}, {13, kText}, {14, kLinks}, {18, kImages}, {31, kOther}};
    for (const auto& [pos, colour] : expected) EXPECT_EQ(foreAt(*doc.RichEdit(), pos), colour) << pos;
}

TEST(TagColours, ALargeDocumentKeepsNoStylesAndColoursWhatIsShownAsASmallOneIs) {
    const QByteArray sample(kSample);
    TSRichEdit small;
    load(small, sample);
    styleAll(small);

    // The sample at the top and again at the end of more than 20 MB.
    const QByteArray filler("<P>filler</P> text\r\n");
    const QByteArray big = sample + filler.repeated(int(TSRichEdit::kUnstyledAbove / filler.size()) + 1) + sample;
    const long tail = long(big.size() - sample.size());
    TSRichEdit e;
    e.resize(700, 400);
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    load(e, big);
    EXPECT_TRUE(e.ColouredWhereShown());
    EXPECT_TRUE(sci(e, QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) & QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE);
    e.repaint();
    auto sameAsSmall = [&](long offset) {
        for (long p = 0; p < long(sample.size()); ++p)
            if (shownAt(e, offset + p) != foreAt(small, p)) return p;
        return -1L;
    };
    EXPECT_EQ(sameAsSmall(0), -1);
    EXPECT_EQ(shownAt(e, tail + 60), kText) << "not shown, not coloured";

    e.SetCaretRow(e.LineCount() - 1);
    e.repaint();
    EXPECT_EQ(sameAsSmall(tail), -1);
    EXPECT_EQ(shownAt(e, 0), kText) << "scrolled away, no longer coloured";

    // An edit in view: the quote opened before "See" swallows what follows.
    const long at = tail + long(sample.indexOf("See"));
    e.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(at), "<B TITLE=\"");
    e.repaint();
    EXPECT_EQ(shownAt(e, at + 12), kOther);
    EXPECT_EQ(QByteArray(e.DocumentBytes().data(), qsizetype(e.DocumentBytes().size())).right(sample.size() + 10),
              QByteArray(sample).insert(sample.indexOf("See"), "<B TITLE=\""));

    // A small document in the same editor has styles again.
    load(e, sample);
    EXPECT_FALSE(e.ColouredWhereShown());
    styleAll(e);
    EXPECT_EQ(styles(e), styles(small));
}
