#pragma once
#include "platform/messages.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace ts {

// Records every box and answers questions from a queue
// (Cancel for askYesNoCancel, No for askYesNo when the queue is empty).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        BoxKind kind;
        QString text;
        // What Enter answers in the real box.
        Answer preferred = Answer::Ok;
    };
    std::vector<Shown> shown;
    std::deque<Answer> answers;

    void information(QWidget*, const QString& text) override;
    void warning(QWidget*, const QString& text) override;
    void error(QWidget*, const QString& text) override;
    Answer askYesNoCancel(QWidget*, const QString& text) override;
    using MessageBoxes::askYesNo;
    Answer askYesNo(QWidget*, const QString& text, Answer preferred) override;
    // Recorded as a Warning; answered from the same queue as askYesNo.
    Answer warnYesNo(QWidget*, const QString& text) override;

    // Texts shown so far, of any kind.
    QStringList texts() const;
};

} // namespace ts
