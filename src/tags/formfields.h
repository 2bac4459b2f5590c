#pragma once
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

class QWidget;
class TQFDialog;

namespace ts {

// What a field dialog gathered: the text of each of its edits by control name
// ("eName", "eValue", ...), and the drop-down's option cells, top to bottom.
struct TFieldValues {
    QMap<QString, QString> texts;
    QStringList options;
};

// A field written by its own palette button or through the QuickForm's list.
enum class TFieldPath { Palette, QuickForm };

// One kind of form field. Its lines come from templates in which {control}
// stands for that control's text; the table of kinds drives both the palette
// buttons and the QuickForm's Insert.
struct TFieldKind {
    QString listText;          // entry in the QuickForm's drop-down
    QString buttonName;        // palette button
    QString line;              // the (first) line
    QString quickFormLine;     // the line written through the QuickForm, when it differs
    bool options;              // followed by one OPTION line per option and "</SELECT><BR>"
    std::unique_ptr<TQFDialog> (*createDialog)(QWidget* parent);
};

// The eight kinds, in the QuickForm's list order.
std::span<const TFieldKind> fieldKinds();
// The kind of that palette button, or nullptr.
const TFieldKind* fieldKindOfButton(const QString& buttonName);

// {name} replaced by texts[name] (empty when there is none), in one pass, so
// a brace typed by the user is never taken for a placeholder.
QString fillTemplate(const QString& tmpl, const QMap<QString, QString>& texts);

// The line(s) of one field.
QStringList composeField(const TFieldKind& kind, const TFieldValues& values, TFieldPath path);

// The form header's three values, as typed.
struct TFormHeaderValues {
    QString action;
    QString method;
    QString enctype;
};

// "<FORM ACTION=".." METHOD=".." ENCTYPE="..">"
QString composeFormStart(const TFormHeaderValues& header);
// The start line followed directly by "</FORM>".
QString composeFormTag(const TFormHeaderValues& header);
// Start line, each field line behind two spaces, "</FORM>".
QStringList composeQuickForm(const TFormHeaderValues& header, const QStringList& fieldLines);

} // namespace ts
