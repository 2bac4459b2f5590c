#include "mainfixture.h"
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/testenv.h"
#include "support/waitfor.h"

#include <QAction>
#include <QFile>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <utility>
#include <gtest/gtest.h>

using ts::Answer;
using ts::BoxKind;

namespace {

struct DiskChanges : ts::test::MainWindowTest {
    static QString text(THTML* doc) { return QString::fromUtf8(doc->RichEdit()->DocumentBytes()); }
    QStringList texts() const { return platform.boxes.texts(); }
    void save() { main->findChild<QAction*>(QStringLiteral("miSave"))->trigger(); }
    // The user goes to another program and comes back.
    void comeBack() {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(ts::test::waitFor([&] { return !main->isActiveWindow(); }));
        main->activateWindow();
        ASSERT_TRUE(ts::test::waitFor([&] { return main->isActiveWindow(); }));
    }
};

} // namespace

// What the frame adds to the document's own watch (see tdocument_test): a
// look when the user comes back, and the close question.
TEST_F(DiskChanges, DeletedFileIsReportedOnceAndItsTextKeptAsModified) {
    write(QStringLiteral("d.htm"), "keep me");
    THTML* doc = open(QStringLiteral("d.htm"));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("d.htm"))));
    comeBack();
    comeBack();
    ASSERT_EQ(texts(), QStringList{path(QStringLiteral("d.htm")) +
                                   " has been deleted on disk. Its text is kept in the editor."});
    EXPECT_EQ(platform.boxes.shown[0].kind, BoxKind::Warning);
    EXPECT_EQ(text(doc), QStringLiteral("keep me"));
    EXPECT_TRUE(doc->RichEdit()->Modified());
    EXPECT_EQ(doc->PanelText(1), QStringLiteral("modified..."));

    // Closing asks to save; the file is written again without an overwrite question.
    QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
    platform.boxes.answers = {Answer::Yes};
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
    EXPECT_EQ(texts().size(), 2);
    EXPECT_EQ(texts()[1], path(QStringLiteral("d.htm")) + " is not yet saved! Save ?");
    EXPECT_EQ(read(QStringLiteral("d.htm")), QByteArray("keep me"));
}

TEST_F(DiskChanges, SaveOverAFileChangedOnDiskAsksFirst) {
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        const QString name = answer == Answer::Yes ? QStringLiteral("yes.htm") : QStringLiteral("no.htm");
        write(name, "theirs");
        THTML* doc = open(name);
        type(doc, QStringLiteral("mine "));
        write(name, "changed meanwhile");
        platform.boxes.shown.clear();
        platform.boxes.answers = {answer};
        save();
        ASSERT_EQ(texts(), QStringList{path(name) + " has been changed on disk since it was opened or last saved. "
                                                    "Overwrite it?"});
        EXPECT_EQ(platform.boxes.shown[0].preferred, Answer::No);
        EXPECT_EQ(read(name), answer == Answer::Yes ? QByteArray("mine theirs") : QByteArray("changed meanwhile"));
        EXPECT_EQ(doc->RichEdit()->Modified(), answer == Answer::No);
        EXPECT_EQ(doc->PanelText(1), answer == Answer::No ? QStringLiteral("modified...") : QString());
        if (answer == Answer::Yes) continue;

        // Refused on close as well: the window stays with its text.
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow*>(doc->FrameWindow());
        platform.boxes.answers = {Answer::Yes, Answer::No};
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(frame);
        EXPECT_EQ(texts().size(), 3);
        EXPECT_EQ(text(doc), QStringLiteral("mine theirs"));
        EXPECT_TRUE(doc->RichEdit()->Modified());
        EXPECT_EQ(read(name), QByteArray("changed meanwhile"));
    }
}

// The frame is activated again while a question is open (the box itself
// activates it), and the file changes once more meanwhile.
TEST_F(DiskChanges, NoSecondQuestionWhileOneIsOpen) {
    struct Reentering : ts::ScriptedMessageBoxes {
        std::function<void()> meanwhile;
        int open = 0, mostOpen = 0;
        using ScriptedMessageBoxes::askYesNo;
        Answer askYesNo(QWidget* parent, const QString& text, Answer preferred) override {
            mostOpen = std::max(mostOpen, ++open);
            if (meanwhile) std::exchange(meanwhile, nullptr)();
            const Answer a = ScriptedMessageBoxes::askYesNo(parent, text, preferred);
            --open;
            return a;
        }
    } boxes;
    ts::setMessages(&boxes);
    write(QStringLiteral("r.htm"), "r");
    THTML* doc = open(QStringLiteral("r.htm"));
    write(QStringLiteral("r.htm"), "rr");
    boxes.meanwhile = [&] {
        write(QStringLiteral("r.htm"), "rrr");
        main->CheckDiskFiles();
    };
    main->CheckDiskFiles();
    // The second change is asked about once the first question is answered.
    EXPECT_TRUE(ts::test::waitFor([&] { return boxes.shown.size() == 2; }, 10000)) << boxes.shown.size();
    ts::setMessages(&platform.boxes);
    EXPECT_EQ(boxes.mostOpen, 1);
    EXPECT_EQ(text(doc), QStringLiteral("r"));
}

