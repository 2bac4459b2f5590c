#pragma once
#include <QDialog>
#include <QString>

namespace Ui {
class TFindDialog;
class TReplaceDialog;
} // namespace Ui

// What a find or replace dialog asks for at the moment of a search.
struct TFindRequest {
    QString text;
    bool down = true;
    bool matchCase = false;
    bool wholeWord = false;
};

// The modeless find dialog of one document window. Closing only hides it, so
// its text and options last as long as the window.
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent);
    ~TFindDialog() override;
    TFindRequest Request() const;
    void Open();

signals:
    void FindNext();

private:
    Ui::TFindDialog* ui;
};

// The modeless replace dialog; it always searches down.
class TReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget* parent);
    ~TReplaceDialog() override;
    TFindRequest Request() const;
    QString ReplaceText() const;
    void Open();

signals:
    void FindNext();
    void Replace(bool all);

private:
    Ui::TReplaceDialog* ui;
};
