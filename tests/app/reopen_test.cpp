#include "app/reopen.h"
#include "app/tmain.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/testenv.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using ts::test::FreshRegistry;
using ts::test::ScopedPlatform;

namespace {

// Program runs one after the other on one registry.
struct Runs {
    ScopedPlatform platform;
    FreshRegistry registry;
    QTemporaryDir dir;
    std::unique_ptr<TMain> main;

    explicit Runs(const TPrefsRecord& prefs = {}) { registry.store(prefs); }
    ~Runs() {
        if (!main) return;
        for (THTML* doc : main->Documents()) doc->RichEdit()->ClearModified();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TMain& start(const QStringList& args = {}) {
        main.reset();
        main = std::make_unique<TMain>(args);
        main->show();
        QCoreApplication::processEvents();
        return *main;
    }
    THTML* open(const QString& name) {
        platform.dialogs.openAnswers = {path(name)};
        main->sbOpenClick();
        return main->ActiveDocument();
    }
    // The windows' files in the order they were made; "" for an untitled one.
    QStringList windows() const {
        QStringList names;
        for (QMdiSubWindow* sub : main->MdiArea()->subWindowList(QMdiArea::CreationOrder))
            if (auto* doc = qobject_cast<THTML*>(sub->widget()))
                names << (doc->FileName() == untitledName() ? QString() : QFileInfo(doc->FileName()).fileName());
        return names;
    }
    THTML* window(const QString& name) const {
        for (THTML* doc : main->Documents())
            if (QFileInfo(doc->FileName()).fileName() == name) return doc;
        return nullptr;
    }
    QString active() const {
        THTML* doc = main->ActiveDocument();
        return doc ? QFileInfo(doc->FileName()).fileName() : QStringLiteral("<none>");
    }
};

const QByteArray kPage = "<HTML>\r\n<BODY>\r\n<P>one two three</P>\r\n<P>four</P>\r\n</BODY>\r\n</HTML>\r\n";

} // namespace

TEST(Reopen, TheNextStartReopensTheNamedDocumentsWithTheirCaretsAndTheActiveOne) {
    TPrefsRecord prefs;
    prefs.NewDoc = true;
    Runs r(prefs);
    for (const char* name : {"a.html", "b.html", "c.html"}) r.write(name, kPage);
    r.start();
    struct Caret {
        const char* file;
        int downs, rights;
    };
    const Caret carets[] = {{"a.html", 2, 5}, {"b.html", 0, 3}, {"c.html", 3, 2}};
    for (const Caret& c : carets) {
        TSRichEdit* editor = r.open(c.file)->RichEdit();
        for (int i = 0; i < c.downs; ++i) QTest::keyClick(editor, Qt::Key_Down);
        for (int i = 0; i < c.rights; ++i) QTest::keyClick(editor, Qt::Key_Right);
    }
    // The untitled window has unsaved text, which Exit lets go.
    THTML* untitled = r.main->Documents().last();
    QTest::keyClicks(untitled->RichEdit(), "draft");
    r.main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(r.window("b.html")->FrameWindow()));
    r.platform.boxes.answers = {ts::Answer::No};
    r.main->findChild<QAction*>(QStringLiteral("miExit"))->trigger();
    ASSERT_FALSE(r.main->isVisible());

    r.start();
    // NewDoc's window first, as always; then the documents as they were.
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.windows().size() == 4 && r.active() == "b.html"; }));
    EXPECT_EQ(r.windows(), (QStringList{"", "a.html", "b.html", "c.html"}));
    for (const Caret& c : carets) {
        THTML* doc = r.window(c.file);
        ASSERT_NE(doc, nullptr) << c.file;
        EXPECT_EQ(doc->RichEdit()->CaretRow(), c.downs) << c.file;
        EXPECT_EQ(doc->RichEdit()->CaretCol(), c.rights) << c.file;
        EXPECT_EQ(doc->RichEdit()->GetLine(2), QStringLiteral("<P>one two three</P>")) << c.file;
    }
    EXPECT_EQ(r.platform.boxes.shown.size(), 1u); // the question at Exit
}

TEST(Reopen, FilesThatAreGoneAreNamedInOneMessageAfterTheOthersOpened) {
    Runs r;
    r.write("a.html", kPage);
    r.write("b.html", kPage);
    ts::writeReopenList({{{r.path("a.html"), 1, 1}, {r.path("gone1.html"), 0, 0}, {r.path("b.html"), 2, 0},
                          {r.path("gone2.html"), 0, 0}},
                         3});
    r.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r.platform.boxes.shown.empty(); }));
    EXPECT_EQ(r.windows(), (QStringList{"a.html", "b.html"}));
    ASSERT_EQ(r.platform.boxes.shown.size(), 1u);
    EXPECT_EQ(r.platform.boxes.shown[0].kind, ts::BoxKind::Warning);
    EXPECT_TRUE(r.platform.boxes.shown[0].text.contains(r.path("gone1.html")));
    EXPECT_TRUE(r.platform.boxes.shown[0].text.contains(r.path("gone2.html")));
}

TEST(Reopen, ACommandLineFileComesLastAndInFrontAndTheSwitchTurnsReopeningOff) {
    Runs r;
    for (const char* name : {"a.html", "b.html", "c.html"}) r.write(name, kPage);
    ts::writeReopenList({{{r.path("a.html"), 0, 0}, {r.path("b.html"), 0, 0}}, 0});
    r.start({r.path("c.html")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.windows().size() == 3; }));
    EXPECT_EQ(r.windows(), (QStringList{"a.html", "b.html", "c.html"}));
    EXPECT_EQ(r.active(), "c.html");

    QAction* restore = r.main->findChild<QAction*>(QStringLiteral("miReopenDocuments"));
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(restore->isCheckable());
    EXPECT_TRUE(restore->isChecked());
    restore->trigger();
    EXPECT_FALSE(restore->isChecked());
    EXPECT_FALSE(ts::restoreDocumentsAtStart());

    // Without reopening the command line's file opens at once, alone.
    r.start({r.path("c.html")});
    EXPECT_EQ(r.windows(), QStringList{"c.html"});
    EXPECT_FALSE(r.main->findChild<QAction*>(QStringLiteral("miReopenDocuments"))->isChecked());
    EXPECT_TRUE(r.platform.boxes.shown.empty());
}
