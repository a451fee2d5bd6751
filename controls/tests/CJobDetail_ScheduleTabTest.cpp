#include "controls/CDISDays.h"
#include "controls/CJobDetail_ScheduleTab.h"
#include "controls/tests/ScheduleTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QSpinBox>
#include <QTimeEdit>

#include <vector>

namespace {

using S = CScheduleSettings;

// A page opened at 5 March 2027 09:15:42 that records what it sends.
class SchedulePage : public ::testing::Test {
protected:
    SchedulePage() : page(nullptr, QDateTime(QDate(2027, 3, 5), QTime(9, 15, 42)), &formatter)
    {
        QObject::connect(&page, &CJobDetail_ScheduleTab::scheduleChanged,
                         [this](const CScheduleResult& r) { sent.push_back(r); });
    }

    template <typename T>
    T* child(const char* name)
    {
        T* w = page.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAbstractButton* option(const char* name) { return child<QAbstractButton>(name); }
    QAbstractButton* dayButton(UINT id) { return child<CDISDays>("days")->button(id); }

    FixedScheduleFormatter formatter;
    CJobDetail_ScheduleTab page;
    std::vector<CScheduleResult> sent;
};

TEST_F(SchedulePage, OpensAsRunOnceNowWithDefaults)
{
    const CScheduleResult& r = page.lastResult();
    EXPECT_EQ(r.description, "Run job as soon as possible.");
    EXPECT_EQ(r.nextDate, "SYSDATE");
    EXPECT_TRUE(r.interval.empty());
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(child<QLabel>("description")->text(), "Run job as soon as possible.");
    EXPECT_TRUE(option("startNow")->isChecked());
    EXPECT_TRUE(option("repeatNever")->isChecked());
    EXPECT_EQ(child<QComboBox>("everyUnit")->currentText(), "Hours");
    EXPECT_EQ(child<QComboBox>("repeatUnit")->count(), 3);
    EXPECT_EQ(child<QSpinBox>("everyAmount")->maximum(), 2147483647);
    EXPECT_EQ(child<QSpinBox>("repeatAmount")->minimum(), 1);
    EXPECT_FALSE(child<QTimeEdit>("everyAt")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("until")->isEnabled());
    // Pickers start without seconds; until an hour later.
    EXPECT_EQ(child<QTimeEdit>("dayAt")->time(), QTime(9, 15));
    EXPECT_EQ(child<QTimeEdit>("untilTime")->time(), QTime(10, 15));
    EXPECT_EQ(page.startMoment(), QDateTime(QDate(2027, 3, 5), QTime(9, 15)));
}

TEST_F(SchedulePage, ChangingAValueSelectsItsOptionAndSendsTheResult)
{
    child<QComboBox>("everyUnit")->setCurrentIndex(S::Days);
    EXPECT_TRUE(option("repeatEvery")->isChecked());
    EXPECT_TRUE(child<QTimeEdit>("everyAt")->isEnabled());
    child<QTimeEdit>("everyAt")->setTime(QTime(6, 45));
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().interval, "TRUNC(SYSDATE+1)+6.75/24");
    EXPECT_EQ(sent.back().description,
              "Run job initially as soon as possible, repeat every 1 Day thereafter at 06:45:00.");

    child<QDateEdit>("startDate")->setDate(QDate(2027, 4, 1));
    EXPECT_TRUE(option("startOn")->isChecked());
    EXPECT_EQ(sent.back().nextDate, "TO_DATE('1/4/2027 9:15:0', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(sent.back(), page.lastResult());
}

TEST_F(SchedulePage, AllDaysOpensTheUntilGroupForIntraDayRepeats)
{
    dayButton(CDISDaysModel::ID_ALL_DAYS)->click();
    EXPECT_TRUE(option("repeatDayDate")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("until")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("until")->isChecked());

    child<QTimeEdit>("dayAt")->setTime(QTime(8, 0));
    child<QComboBox>("repeatUnit")->setCurrentIndex(S::Minutes);
    EXPECT_TRUE(child<QCheckBox>("until")->isChecked());
    child<QSpinBox>("repeatAmount")->setValue(30);
    child<QTimeEdit>("untilTime")->setTime(QTime(18, 0));
    EXPECT_EQ(page.lastResult().description,
              "Run job initially as soon as possible then run job every day between 08:00:00 and 18:00:00 at 30 "
              "Minute intervals.");
    EXPECT_EQ(page.lastResult().interval.size(), 199u);

    child<QTimeEdit>("untilTime")->setTime(QTime(8, 0));
    EXPECT_FALSE(page.lastResult().valid);
    EXPECT_EQ(child<QLabel>("description")->text(), "End time is at or before start-time. Please correct.");

    // Every clears the day picker, which closes the until group again.
    option("repeatEvery")->click();
    EXPECT_FALSE(dayButton(CDISDaysModel::ID_MONDAY)->isChecked());
    EXPECT_FALSE(child<QCheckBox>("until")->isEnabled());
    EXPECT_TRUE(page.lastResult().valid);
}

TEST_F(SchedulePage, DayPickerButtonsFollowItsRules)
{
    dayButton(CDISDaysModel::ID_MONDAY)->click();
    EXPECT_TRUE(dayButton(CDISDaysModel::ID_FIRST)->isEnabled());
    dayButton(CDISDaysModel::ID_LAST)->click();
    EXPECT_TRUE(dayButton(CDISDaysModel::ID_MONTH)->isChecked());
    EXPECT_EQ(page.lastResult().description,
              "Run job initially as soon as possible then run on the last Monday of every month at 09:15:00.");

    dayButton(CDISDaysModel::ID_MONDAY + 2)->click();
    for (UINT id : {CDISDaysModel::ID_FIRST, CDISDaysModel::ID_LAST, CDISDaysModel::ID_MONTH, CDISDaysModel::ID_QUARTER}) {
        EXPECT_FALSE(dayButton(id)->isEnabled()) << id;
        EXPECT_FALSE(dayButton(id)->isChecked()) << id;
    }
    dayButton(CDISDaysModel::ID_DAY_1 + 20)->click();
    EXPECT_FALSE(dayButton(CDISDaysModel::ID_MONDAY)->isChecked());
    EXPECT_TRUE(dayButton(CDISDaysModel::ID_DAY_1 + 20)->isChecked());
    EXPECT_TRUE(dayButton(CDISDaysModel::ID_FIRST)->isEnabled());
    EXPECT_EQ(page.lastResult().description,
              "Run job initially as soon as possible then run on the 21st day of every month at 09:15:00.");
    EXPECT_EQ(dayButton(CDISDaysModel::ID_FIRST)->toolTip(),
              "Select to run the job on the first named weekday of a month or quarter- or first day if no weekday "
              "specified");
}

TEST_F(SchedulePage, UserDefinedStateClearsTheOptionsUntilBothAreChosenAgain)
{
    page.setUserDefined();
    EXPECT_TRUE(page.lastResult().userDefined);
    EXPECT_TRUE(page.lastResult().valid);
    EXPECT_FALSE(option("startNow")->isChecked());
    EXPECT_FALSE(option("repeatNever")->isChecked());

    // A value change picks one group only: still user-defined.
    child<QTimeEdit>("startTime")->setTime(QTime(23, 0));
    EXPECT_TRUE(option("startOn")->isChecked());
    EXPECT_TRUE(page.lastResult().userDefined);

    page.setUserDefined();
    option("repeatEvery")->click(); // no start chosen: Now
    EXPECT_TRUE(option("startNow")->isChecked());
    EXPECT_FALSE(page.lastResult().userDefined);
    EXPECT_EQ(page.lastResult().interval, "SYSDATE+1/24");

    page.setUserDefined();
    option("startByRepeat")->click(); // no repeat chosen: Never, which By Repeat cannot use
    EXPECT_TRUE(option("repeatNever")->isChecked());
    EXPECT_FALSE(page.lastResult().valid);
    EXPECT_EQ(page.lastResult().description, "Invalid selection - please try again.");
    EXPECT_FALSE(child<QLabel>("description")->text().isEmpty());

    const std::size_t before = sent.size();
    page.setInvalid();
    ASSERT_EQ(sent.size(), before + 1);
    EXPECT_FALSE(sent.back().valid);
    EXPECT_TRUE(option("startByRepeat")->isChecked()); // options untouched
}

} // namespace
