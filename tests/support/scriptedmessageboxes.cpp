#include "support/scriptedmessageboxes.h"

namespace ts {

void ScriptedMessageBoxes::information(QWidget*, const QString& text) {
    shown.push_back({BoxKind::Information, text});
}

void ScriptedMessageBoxes::warning(QWidget*, const QString& text) {
    shown.push_back({BoxKind::Warning, text});
}

void ScriptedMessageBoxes::error(QWidget*, const QString& text) {
    shown.push_back({BoxKind::Error, text});
}

Answer ScriptedMessageBoxes::askYesNoCancel(QWidget*, const QString& text) {
    shown.push_back({BoxKind::Confirmation, text, Answer::Yes});
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

Answer ScriptedMessageBoxes::askYesNo(QWidget*, const QString& text, Answer preferred) {
    shown.push_back({BoxKind::Confirmation, text, preferred == Answer::No ? Answer::No : Answer::Yes});
    if (answers.empty()) return Answer::No;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

Answer ScriptedMessageBoxes::warnYesNo(QWidget*, const QString& text) {
    shown.push_back({BoxKind::Warning, text, Answer::No});
    if (answers.empty()) return Answer::No;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

QStringList ScriptedMessageBoxes::texts() const {
    QStringList out;
    for (const auto& s : shown) out << s.text;
    return out;
}

} // namespace ts
