#include "controls/CScheduleFormatter.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>

namespace {

TEST(CScheduleLocaleFormatter, WritesTimesWithSecondsAndLongDates)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const CScheduleLocaleFormatter formatter;
    EXPECT_EQ(formatter.TimeText({14, 5, 9}), "14:05:09");
    EXPECT_EQ(formatter.LongDateText(2027, 3, 5), "Friday, 5 March 2027");
    // Impossible values give empty text rather than a wrong one.
    EXPECT_EQ(formatter.LongDateText(2027, 2, 30), "");
    EXPECT_EQ(formatter.TimeText({25, 0, 0}), "");
    QLocale::setDefault(saved);
}

} // namespace
