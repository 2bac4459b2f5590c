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
    return QLocale::system().toString(time, QLocale::LongFormat);
}

QString FixedClock::shortDate(const QDate& date) const { return date.toString(QStringLiteral("dd.MM.yy")); }

QString FixedClock::longTime(const QTime& time) const { return time.toString(QStringLiteral("HH:mm:ss")); }

Clock& clock() {
    static SystemClock real;
    return g_clock ? *g_clock : real;
}

void setClock(Clock* c) { g_clock = c; }

} // namespace ts
