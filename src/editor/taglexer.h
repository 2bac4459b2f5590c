#pragma once
#include <Qsci/qscilexercustom.h>
#include <QColor>
#include <functional>

// Colours markup by kind of tag: A tags, IMG tags, every other tag (comments
// and declarations too) and the text between tags. Each tag is coloured
// whole, brackets, name, attributes and quoted values included.
//
// Styling runs forward from the start of a line on request only, so an edit
// deep in a large document restyles just the lines that are shown. The state
// at a line's start is the style of the character before it, which is why
// quoted values and comments have styles of their own.
class TTagLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Style {
        Text = 0,
        LinkTag, LinkDouble, LinkSingle,
        ImageTag, ImageDouble, ImageSingle,
        OtherTag, OtherDouble, OtherSingle,
        Comment, CommentEnd,
        StyleCount
    };

    explicit TTagLexer(QObject* parent = nullptr);

    const char* language() const override;
    QString description(int style) const override;
    void styleText(int start, int end) override;

    // Text colour for the text between tags, then the three tag colours.
    void SetColours(const QColor& text, const QColor& links, const QColor& images, const QColor& other);

    // Which colour a style shows.
    enum class Kind { Text, Links, Images, Other };
    static Kind KindOf(int style);

    // Colours the bytes from start to stop, beginning in the given state.
    // text holds the bytes from `from` to `readEnd`, a few past stop for the
    // look-ahead. Calls run once per run of one style, in order.
    static void Scan(const char* text, long from, long readEnd, long start, long stop, int state,
                     const std::function<void(int style, long count)>& run);
};
