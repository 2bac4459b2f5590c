#pragma once
#include "tags/editcontext.h"

#include <QString>

#include <functional>
#include <vector>

class THTML;

namespace ts {

// What a palette button or pop-up entry of a document window does. The
// document window itself only knows its editing buttons; the tag commands are
// connected from here when the application creates a window.
struct TTagCommand {
    QString objectName;  // of the button or pop-up entry
    std::function<void(const TEditContext& context)> run;
};

// The commands of one group of builders, kept beside those builders.
std::vector<TTagCommand> inlineTagCommands();
std::vector<TTagCommand> fontTableCommands();
std::vector<TTagCommand> specialCommands();
std::vector<TTagCommand> linkCommands();  // QuickDocument, anchor, image
std::vector<TTagCommand> formFrameCommands();

// Every tag command, in palette order of the groups.
const std::vector<TTagCommand>& tagCommands();

// A document window's editor, the window as the parent of dialogs, and the
// stored preferences.
TEditContext editContextOf(THTML& doc);

// Connects the document window's palette buttons and pop-up entries that have
// a command and enables them. Each press runs in the general error handler and
// refreshes the status bar afterwards.
void connectTagCommands(THTML& doc);

} // namespace ts
