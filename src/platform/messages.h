#pragma once
#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace ts {

enum class Answer { Ok, Yes, No, Cancel };
enum class BoxKind { Information, Warning, Error, Confirmation };

// Every message box of the program goes through this seam.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void information(QWidget* parent, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& text) = 0;
    virtual void error(QWidget* parent, const QString& text) = 0;
    // Buttons "&Ja", "&Nein", "Abbrechen"; closing the box counts as Cancel,
    // Enter gives Yes.
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // Buttons "&Ja", "&Nein"; closing the box counts as No. Enter (and
    // Space on the focused button) gives `preferred`, Yes or No: No where
    // Yes would throw away the user's text.
    virtual Answer askYesNo(QWidget* parent, const QString& text, Answer preferred) = 0;
    Answer askYesNo(QWidget* parent, const QString& text) { return askYesNo(parent, text, Answer::Yes); }
    // The same question in a warning box, for a step that destroys data;
    // Enter gives No.
    virtual Answer warnYesNo(QWidget* parent, const QString& text) = 0;
};

// Real boxes with the German captions and button labels.
class QtMessageBoxes : public MessageBoxes {
public:
    void information(QWidget* parent, const QString& text) override;
    void warning(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    using MessageBoxes::askYesNo;
    Answer askYesNo(QWidget* parent, const QString& text, Answer preferred) override;
    Answer warnYesNo(QWidget* parent, const QString& text) override;
};

// For tests: records every box and answers questions from a queue
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

MessageBoxes& messages();
// Replaces the boxes in use; nullptr goes back to the real ones.
void setMessages(MessageBoxes* boxes);

// German captions of the boxes.
inline const char* const kCaptionWarning = "Warnung";
inline const char* const kCaptionError = "Fehler";
inline const char* const kCaptionInformation = "Information";
inline const char* const kCaptionConfirmation = "Bestätigen";

} // namespace ts
