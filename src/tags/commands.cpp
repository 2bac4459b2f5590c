#include "tags/commands.h"

#include "editor/thtml.h"
#include "editor/tsrichedit.h"
#include "platform/command.h"

#include <QAction>
#include <QToolButton>

namespace ts {

const std::vector<TTagCommand>& tagCommands() {
    static const std::vector<TTagCommand> all = [] {
        std::vector<TTagCommand> v;
        for (std::vector<TTagCommand> (*group)() : {
                 &inlineTagCommands,
                 &fontTableCommands,
                 &specialCommands,
                 &linkCommands,
                 &formFrameCommands,
             }) {
            std::vector<TTagCommand> g = group();
            v.insert(v.end(), g.begin(), g.end());
        }
        return v;
    }();
    return all;
}

TEditContext editContextOf(THTML& doc) { return TEditContext{*doc.RichEdit(), &doc}; }

void connectTagCommands(THTML& doc) {
    for (const TTagCommand& command : tagCommands()) {
        const QString& name = command.objectName;
        auto run = [&doc, &fn = command.run] {
            ts::runCommand(&doc, [&] {
                fn(editContextOf(doc));
                doc.PosChange();
            });
        };
        if (QToolButton* button = doc.Palette().button(name)) {
            QObject::connect(button, &QToolButton::clicked, &doc, run);
            button->setEnabled(true);
        } else if (QAction* action = doc.Palette().action(name)) {
            QObject::connect(action, &QAction::triggered, &doc, run);
            action->setEnabled(true);
        }
    }
}

} // namespace ts
