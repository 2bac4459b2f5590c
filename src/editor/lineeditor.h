#pragma once
#include <QString>

// The editor seen as a list of lines, addressed from 0. Columns and rows count
// characters, not bytes. This is the interface the insertion primitives, the
// indent commands and the builders work on.
class TLineEditor {
public:
    virtual ~TLineEditor() = default;

    // Lines of the text; an empty line after a final line break is not counted.
    virtual int LineCount() const = 0;
    // Line i without its line break; empty for the line after a final line
    // break and for an empty document.
    virtual QString GetLine(int i) const = 0;
    // Replaces the characters of line i (not its line break) by s. Line breaks
    // in s split it. The caret ends after the written text, selection collapsed.
    virtual void ReplaceLine(int i, const QString& s) = 0;
    // Puts s and a line break at the start of line i; when there is no line i
    // and the text does not end with a line break, puts a line break and s at
    // the end instead. The caret ends after the written text.
    virtual void InsertLine(int i, const QString& s) = 0;

    // Line and column of the selection start.
    virtual int CaretRow() const = 0;
    virtual int CaretCol() const = 0;
    // Clamped to 0 .. LineCount() - 1 (the start in an empty text); collapses the selection.
    virtual void SetCaretRow(int row) = 0;
    // Clamped to 0 .. length of the caret's line; collapses the selection.
    virtual void SetCaretCol(int col) = 0;

    virtual bool IsEmpty() const = 0;
    virtual bool EndsWithLineBreak() const = 0;
    // Removes the whole text as an edit Undo takes back.
    virtual void ClearText() = 0;

    // Edits between these two calls form one undo step.
    virtual void BeginProgramChange() = 0;
    virtual void EndProgramChange() = 0;
};

// Makes the edits of one scope a single undo step.
class TProgramChange {
public:
    explicit TProgramChange(TLineEditor& e) : m_editor(e) { m_editor.BeginProgramChange(); }
    ~TProgramChange() { m_editor.EndProgramChange(); }
    TProgramChange(const TProgramChange&) = delete;
    TProgramChange& operator=(const TProgramChange&) = delete;

private:
    TLineEditor& m_editor;
};
