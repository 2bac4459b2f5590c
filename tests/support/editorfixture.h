#pragma once
#include "editor/tsrichedit.h"
#include "platform/terror.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

namespace ts::test {

// The editor's whole text as bytes.
inline QByteArray documentText(const TSRichEdit& e) {
    const std::string_view v = e.DocumentBytes();
    return QByteArray(v.data(), static_cast<qsizetype>(v.size()));
}

// The message of the TError that f throws; empty when it throws none.
template <class F>
QString errorOf(F&& f) {
    try {
        f();
    } catch (const TError& e) {
        return e.message();
    }
    return QString();
}

// A real editor control with helpers to load text and place the caret.
class EditorFixture : public ::testing::Test {
protected:
    void load(const char* utf8) { e.SetDocumentBytes(QByteArray(utf8)); }
    QByteArray text() const { return documentText(e); }
    void caret(int row, int col) {
        e.SetCaretRow(row);
        e.SetCaretCol(col);
    }
    // Selects from (row1, col1) to (row2, col2), the caret at the second point.
    void select(int row1, int col1, int row2, int col2) {
        e.SendScintilla(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(e.BytePosOf(row1, col1)),
                        static_cast<long>(e.BytePosOf(row2, col2)));
    }

    TSRichEdit e;
};

} // namespace ts::test
