#include "platform/clock.h"

#include <QLocale>

namespace ts {

namespace {
Clock* g_clock = nullptr;
}

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

QString SystemClock::shortDate(const QDate& date) const {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString SystemClock::longTime(const QTime& time) const {
    const QLocale locale = QLocale::system();
    return locale.toString(time, longTimeFormat(locale));
}

QString longTimeFormat(const QLocale& locale) {
    // Qt's long format ends in the zone ("t"), sometimes in brackets; quoted
    // text is literal and stays.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype k = 0; k < format.size(); ++k) {
        const QChar c = format[k];
        if (c == QLatin1Char('\'')) quoted = !quoted;
        if (quoted || c != QLatin1Char('t')) {
            out += c;
            continue;
        }
        while (k + 1 < format.size() && format[k + 1] == QLatin1Char('t')) ++k;
        if (out.endsWith(QLatin1Char('(')) && k + 1 < format.size() && format[k + 1] == QLatin1Char(')')) {
            out.chop(1);
            ++k;
        }
    }
    while (out.contains(QLatin1String("  "))) out.replace(QLatin1String("  "), QLatin1String(" "));
    return out.trimmed();
}

Clock& clock() {
    static SystemClock real;
    return g_clock ? *g_clock : real;
}

void setClock(Clock* c) { g_clock = c; }

} // namespace ts
