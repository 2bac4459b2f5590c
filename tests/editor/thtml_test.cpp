#include "editor/tcomps.h"
#include "editor/template.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "tags/commands.h"
#include "support/testenv.h"
#include "platform/terror.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

QByteArray text(const THTML& doc) {
    const std::string_view v = doc.RichEdit()->DocumentBytes();
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TPrefsRecord withTemplate() {
    TPrefsRecord p;
    p.MinDoc = true;
    p.Author = QStringLiteral("Ann <Ä>");
    p.EMail = QStringLiteral("ann@example.org");
    return p;
}

} // namespace

TEST(NewDocument, TemplateLinesInOrderWithDateTimeAndAuthor) {
    ScopedPlatform platform;
    FreshRegistry registry;
    registry.store(withTemplate());
    THTML doc;
    doc.SetFileName(untitledName());
    doc.InitNewDocument(false);

    const QByteArray expected =
        "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 3.0//EN\">\r\n"
        "<!-- Document created : 07.03.24, 14:05:09 -->\r\n"
        "<HTML>\r\n"
        "  <HEAD>\r\n"
        "    <TITLE>enter the document title here</TITLE>\r\n"
        "    <META NAME=\"Author\" CONTENT=\"Ann <\xC3\x84>\">\r\n"
        "    <META NAME=\"DESCRIPTION\" CONTENT=\"enter the document description here\">\r\n"
        "  </HEAD>\r\n"
        "  <BODY>\r\n"
        "    <H1>enter the main heading here</H1>\r\n"
        "    <HR>\r\n"
        "    <HR>\r\n"
        "    <CENTER><FONT SIZE=2>\r\n"
        "      This page was created with <A HREF=\"https://www.quillon.example/tagsmith/\">Quillon's "
        "Tagsmith</A>.<BR>\r\n"
        "      Page (C) by <A HREF=\"mailto:ann@example.org\">Ann <\xC3\x84></A>.\r\n"
        "    </FONT></CENTER>\r\n"
        "  </BODY>\r\n"
        "</HTML>\r\n";
    EXPECT_EQ(text(doc), expected);
    EXPECT_EQ(doc.LineCount(), 18);
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("0:18"));
    EXPECT_EQ(doc.PanelText(1), QString());
    EXPECT_EQ(doc.Caption(), QStringLiteral("\u00BBnoname\u00AB"));
    EXPECT_FALSE(doc.RichEdit()->Modified());
    EXPECT_FALSE(doc.RichEdit()->isUndoAvailable());
    EXPECT_TRUE(doc.FormCloseQuery());
    EXPECT_TRUE(platform.boxes.shown.empty());
}

TEST(NewDocument, EmptySettingsGiveEmptyPieces) {
    const QStringList lines = newDocumentTemplate(QStringLiteral("d"), QStringLiteral("t"), QString(), QString());
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[1], QStringLiteral("<!-- Document created : d, t -->"));
    EXPECT_EQ(lines[5], QStringLiteral("    <META NAME=\"Author\" CONTENT=\"\">"));
    EXPECT_EQ(lines[14], QStringLiteral("      Page (C) by <A HREF=\"mailto:\"></A>."));
}

TEST(NewDocument, WithoutMinDocOrWithNoTemplateTheTextIsEmpty) {
    ScopedPlatform platform;
    FreshRegistry registry;
    {
        THTML doc;
        doc.InitNewDocument(false);
        EXPECT_TRUE(doc.RichEdit()->IsEmpty());
        EXPECT_EQ(doc.PanelText(0), QStringLiteral("0:0"));
        EXPECT_EQ(doc.PanelText(1), QString());
    }
    registry.store(withTemplate());
    THTML doc;
    doc.InitNewDocument(true);
    EXPECT_TRUE(doc.RichEdit()->IsEmpty());
}

TEST(NewDocument, EditorTakesFontAndColoursFromTheSettings) {
    ScopedPlatform platform;
    FreshRegistry registry;
    TPrefsRecord p;
    p.StdFont = QStringLiteral("DejaVu Sans Mono");
    p.StdFontSize = 13;
    p.TextCol = 0x00FF00;
    p.BGCol = 0x000080;
    registry.store(p);
    THTML doc;
    doc.InitNewDocument(false);
    EXPECT_EQ(doc.RichEdit()->TextFont().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(doc.RichEdit()->TextFont().pointSize(), 13);
    EXPECT_EQ(doc.RichEdit()->TextColour(), QColor(0, 255, 0));
    EXPECT_EQ(doc.RichEdit()->BackgroundColour(), QColor(128, 0, 0));
}

TEST(NewDocument, FirstStartWithNothingStoredShowsBlackTextOnWhite) {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    ASSERT_TRUE(writeFile(path, "<P>text</P>\r\n"));
    THTML fresh, opened;
    fresh.InitNewDocument(false);
    opened.SetFileName(path);
    opened.LoadDocument();
    for (THTML* doc : {&fresh, &opened}) {
        EXPECT_EQ(doc->RichEdit()->TextColour(), QColor(Qt::black));
        EXPECT_EQ(doc->RichEdit()->BackgroundColour(), QColor(Qt::white));
        EXPECT_EQ(doc->RichEdit()->TextFont().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        EXPECT_EQ(doc->RichEdit()->TextFont().pointSize(), 10);
    }
}

TEST(StatusBar, ShowsColumnRowAndTheModifiedMark) {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    ASSERT_TRUE(writeFile(path, "<HTML>\r\n<BODY>\r\nabcdefg\r\n</HTML>\r\n"));

    THTML doc;
    doc.show();
    doc.SetFileName(path);
    doc.LoadDocument();
    EXPECT_EQ(doc.Caption(), path);
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("0:0"));
    EXPECT_EQ(doc.PanelText(1), QString());
    EXPECT_EQ(doc.PanelText(2), QString());
    EXPECT_EQ(doc.PanelText(3), QString());

    doc.RichEdit()->SetCaretRow(2);
    doc.RichEdit()->SetCaretCol(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("4:2"));

    // Typing one character sets the mark at once.
    QTest::keyClick(doc.RichEdit(), Qt::Key_X);
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.PanelText(1), QStringLiteral("modified..."));
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("5:2"));

    // A selection made from the end of the line backwards shows its start.
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETSEL,
                                  static_cast<unsigned long>(doc.RichEdit()->BytePosOf(2, 8)),
                                  static_cast<long>(doc.RichEdit()->BytePosOf(2, 1)));
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("1:2"));
}

TEST(StatusBar, FourPanelsEdgeToEdge) {
    ScopedPlatform platform;
    THTML doc;
    doc.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.StatusBar1()->objectName(), QStringLiteral("StatusBar1"));
    EXPECT_EQ(doc.StatusBar1()->height(), 19);
    const QList<QLabel*> panels = doc.StatusBar1()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 4);
    const int lefts[] = {0, 80, 160, 240}, widths[] = {80, 80, 80, 50};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(panels[k]->x(), lefts[k]) << k;
        EXPECT_EQ(panels[k]->width(), widths[k]) << k;
    }
}

TEST(OpenDocument, UnreadableFileLeavesTheWindowEmptyAndUncaptioned) {
    ScopedPlatform platform;
    FreshRegistry registry;
    TPrefsRecord p;
    p.BGCol = 0x0000FF;
    registry.store(p);
    THTML doc;
    doc.SetFileName(QStringLiteral("/nonexistent/folder/page.html"));
    EXPECT_THROW(doc.LoadDocument(), TError);
    EXPECT_TRUE(doc.RichEdit()->IsEmpty());
    EXPECT_EQ(doc.Caption(), QString());
    // The settings were not applied either.
    EXPECT_EQ(doc.RichEdit()->BackgroundColour(), QColor(Qt::white));
}

TEST(OpenDocument, LineBreaksOfTheFileAreKept) {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unix.html"));
    ASSERT_TRUE(writeFile(path, "a\nb\r\nc\rd"));
    THTML doc;
    doc.SetFileName(path);
    doc.LoadDocument();
    EXPECT_EQ(text(doc), QByteArray("a\nb\r\nc\rd"));
    EXPECT_EQ(doc.RichEdit()->LineBreak(), ts::LineBreak::Lf);
    EXPECT_EQ(doc.LineCount(), 4);
}

TEST(DocumentPalette, ButtonsWriteIntoTheirOwnDocumentAndUndoTakesThemBack) {
    ScopedPlatform platform;
    FreshRegistry registry;
    THTML doc;
    ts::connectTagCommands(doc);
    doc.RichEdit()->SetDocumentBytes("abcdef\r\n");
    doc.RichEdit()->SetCaretRow(0);
    doc.RichEdit()->SetCaretCol(3);
    doc.Palette().button(QStringLiteral("sbBold"))->click();
    EXPECT_EQ(text(doc), QByteArray("abc<B></B>def\r\n"));
    EXPECT_EQ(doc.PanelText(0), QStringLiteral("6:0"));
    EXPECT_EQ(doc.PanelText(1), QStringLiteral("modified..."));
    doc.Palette().button(QStringLiteral("sbIndent"))->click();
    EXPECT_EQ(text(doc), QByteArray("  abc<B></B>def\r\n"));
    doc.Palette().button(QStringLiteral("sbUndo"))->click();
    doc.Palette().button(QStringLiteral("sbUndo"))->click();
    EXPECT_EQ(text(doc), QByteArray("abcdef\r\n"));

    // Without the Netscape extensions the rule needs no dialog.
    doc.RichEdit()->SetCaretRow(0);
    doc.Palette().button(QStringLiteral("sbHRule"))->click();
    EXPECT_EQ(text(doc), QByteArray("<HR>\r\nabcdef\r\n"));
    // Buttons without a connected command are disabled, not faked: the user
    // tags are connected apart from the tag commands.
    EXPECT_FALSE(doc.Palette().button(QStringLiteral("sbUser1"))->isEnabled());
    EXPECT_TRUE(doc.Palette().button(QStringLiteral("sbItalic"))->isEnabled());
}

TEST(DocumentComponents, DropIntoADocumentThatIsNotActiveInsertsAtItsCaret) {
    ScopedPlatform platform;
    FreshRegistry registry;
    THTML active, other;
    other.RichEdit()->SetDocumentBytes("abc");
    other.RichEdit()->SetCaretCol(1);
    other.show();
    active.show();
    active.activateWindow();
    std::unique_ptr<QMimeData> mime(ts::componentMimeData(QStringLiteral("Heading 3")));
    EXPECT_TRUE(other.RichEdit()->AcceptsDrop(mime.get()));
    EXPECT_TRUE(other.RichEdit()->TakeDrop(mime.get()));
    EXPECT_EQ(text(other), QByteArray("a<H3>Enter Heading here</H3>bc"));
    EXPECT_EQ(other.RichEdit()->CaretCol(), 30);
    EXPECT_EQ(other.PanelText(1), QStringLiteral("modified..."));
    // Groups insert nothing.
    for (const char* caption : {"Headings", "Tables"}) {
        std::unique_ptr<QMimeData> m(ts::componentMimeData(QString::fromLatin1(caption)));
        other.RichEdit()->TakeDrop(m.get());
    }
    EXPECT_EQ(text(other), QByteArray("a<H3>Enter Heading here</H3>bc"));
    // Plain text from elsewhere is refused.
    QMimeData plain;
    plain.setText(QStringLiteral("x"));
    EXPECT_FALSE(other.RichEdit()->AcceptsDrop(&plain));
    EXPECT_FALSE(other.RichEdit()->TakeDrop(&plain));
    EXPECT_FALSE(other.RichEditDragOver(&plain));
    EXPECT_EQ(text(other), QByteArray("a<H3>Enter Heading here</H3>bc"));
}

TEST(DocumentWindow, HandlersAreSlotsOfTheirOwnNames) {
    for (const char* slot : {"sbSearchClick()", "sbReplaceClick()", "sbIndentClick()", "sbUnIndentClick()",
                             "sbCutClick()", "sbCopyClick()", "sbPasteClick()", "sbUndoClick()",
                             "sbComponentsClick()", "PosChange()", "FormCreate()", "FormCloseQuery()", "FormClose()",
                             "RichEditDragOver(const QMimeData*)", "RichEditDragDrop(const QMimeData*)",
                             "InsComponent(QString)", "FindNext()"})
        EXPECT_GE(THTML::staticMetaObject.indexOfSlot(slot), 0) << slot;
}

TEST(DocumentComponents, ShowCompOpensOneMoreWindowPerDocument) {
    ScopedPlatform platform;
    FreshRegistry registry;
    TPrefsRecord p;
    p.ShowComp = true;
    registry.store(p);
    auto count = [] {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TComps*>(w) && w->isVisible()) ++n;
        return n;
    };
    const int before = count();
    THTML a, b;
    a.InitNewDocument(false);
    b.InitNewDocument(false);
    EXPECT_EQ(count(), before + 2);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TComps*>(w)) w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(count(), 0);
}

TEST(DocumentPalette, ClipboardButtonsWorkOnTheSelectionAndNothingWithoutOne) {
    ScopedPlatform platform;
    FreshRegistry registry;
    THTML doc;
    doc.RichEdit()->SetDocumentBytes("one two\r\n");
    QApplication::clipboard()->setText(QStringLiteral("before"));
    // Nothing selected: cut and copy leave the clipboard alone.
    doc.Palette().button(QStringLiteral("sbCopy"))->click();
    doc.Palette().button(QStringLiteral("sbCut"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(text(doc), QByteArray("one two\r\n"));

    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 3L);
    doc.Palette().button(QStringLiteral("sbCut"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("one"));
    EXPECT_EQ(text(doc), QByteArray(" two\r\n"));
    doc.RichEdit()->SetCaretRow(0);
    doc.RichEdit()->SetCaretCol(4);
    doc.Palette().button(QStringLiteral("sbPaste"))->click();
    EXPECT_EQ(text(doc), QByteArray(" twoone\r\n"));
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETSEL, 1UL, 4L);
    doc.Palette().button(QStringLiteral("sbCopy"))->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("two"));
    // Pasting replaces the selection.
    doc.RichEdit()->SendScintilla(QsciScintillaBase::SCI_SETSEL, 4UL, 7L);
    doc.Palette().button(QStringLiteral("sbPaste"))->click();
    EXPECT_EQ(text(doc), QByteArray(" twotwo\r\n"));
    // An empty clipboard pastes nothing.
    QApplication::clipboard()->clear();
    doc.Palette().button(QStringLiteral("sbPaste"))->click();
    EXPECT_EQ(text(doc), QByteArray(" twotwo\r\n"));
}
