#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

namespace ts {

// Clock and the user's locale formats, as one seam so tests can fix both.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    virtual QString shortDate(const QDate& date) const = 0;
    virtual QString longTime(const QTime& time) const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
    QString shortDate(const QDate& date) const override;
    QString longTime(const QTime& time) const override;
};

Clock& clock();
void setClock(Clock* c);

// The locale's long time format without its time zone: hours, minutes and
// seconds with the locale's separators, and AM/PM where the locale uses them.
QString longTimeFormat(const QLocale& locale);

} // namespace ts
