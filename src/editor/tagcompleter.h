#pragma once
#include <QObject>
#include <string_view>

class TSRichEdit;

// Finishes element and attribute names while the user types markup, and
// closes the innermost open element after "</". Only characters the user
// types count: text the program inserts never opens the list.
class TTagCompleter : public QObject {
    Q_OBJECT
public:
    // The completer of that editor, made at the first call; it lives as long
    // as the editor does.
    static TTagCompleter& Of(TSRichEdit& editor);

    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }

    // What Ctrl+Space does: offers the element names or attributes that fit
    // the word before the caret. False when the caret is in no place for either.
    bool OfferAtCaret();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class List { None, Elements, Attributes };

    explicit TTagCompleter(TSRichEdit& editor);
    void charAdded(int ch);
    void chosen(const char* text, int position);
    void show(List kind, std::string_view entered, const QByteArray& names);
    void closeElement(qint64 caret);

    TSRichEdit& m_editor;
    bool m_enabled = true;
    List m_list = List::None;
};

namespace ts {

// The stored choice of Options > Complete tags: on when nothing is stored or
// the setting cannot be read (a damaged settings file is reported elsewhere).
bool completeTagsSetting();
void storeCompleteTagsSetting(bool on);

} // namespace ts
