#pragma once
#include "editor/tsrichedit.h"
#include "platform/command.h"
#include "support/dialogdriver.h"
#include "support/editorfixture.h"
#include "support/freshregistry.h"
#include "support/testenv.h"
#include "tags/commands.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>

namespace ts::test {

// Runs what the palette button or pop-up entry of that name runs, in the
// general error handler as a press does; a name without a command fails.
inline void runTagCommand(const char* name, const TEditContext& context) {
    const std::vector<TTagCommand>& all = tagCommands();
    const auto it = std::find_if(all.begin(), all.end(),
                                 [name](const TTagCommand& c) { return c.objectName == QLatin1String(name); });
    if (it == all.end()) {
        ADD_FAILURE() << "no tag command " << name;
        return;
    }
    runCommand(context.dialogParent, [&] { it->run(context); });
}

// The tag commands on a bare editor, with a plain window as the parent of
// their dialogs: "top" / "abcdef" with the caret in the middle of "abcdef".
class TagCommandFixture : public ::testing::Test {
protected:
    TagCommandFixture() {
        e.SetDocumentBytes("top\r\nabcdef\r\n");
        e.SetCaretRow(1);
        e.SetCaretCol(3);
    }
    void press(const char* name) { runTagCommand(name, context); }
    QByteArray text() const { return documentText(e); }

    ScopedPlatform platform;
    FreshRegistry registry;
    QWidget window;
    TSRichEdit e;
    TEditContext context{e, &window};
    DialogDriver dialogs;
};

} // namespace ts::test
