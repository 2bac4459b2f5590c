#pragma once
#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/commands.h"

#include <QAction>
#include <QToolButton>
#include <gtest/gtest.h>

namespace ts::test {

// A document "top" / "abcdef" with the caret in the middle of "abcdef" and
// the palette's commands connected.
class PaletteFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ts::connectTagCommands(doc);
        doc.RichEdit()->SetDocumentBytes("top\r\nabcdef\r\n");
        doc.RichEdit()->SetCaretRow(1);
        doc.RichEdit()->SetCaretCol(3);
    }
    // Presses a palette button, or picks the pop-up entry of that name.
    void press(const char* name) {
        if (QToolButton* b = doc.Palette().button(QString::fromLatin1(name))) {
            EXPECT_TRUE(b->isEnabled()) << name;
            b->click();
        } else {
            doc.Palette().action(QString::fromLatin1(name))->trigger();
        }
    }

    ScopedPlatform platform;
    FreshRegistry registry;
    THTML doc;
};

} // namespace ts::test
