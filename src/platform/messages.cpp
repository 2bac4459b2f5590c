#include "platform/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ts {

namespace {

// `preferred` is what Enter presses.
QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const char* caption,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton escape, QMessageBox::StandardButton preferred) {
    QMessageBox box(icon, QString::fromUtf8(caption), text, buttons, parent);
    box.setDefaultButton(preferred);
    if (auto* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("&Ja"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("&Nein"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("Abbrechen"));
    box.setEscapeButton(escape);
    const int r = box.exec();
    // exec() returns the standard button, or an arbitrary value when the box was closed.
    if (!(buttons & QMessageBox::StandardButton(r))) return escape;
    return QMessageBox::StandardButton(r);
}

MessageBoxes* g_current = nullptr;

} // namespace

void QtMessageBoxes::information(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Information, kCaptionInformation, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

void QtMessageBoxes::warning(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Warning, kCaptionWarning, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

void QtMessageBoxes::error(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, kCaptionError, text, QMessageBox::Ok, QMessageBox::Ok,
            QMessageBox::Ok);
}

Answer QtMessageBoxes::askYesNoCancel(QWidget* parent, const QString& text) {
    switch (showBox(parent, QMessageBox::Question, kCaptionConfirmation, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
                    QMessageBox::Yes)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

Answer QtMessageBoxes::askYesNo(QWidget* parent, const QString& text, Answer preferred) {
    return showBox(parent, QMessageBox::Question, kCaptionConfirmation, text,
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                   preferred == Answer::No ? QMessageBox::No : QMessageBox::Yes) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

Answer QtMessageBoxes::warnYesNo(QWidget* parent, const QString& text) {
    return showBox(parent, QMessageBox::Warning, kCaptionWarning, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No, QMessageBox::No) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

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

MessageBoxes& messages() {
    static QtMessageBoxes real;
    return g_current ? *g_current : real;
}

void setMessages(MessageBoxes* boxes) { g_current = boxes; }

} // namespace ts
