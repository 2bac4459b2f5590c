#include "editor/editcommands.h"

#include "editor/lineeditor.h"

#include <QString>

namespace ts {

namespace {
constexpr QLatin1StringView kIndent("  ");
}

void indentLine(TLineEditor& editor) {
    TProgramChange change(editor);
    const int row = editor.CaretRow();
    editor.ReplaceLine(row, kIndent + editor.GetLine(row));
}

bool unindentLine(TLineEditor& editor) {
    const int row = editor.CaretRow();
    const QString line = editor.GetLine(row);
    if (!line.startsWith(kIndent)) return false;
    TProgramChange change(editor);
    editor.ReplaceLine(row, line.mid(kIndent.size()));
    return true;
}

} // namespace ts
