#pragma once

class TLineEditor;

namespace ts {

// Puts two spaces in front of the caret's line (the line of the selection
// start); the caret ends at the end of that line. One undo step.
void indentLine(TLineEditor& editor);

// Removes two leading spaces from the caret's line when it begins with two;
// the caret then ends at the end of the line. Otherwise nothing changes and
// false is returned. One undo step.
bool unindentLine(TLineEditor& editor);

} // namespace ts
