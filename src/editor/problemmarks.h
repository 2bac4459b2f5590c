#pragma once
#include "editor/htmlcheck.h"

#include <QObject>
#include <QString>
#include <vector>

class TSRichEdit;

// The problems of a check shown in the editor: a symbol in the margin of
// each line that has any, its messages as the symbol's hint, and a wavy
// underline on each problem's span. Markers and underlines are no part of
// the text: they never enter the undo history, the modified flag or a file.
class TProblemMarks : public QObject {
    Q_OBJECT
public:
    // The editor's marks, made at the first call; they live as long as the editor.
    static TProblemMarks& Of(TSRichEdit& editor);

    // Replaces the marks by those of problems found in the editor's text as
    // it is now (their byte spans are taken as they are).
    void Show(const std::vector<ts::HtmlProblem>& problems);
    void Clear();
    // The hint of the margin symbol on that line (from 0): its messages, one
    // a line; empty where there is none.
    QString HintAt(int line) const;

    static constexpr int kMarker = 20;
    static constexpr int kIndicator = 20;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    explicit TProblemMarks(TSRichEdit& editor);
    long sci(unsigned int msg, unsigned long w = 0, long l = 0) const;

    struct Hint {
        int handle; // of the marker, which moves with its line
        QString text;
    };
    TSRichEdit& m_editor;
    std::vector<Hint> m_hints;
};
