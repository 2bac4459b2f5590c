#include "editor/primitives.h"

#include "editor/lineeditor.h"

#include <algorithm>
#include <limits>

namespace ts {

namespace {

// Columns count characters (code points); QString indexes UTF-16 units, which
// differ once a line holds characters outside the Basic Multilingual Plane.
qsizetype utf16Index(const QString& line, int col) {
    qsizetype i = 0;
    for (int c = 0; c < col && i < line.size(); ++c)
        i += (line.at(i).isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()) ? 2 : 1;
    return i;
}

} // namespace

void insertAtCaret(TLineEditor& editor, const QString& text, bool placeCaret, int offset) {
    TProgramChange change(editor);
    const int row = editor.CaretRow();
    const int col = editor.CaretCol();
    if (!text.isEmpty()) {
        const QString line = editor.GetLine(row);
        const qsizetype at = utf16Index(line, col);
        editor.ReplaceLine(row, line.left(at) + text + line.mid(at));
    }
    editor.SetCaretRow(row);
    // The editor clamps the column to the line; wide offsets only need to reach its end.
    constexpr qint64 kMax = std::numeric_limits<int>::max();
    const qint64 target = placeCaret ? qint64(col) + offset : kMax;
    editor.SetCaretCol(int(std::clamp<qint64>(target, 0, kMax)));
}

void insertLineAtCaretRow(TLineEditor& editor, const QString& text) {
    TProgramChange change(editor);
    editor.InsertLine(editor.CaretRow(), text);
}

void appendLine(TLineEditor& editor, const QString& text) {
    TProgramChange change(editor);
    editor.InsertLine(editor.LineCount(), text);
}

} // namespace ts
