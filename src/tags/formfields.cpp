#include "tags/formfields.h"

#include "tags/tqfdialogs.h"

#include <array>

namespace ts {

namespace {

template <class Dialog>
std::unique_ptr<TQFDialog> create(QWidget* parent) {
    return std::make_unique<Dialog>(parent);
}

const std::array<TFieldKind, 8> kKinds{{
    {QStringLiteral("text box"), QStringLiteral("sbText"),
     QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"{eName}\" VALUE=\"{eValue}\" SIZE={eSize} MAXLENGTH={eMaxLength}><BR>"),
     QString(), false, &create<TQFTB>},
    {QStringLiteral("hidden text"), QStringLiteral("sbHiddenText"),
     QStringLiteral("<INPUT TYPE=\"HIDDEN\" NAME=\"{eName}\" VALUE=\"{eValue}\"><BR>"), QString(), false,
     &create<TQFHT>},
    {QStringLiteral("text area"), QStringLiteral("sbEntry"),
     QStringLiteral("<TEXTAREA NAME=\"{eName}\" ROWS={eRows} COLS={eCols}></TEXTAREA><BR>"), QString(), false,
     &create<TQFTA>},
    {QStringLiteral("checkbox"), QStringLiteral("sbCheckBox"),
     QStringLiteral("<INPUT TYPE=\"CHECKBOX\" NAME=\"{eName}\" VALUE=\"{eValue}\"><BR>"), QString(), false,
     &create<TQFCB>},
    {QStringLiteral("radio-button"), QStringLiteral("sbRadioButton"),
     QStringLiteral("<INPUT TYPE=\"RADIO\" NAME=\"{eName}\" VALUE=\"{eValue}\"><BR>"), QString(), false,
     &create<TQFRB>},
    {QStringLiteral("drop-down list"), QStringLiteral("sbDropDown"), QStringLiteral("<SELECT NAME=\"{eName}\">"),
     QString(), true, &create<TQFDD>},
    {QStringLiteral("submit-button"), QStringLiteral("sbSubmit"),
     QStringLiteral("<INPUT TYPE=\"SUBMIT\" NAME=\"{eName}\" VALUE=\"{eValue}\">"), QString(), false,
     &create<TQFSUB>},
    {QStringLiteral("reset-button"), QStringLiteral("sbReset"),
     QStringLiteral("<INPUT TYPE=\"RESET\" NAME=\"{eName}\" VALUE=\"{eValue}\">"),
     QStringLiteral("<INPUT TYPE=\"Reset\" NAME=\"{eName}\" VALUE=\"{eValue}\">"), false, &create<TQFRES>},
}};

} // namespace

std::span<const TFieldKind> fieldKinds() { return kKinds; }

const TFieldKind* fieldKindOfButton(const QString& buttonName) {
    for (const TFieldKind& k : kKinds)
        if (k.buttonName == buttonName) return &k;
    return nullptr;
}

QString fillTemplate(const QString& tmpl, const QMap<QString, QString>& texts) {
    QString out;
    out.reserve(tmpl.size());
    qsizetype i = 0;
    while (i < tmpl.size()) {
        const qsizetype open = tmpl.indexOf(QLatin1Char('{'), i);
        const qsizetype close = open < 0 ? -1 : tmpl.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            out += QStringView(tmpl).mid(i);
            break;
        }
        out += QStringView(tmpl).mid(i, open - i);
        out += texts.value(tmpl.mid(open + 1, close - open - 1));
        i = close + 1;
    }
    return out;
}

QStringList composeField(const TFieldKind& kind, const TFieldValues& values, TFieldPath path) {
    const QString& line =
        path == TFieldPath::QuickForm && !kind.quickFormLine.isEmpty() ? kind.quickFormLine : kind.line;
    QStringList lines{fillTemplate(line, values.texts)};
    if (kind.options) {
        for (const QString& option : values.options) lines << QStringLiteral("  <OPTION>") + option;
        lines << QStringLiteral("</SELECT><BR>");
    }
    return lines;
}

QString composeFormStart(const TFormHeaderValues& header) {
    return QStringLiteral("<FORM ACTION=\"") + header.action + QStringLiteral("\" METHOD=\"") + header.method +
           QStringLiteral("\" ENCTYPE=\"") + header.enctype + QStringLiteral("\">");
}

QString composeFormTag(const TFormHeaderValues& header) {
    return composeFormStart(header) + QStringLiteral("</FORM>");
}

QStringList composeQuickForm(const TFormHeaderValues& header, const QStringList& fieldLines) {
    QStringList lines{composeFormStart(header)};
    for (const QString& l : fieldLines) lines << QStringLiteral("  ") + l;
    lines << QStringLiteral("</FORM>");
    return lines;
}

} // namespace ts
