#include "support/fixedclock.h"

namespace ts {

QString FixedClock::shortDate(const QDate& date) const { return date.toString(QStringLiteral("dd.MM.yy")); }

QString FixedClock::longTime(const QTime& time) const { return time.toString(QStringLiteral("HH:mm:ss")); }

} // namespace ts
