#include "editor/primitives.h"

#include "editor/lineeditor.h"

#include <algorithm>
#include <limits>

namespace ts {

namespace {

// Text for an empty document: the text and a line break, as for a document
// that ends with one.
constexpr QLatin1StringView kLineBreak("\r\n");

void insertLineAt(TLineEditor& editor, int row, const QString& text) {
    if (editor.IsEmpty())
        editor.ReplaceLine(0, text + kLineBreak);
    else
        editor.InsertLine(row, text);
}

} // namespace

void insertAtCaret(TLineEditor& editor, const QString& text, bool placeCaret, int offset) {
    TProgramChange change(editor);
    const int row = editor.CaretRow();
    const int col = editor.CaretCol();
    if (!text.isEmpty()) {
        const QString line = editor.GetLine(row);
        editor.ReplaceLine(row, line.left(col) + text + line.mid(col));
    }
    editor.SetCaretRow(row);
    if (placeCaret) {
        // Wide offsets only need to reach the end of the line.
        const qint64 target = qint64(col) + offset;
        editor.SetCaretCol(int(std::clamp<qint64>(target, 0, std::numeric_limits<int>::max())));
    } else {
        editor.SetCaretCol(editor.GetLine(editor.CaretRow()).length());
    }
}

void insertLineAtCaretRow(TLineEditor& editor, const QString& text) {
    TProgramChange change(editor);
    insertLineAt(editor, editor.CaretRow(), text);
}

void appendLine(TLineEditor& editor, const QString& text) {
    TProgramChange change(editor);
    insertLineAt(editor, editor.LineCount(), text);
}

} // namespace ts
