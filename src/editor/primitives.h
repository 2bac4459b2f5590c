#pragma once
#include <QString>

class TLineEditor;

namespace ts {

// The three ways program text enters a document. Each call is one undo step.
// Texts go in unchanged. The caller refreshes the status bar afterwards.

// Splices text into the caret's line at the caret's column (the selection
// start; a selection stays in the text). With placeCaret the caret then goes
// offset characters after the insertion point (clamped to the line), otherwise
// to the end of that line.
void insertAtCaret(TLineEditor& editor, const QString& text, bool placeCaret, int offset = 0);

// Inserts text as a new line at the caret's row; the caret ends at column 0 of
// the line that held it.
void insertLineAtCaretRow(TLineEditor& editor, const QString& text);

// Adds text as a new last line; the caret ends at the end of the document.
void appendLine(TLineEditor& editor, const QString& text);

} // namespace ts
