#include "platform/clock.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(LongTime, HoursMinutesSecondsAndAmPmWithoutTheZone) {
    const QTime time(14, 5, 9);
    const struct {
        const char* locale;
        const char* text;
    } cases[] = {
        {"C", "14:05:09"},         {"de_DE", "14:05:09"},     {"en_US", "2:05:09 PM"},
        {"fi_FI", "14.05.09"},     {"fr_CA", "14 h 05 min 09 s"}, {"zh_CN", "14:05:09"},
        {"fa_IR", "\u06F1\u06F4:\u06F0\u06F5:\u06F0\u06F9"},
    };
    for (const auto& c : cases) {
        const QLocale locale(QString::fromLatin1(c.locale));
        EXPECT_EQ(locale.toString(time, ts::longTimeFormat(locale)), QString::fromUtf8(c.text)) << c.locale;
    }
    // The program's clock: the user's locale, no zone.
    const QString zone = QLocale::system().toString(QDateTime::currentDateTime(), QStringLiteral("t"));
    const QString shown = ts::SystemClock().longTime(time);
    EXPECT_FALSE(shown.contains(zone)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QLocale::system().toString(time, QStringLiteral("mm")))) << shown.toStdString();
}
