#include "app/livepreview.h"
#include "mainfixture.h"
#include "editor/tdocument.h"
#include "editor/tsrichedit.h"
#include "settings/tquillonregistry.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

// Chromium inside Qt WebEngine frees some of its own objects through a base
// of another size. The check is off for this executable alone, which runs
// the engine; every other test executable keeps it.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

namespace {

const QString kViewKey = QStringLiteral("Software\\Quillon\\Tagsmith\\Application\\View");

// Handles events until cond() holds; false when it still does not at the deadline.
template <class F>
bool eventually(F&& cond, int ms = 30000) {
    const QDeadlineTimer deadline(ms);
    while (!cond()) {
        if (deadline.hasExpired()) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The main window with the outside browser replaced by a recording twin.
struct LivePreviewTest : ts::test::MainWindowTest {
    ts::test::RecordingDesktop desktop;

    void SetUp() override {
        ts::setDesktop(&desktop);
        MainWindowTest::SetUp();
        // Typed markup goes in as typed.
        if (auto* complete = main->findChild<QAction*>(QStringLiteral("miCompleteTags")); complete->isChecked())
            complete->trigger();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        ts::setDesktop(nullptr);
    }

    QDockWidget* dock() const { return main->findChild<QDockWidget*>(QStringLiteral("dkLivePreview")); }
    QWebEngineView* view() const { return main->findChild<QWebEngineView*>(QStringLiteral("wvLivePreview")); }
    ts::LivePreview* preview() const { return main->findChild<ts::LivePreview*>(); }
    QAction* entry() const { return main->findChild<QAction*>(QStringLiteral("miLivePreview")); }

    void put(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        write(name, bytes);
    }
    void putPicture(const QString& name, int width) {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QImage picture(width, 5, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(path(name), "PNG"));
    }
    THTML* openFile(const QString& name, const QByteArray& bytes) {
        put(name, bytes);
        return open(name);
    }

    // The result of a script run in the view's page.
    QVariant js(const QString& code) {
        auto result = std::make_shared<std::optional<QVariant>>();
        view()->page()->runJavaScript(code, [result](const QVariant& v) { *result = v; });
        eventually([&] { return result->has_value(); });
        return result->value_or(QVariant());
    }
    QString shownText() { return js(QStringLiteral("document.body?document.body.innerText:''")).toString(); }
    bool shows(const QString& text) {
        return eventually([&] { return shownText().contains(text); });
    }
    // A user's click at the middle of the element with the given id.
    void click(const QString& id) {
        const QVariantList box =
            js(QStringLiteral("(function(){const r=document.getElementById('%1').getBoundingClientRect();"
                              "return [r.left+r.width/2,r.top+r.height/2];})()")
                   .arg(id))
                .toList();
        ASSERT_EQ(box.size(), 2) << id.toStdString();
        QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(int(box[0].toDouble()), int(box[1].toDouble())));
    }
};

TEST_F(LivePreviewTest, MenuEntryShowsTheDockAndItsPlaceIsKeptForTheNextStart) {
    ASSERT_NE(entry(), nullptr);
    EXPECT_TRUE(entry()->isCheckable());
    EXPECT_FALSE(entry()->isChecked());
    EXPECT_TRUE(dock()->isHidden());
    // The engine starts only when the preview is first wanted.
    EXPECT_EQ(view(), nullptr);

    ASSERT_TRUE(eventually([&] { return main->isActiveWindow(); }));
    QTest::keyClick(main.get(), Qt::Key_F9, Qt::ShiftModifier);
    EXPECT_TRUE(entry()->isChecked());
    EXPECT_TRUE(dock()->isVisible());
    EXPECT_EQ(dock()->windowTitle(), QStringLiteral("Live preview"));
    EXPECT_EQ(main->dockWidgetArea(dock()), Qt::RightDockWidgetArea);
    ASSERT_NE(view(), nullptr);
    EXPECT_EQ(dock()->widget(), view());
    main->resizeDocks({dock()}, {300}, Qt::Horizontal);
    ASSERT_TRUE(eventually([&] { return dock()->width() == 300; }));

    const auto stored = [](const char* name, const TRegValue& def) {
        return TQuillonRegistry().ReadValue(hkey::CurrentUser, kViewKey, QString::fromLatin1(name), def);
    };
    main->close();
    EXPECT_EQ(stored("LivePreview", false), TRegValue(true));
    EXPECT_EQ(stored("LivePreviewWidth", int32_t(0)), TRegValue(int32_t(300)));

    main = std::make_unique<TMain>();
    main->show();
    EXPECT_TRUE(entry()->isChecked());
    EXPECT_TRUE(dock()->isVisible());
    EXPECT_TRUE(eventually([&] { return dock()->width() == 300; })) << dock()->width();

    entry()->trigger();
    EXPECT_FALSE(dock()->isVisible());
    main->close();
    EXPECT_EQ(stored("LivePreview", true), TRegValue(false));
    main = std::make_unique<TMain>();
    main->show();
    EXPECT_TRUE(dock()->isHidden());
}

TEST_F(LivePreviewTest, ShowsTheTextAsTypedOnceTheTypingPausesAndRunsItsScripts) {
    THTML* doc = openFile(QStringLiteral("site/page.html"),
                          "<html><body>\r\n<p>Hello</p>\r\n"
                          "<script>document.write('<p>by ' + 'script</p>')</script>\r\n</body></html>\r\n");
    entry()->trigger();
    ASSERT_TRUE(shows(QStringLiteral("Hello")));
    EXPECT_TRUE(shownText().contains(QStringLiteral("by script")));

    doc->RichEdit()->setCursorPosition(1, 8);
    // A half-typed tag: whatever the engine makes of it shows, the rest stays.
    type(doc, QStringLiteral(" world <b"));
    EXPECT_TRUE(preview()->UpdatePending()) << "updated while typing";
    EXPECT_TRUE(shows(QStringLiteral("Hello world")));
    EXPECT_TRUE(shownText().contains(QStringLiteral("by script")));
    type(doc, QStringLiteral(" class=x>bold"));
    EXPECT_TRUE(shows(QStringLiteral("Hello world bold")));
    // The keys stay with the text whatever the view does.
    EXPECT_EQ(QApplication::focusWidget(), doc->RichEdit());
    EXPECT_EQ(js(QStringLiteral("document.querySelector('b.x').textContent")), QVariant(QStringLiteral("bold")));

    // Loaded again from its file, changed meanwhile: no edit is announced,
    // and the new text shows all the same.
    QFile file(doc->FileName());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<p>Loaded anew</p>\r\n");
    file.close();
    doc->LoadDocument();
    EXPECT_TRUE(shows(QStringLiteral("Loaded anew")));

    // A large file shows its first lines in the editor at once; the preview
    // waits for the whole text.
    const qint64 oldFrom = TDocument::BackgroundFrom();
    TDocument::SetBackgroundFrom(1000);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("<p>first lines</p>\r\n").repeated(30000) + "<p>The very end</p>\r\n");
    file.close();
    doc->LoadDocument();
    EXPECT_TRUE(doc->RichEdit()->Loading());
    EXPECT_TRUE(shows(QStringLiteral("The very end")));
    TDocument::SetBackgroundFrom(oldFrom);
}

TEST_F(LivePreviewTest, ResolvesAgainstTheDocumentsFolderAndReadsNothingOutsideIt) {
    putPicture(QStringLiteral("site/img/a.png"), 37);
    putPicture(QStringLiteral("outside.png"), 53);
    put(QStringLiteral("site/css/s.css"), "img { border: 7px solid blue }");
    put(QStringLiteral("outside.css"), "img { border: 9px solid blue }");
    ASSERT_TRUE(QFile::link(path(QStringLiteral("outside.png")), path(QStringLiteral("site/img/link.png"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("outside.css")), path(QStringLiteral("site/css/link.css"))));
    const QByteArray site = QUrl::fromLocalFile(path(QStringLiteral("site/"))).toEncoded();
    const QByteArray top = QUrl::fromLocalFile(dir.path() + QStringLiteral("/")).toEncoded();
    const struct {
        const char* name;
        QByteArray head, picture;
        const char* shown; // the picture's natural width and its border from the style sheet
    } cases[] = {
        {"relative", "<link rel=stylesheet href=css/s.css>", "img/a.png", "37 7px"},
        {"base inside", "<base href=img/><link rel=stylesheet href=../css/s.css>", "a.png", "37 7px"},
        {"file base inside", "<base href=" + site + "><link rel=stylesheet href=css/s.css>", "img/a.png", "37 7px"},
        {"up and out", "<link rel=stylesheet href=../outside.css>", "../outside.png", "0 0px"},
        {"file address outside", "<link rel=stylesheet href=" + top + "outside.css>", top + "outside.png", "0 0px"},
        {"link to outside", "<link rel=stylesheet href=css/link.css>", "img/link.png", "0 0px"},
        // The document's own base wins: nothing comes from its folder then.
        {"base elsewhere", "<base href=http://127.0.0.1:9/><link rel=stylesheet href=css/s.css>", "img/a.png",
         "0 0px"},
    };
    entry()->trigger();
    int k = 0;
    for (const auto& c : cases) {
        const QString name = QStringLiteral("site/case%1.html").arg(++k);
        openFile(name, "<html><head><title>" + QByteArray(c.name) + "</title>" + c.head + "</head><body>\n<img id=i src=" +
                           c.picture + "></body></html>");
        QString shown;
        const bool settled = eventually([&] {
            shown = js(QStringLiteral("document.title=='%1'&&document.readyState=='complete'?"
                                      "i.naturalWidth+' '+getComputedStyle(i).borderLeftWidth:''")
                           .arg(QLatin1String(c.name)))
                        .toString();
            return !shown.isEmpty();
        });
        EXPECT_TRUE(settled) << c.name;
        EXPECT_EQ(shown.toStdString(), c.shown) << c.name;
    }
}

TEST_F(LivePreviewTest, KeepsTheScrollPositionAcrossUpdatesAndFollowsTheCaretsLine) {
    QByteArray page = "<html><body>\n";
    for (int k = 1; k < 300; ++k) page += "<p id=p" + QByteArray::number(k) + ">paragraph " + QByteArray::number(k) + "</p>\n";
    THTML* doc = openFile(QStringLiteral("long.html"), page + "</body></html>\n");
    entry()->trigger();
    ASSERT_TRUE(shows(QStringLiteral("paragraph 299")));
    const auto inSight = [&](int k) {
        return js(QStringLiteral("(function(){const r=p%1.getBoundingClientRect();"
                                 "return r.top>=0&&r.bottom<=innerHeight;})()")
                      .arg(k))
            .toBool();
    };
    TSRichEdit* e = doc->RichEdit();
    for (int line : {200, 120, 5, 250}) {
        e->setCursorPosition(line, 0);
        EXPECT_TRUE(eventually([&] { return inSight(line); })) << line;
    }

    e->setCursorPosition(10, 0);
    ASSERT_TRUE(eventually([&] { return inSight(10); }));
    js(QStringLiteral("scrollTo(0,1234)"));
    ASSERT_TRUE(eventually([&] { return js(QStringLiteral("scrollY")).toInt() == 1234; }));
    type(doc, QStringLiteral("Q7"));
    ASSERT_TRUE(shows(QStringLiteral("Q7")));
    EXPECT_TRUE(eventually([&] { return js(QStringLiteral("scrollY")).toInt() == 1234; }))
        << js(QStringLiteral("scrollY")).toInt();
}

TEST_F(LivePreviewTest, LinksOpenInTheOutsideBrowserAndFragmentsScrollTheView) {
    openFile(QStringLiteral("site/links.html"),
             "<html><body>\n<p><a id=rel href=\"other page.html#part\">relative</a>\n"
             "<p><a id=abs href=\"http://127.0.0.1:9/x.html?q=1\">absolute</a>\n"
             "<p><a id=blank target=_blank href=sub/new.html>new window</a>\n"
             "<p><a id=frag href=#end>to the end</a>\n"
             "<div style=\"height:3000px\"></div><p id=end>end</body></html>\n");
    entry()->trigger();
    ASSERT_TRUE(shows(QStringLiteral("to the end")));
    const QUrl page = view()->page()->url();
    const struct {
        const char* id;
        QUrl opened;
    } cases[] = {
        {"rel", QUrl::fromLocalFile(path(QStringLiteral("site/other page.html"))).resolved(QUrl(QStringLiteral("#part")))},
        {"abs", QUrl(QStringLiteral("http://127.0.0.1:9/x.html?q=1"))},
        {"blank", QUrl::fromLocalFile(path(QStringLiteral("site/sub/new.html")))},
    };
    for (const auto& c : cases) {
        const qsizetype before = desktop.opened.size();
        click(QString::fromLatin1(c.id));
        ASSERT_TRUE(eventually([&] { return desktop.opened.size() > before; })) << c.id;
        EXPECT_EQ(desktop.opened.back(), c.opened) << c.id;
        EXPECT_EQ(view()->page()->url(), page) << c.id;
        EXPECT_TRUE(shownText().contains(QStringLiteral("to the end"))) << c.id;
    }
    const qsizetype opened = desktop.opened.size();
    click(QStringLiteral("frag"));
    EXPECT_TRUE(eventually([&] { return js(QStringLiteral("scrollY")).toInt() > 2000; }));
    EXPECT_EQ(desktop.opened.size(), opened);
    EXPECT_EQ(view()->page()->url().adjusted(QUrl::RemoveFragment), page);

    // A browser of the preferences gets the address itself.
    QTemporaryDir out;
    const QString browser = out.filePath(QStringLiteral("browser.sh"));
    QFile script(browser);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\n").arg(out.path()).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    ts::test::setPreference(QStringLiteral("ExtBrowser"), browser);
    js(QStringLiteral("scrollTo(0,0)"));
    ASSERT_TRUE(eventually([&] { return js(QStringLiteral("scrollY")).toInt() == 0; }));
    click(QStringLiteral("rel"));
    QFile args(out.filePath(QStringLiteral("args")));
    ASSERT_TRUE(eventually([&] { return args.size() > 0; }));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(args.readAll(), cases[0].opened.toEncoded() + "\n");
    EXPECT_EQ(desktop.opened.size(), opened);
}

TEST_F(LivePreviewTest, LargeDocumentShowsANoticeInsteadUntilItIsSmallEnough) {
    QByteArray big = "<p>start</p>\n";
    while (big.size() < ts::LivePreview::kLargest) big += "<p>a line of the large document</p>\n";
    big.truncate(ts::LivePreview::kLargest);
    THTML* doc = openFile(QStringLiteral("big.html"), big + "x");
    entry()->trigger();
    const QString notice = QStringLiteral("Too large for the live preview. Use File > Preview (F9).");
    ASSERT_TRUE(eventually([&] { return shownText() == notice; })) << shownText().left(200).toStdString();

    int loads = 0;
    QObject::connect(view()->page(), &QWebEnginePage::loadStarted, [&] { ++loads; });
    TSRichEdit* e = doc->RichEdit();
    e->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    type(doc, QStringLiteral("y"));
    ASSERT_TRUE(eventually([&] { return !preview()->UpdatePending(); }));
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(shownText(), notice);

    // Back to the limit exactly: shown again.
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClick(e, Qt::Key_Backspace);
    ASSERT_EQ(e->ByteLength(), ts::LivePreview::kLargest);
    EXPECT_TRUE(eventually([&] { return shownText().startsWith(QStringLiteral("start")); }, 60000));
}

TEST_F(LivePreviewTest, FollowsTheActiveDocumentAndIsBlankWithoutOne) {
    putPicture(QStringLiteral("site/img/a.png"), 37);
    THTML* first = openFile(QStringLiteral("site/first.html"), "<p>first</p>");
    openFile(QStringLiteral("site/second.html"), "<p>second</p>");
    entry()->trigger();
    ASSERT_TRUE(shows(QStringLiteral("second")));
    main->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->FrameWindow()));
    EXPECT_TRUE(shows(QStringLiteral("first")));

    // An untitled document has no folder to resolve from, wherever the program runs.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(path(QStringLiteral("site")));
    main->sbNewClick();
    THTML* untitled = main->ActiveDocument();
    ASSERT_EQ(untitled->FileName(), untitledName());
    type(untitled, QStringLiteral("<img id=i src=img/a.png><p>untitled"));
    EXPECT_TRUE(shows(QStringLiteral("untitled")));
    EXPECT_TRUE(eventually([&] { return js(QStringLiteral("document.readyState")) == QVariant(QStringLiteral("complete")); }));
    EXPECT_EQ(js(QStringLiteral("i.naturalWidth")).toInt(), 0);
    QDir::setCurrent(cwd);

    for (THTML* doc : main->Documents()) doc->RichEdit()->ClearModified();
    main->MdiArea()->closeAllSubWindows();
    EXPECT_TRUE(eventually([&] {
        return view()->page()->url() == QUrl(QStringLiteral("about:blank")) && shownText().isEmpty();
    }));
}

TEST_F(LivePreviewTest, NeverChangesTheDocumentItsModifiedFlagOrItsUndoHistory) {
    const QByteArray bytes = "<html><body>\r\n<h1>Title</h1>\r\n<p>one</p>\r\n<p>two</p>\r\n</body></html>\r\n";
    THTML* doc = openFile(QStringLiteral("page.html"), bytes);
    TSRichEdit* e = doc->RichEdit();
    entry()->trigger();
    ASSERT_TRUE(shows(QStringLiteral("two")));
    e->setCursorPosition(1, 0);
    e->setCursorPosition(3, 3);
    type(doc, QStringLiteral("new "));
    ASSERT_TRUE(shows(QStringLiteral("new two")));
    QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(eventually([&] { return !shownText().contains(QStringLiteral("new")); }));
    EXPECT_EQ(QByteArray(e->DocumentBytes().data(), qsizetype(e->DocumentBytes().size())), bytes);
    EXPECT_FALSE(e->Modified());
    EXPECT_FALSE(e->isUndoAvailable());
    EXPECT_TRUE(e->isRedoAvailable());
    EXPECT_EQ(read(QStringLiteral("page.html")), bytes);
}

} // namespace
