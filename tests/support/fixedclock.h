#pragma once
#include "platform/clock.h"

#include <QDateTime>

namespace ts {

// A fixed moment and fixed format strings (QLocale::C formats by default).
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime moment) : m_moment(std::move(moment)) {}
    QDateTime now() const override { return m_moment; }
    QString shortDate(const QDate& date) const override;
    QString longTime(const QTime& time) const override;

private:
    QDateTime m_moment;
};

} // namespace ts
