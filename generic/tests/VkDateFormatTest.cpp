#include "generic/VkDateFormat.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

using Parts = VkDateFormat::Parts;

TEST(VkDateFormat, AutomationDatesRoundTrip)
{
    const struct {
        Parts parts;
        double date;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 12, 0, 0}, 1.5},
        {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{1999, 12, 31, 23, 59, 58}, 36525.0 + 86398.0 / 86400.0},
        {{2000, 2, 29, 6, 0, 0}, 36585.25},
        // Before the epoch the time still counts forward from midnight.
        {{1899, 12, 29, 6, 0, 0}, -1.25},
        {{100, 1, 1, 0, 0, 0}, -657434.0},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0},
    };
    for (const auto& c : cases) {
        double date = -99;
        ASSERT_TRUE(VkDateFormat::ToAutomationDate(c.parts, date)) << c.parts.year;
        EXPECT_NEAR(date, c.date, 1e-9) << c.parts.year;
        Parts back;
        ASSERT_TRUE(VkDateFormat::FromAutomationDate(c.date, back));
        EXPECT_EQ(back.year, c.parts.year);
        EXPECT_EQ(back.month, c.parts.month);
        EXPECT_EQ(back.day, c.parts.day);
        EXPECT_EQ(back.hour, c.parts.hour);
        EXPECT_EQ(back.minute, c.parts.minute);
        EXPECT_EQ(back.second, c.parts.second);
    }
}

TEST(VkDateFormat, InvalidPartsAndValues)
{
    const Parts invalid[] = {{1913, 2, 30, 0, 0, 0}, {2000, 13, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 0},
                             {2000, 1, 1, 24, 0, 0}, {2000, 1, 1, 0, 60, 0}, {2000, 1, 1, 0, 0, 60},
                             {2000, 1, 1, -1, 0, 0}};
    for (const auto& p : invalid) {
        double date = 5;
        EXPECT_FALSE(VkDateFormat::ToAutomationDate(p, date));
        EXPECT_EQ(date, 0.0);
    }
    Parts parts;
    EXPECT_FALSE(VkDateFormat::FromAutomationDate(3e6, parts));
    EXPECT_FALSE(VkDateFormat::FromAutomationDate(-7e5, parts));
    EXPECT_FALSE(VkDateFormat::FromAutomationDate(std::numeric_limits<double>::quiet_NaN(), parts));
    EXPECT_EQ(VkDateFormat::FormatDateToShortDateFormat(3e6), "");
    // Rounding to the second carries into the next day.
    ASSERT_TRUE(VkDateFormat::FromAutomationDate(1.0 - 0.1 / 86400.0, parts));
    EXPECT_EQ(parts.day, 31);
    EXPECT_EQ(parts.hour, 0);
}

TEST(VkDateFormat, TextInTheUsersFormats)
{
    double date = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({2026, 3, 7, 14, 5, 9}, date));
    const struct {
        QLocale locale;
        const char* shortDate;
        const char* abbreviated;
        const char* time;
        const char* noSeconds;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "07/03/2026", "07/Mar/2026", "14:05:09", "14:05"},
        {QLocale(QLocale::German, QLocale::Germany), "07.03.26", "07.März.26", "14:05:09", "14:05"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "3/7/26", "Mar/7/26", "2:05:09 PM", "2:05 PM"},
    };
    for (const auto& c : cases) {
        QLocale::setDefault(c.locale);
        EXPECT_EQ(VkDateFormat::FormatDateToShortDateFormat(date), c.shortDate);
        EXPECT_EQ(VkDateFormat::FormatDateToShortDateFormat(date, true), c.abbreviated);
        EXPECT_EQ(VkDateFormat::FormatDateToTimeFormat(date), c.time);
        EXPECT_EQ(VkDateFormat::FormatDateToTimeFormat(date, true), c.noSeconds);
    }
    QLocale::setDefault(QLocale::system());
}

} // namespace
