// The queue properties: the rules of the values, the dialog's controls and
// the properties operation on a queue that is not connected.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CPropertiesDlg.h"
#include "controls/CQueueConnection.h"
#include "controls/CQueueProperties.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

constexpr DWORD kNever = CQueueProperties::kNever;

} // namespace

TEST(CQueueProperties, FilledFromTheQueue)
{
    const CQueueProperties fixed = CQueueProperties::FromQueue(30, false, true, "Host: A    User:  b");
    EXPECT_EQ(fixed.refreshMode, CQueueProperties::FixedInterval);
    EXPECT_EQ(fixed.interval, 30);
    EXPECT_FALSE(fixed.showStatusBar);
    EXPECT_TRUE(fixed.flashAlerts);
    EXPECT_EQ(fixed.heading, "Host: A    User:  b");

    // "Never" shows as manual with the default interval to fall back on.
    EXPECT_TRUE(fixed.notifyAlerts);
    const CQueueProperties manual = CQueueProperties::FromQueue(kNever, true, false, "", false);
    EXPECT_FALSE(manual.notifyAlerts);
    EXPECT_EQ(manual.refreshMode, CQueueProperties::Manual);
    EXPECT_EQ(manual.interval, 100);

    // An interval beyond the edit's range is shown as the largest one.
    EXPECT_EQ(CQueueProperties::FromQueue(0xFFFFFFFE, true, true, "").interval, CQueueProperties::kMaxInterval);
}

TEST(CQueueProperties, OkRuleAndWhatOkChanges)
{
    struct Case {
        int mode;
        LONG interval;
        DWORD current;
        bool ok;
        DWORD stored;
        bool changed;
        bool refreshNow;
    };
    const Case cases[] = {
        {CQueueProperties::FixedInterval, 0, 100, false, 1, true, true},     // refused (stored only if forced)
        {CQueueProperties::FixedInterval, -5, 100, false, 1, true, true},
        {CQueueProperties::Manual, 0, 100, true, kNever, true, false},        // manual ignores the interval
        {CQueueProperties::FixedInterval, 30, 100, true, 30, true, true},     // changed: refresh once at once
        {CQueueProperties::FixedInterval, 100, 100, true, 100, false, false}, // unchanged: nothing
        {CQueueProperties::FixedInterval, 100, kNever, true, 100, true, true},
        {CQueueProperties::Manual, 100, kNever, true, kNever, false, false},
        {CQueueProperties::FixedInterval, 1, 2, true, 1, true, true},
    };
    for (const Case& c : cases) {
        CQueueProperties values;
        values.refreshMode = c.mode;
        values.interval = c.interval;
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " interval " << c.interval << " current "
                                        << c.current);
        EXPECT_EQ(values.OkAllowed(), c.ok);
        const auto change = values.Apply(c.current);
        EXPECT_EQ(change.interval, c.stored);
        EXPECT_EQ(change.changed, c.changed);
        EXPECT_EQ(change.refreshNow, c.refreshNow);
    }
}

TEST(CQueueProperties, IntervalText)
{
    const std::pair<const char*, LONG> cases[] = {
        {"30", 30}, {"", 0},  {"0", 0}, {"007", 7}, {" 12 ", 12}, {"2147483647", 2147483647}, {"99999999999", 2147483647},
        {"-3", 0},  {"1e3", 0}, {"12a", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CQueueProperties::ParseInterval(text), expected) << text;
}

TEST(CPropertiesDlg, ControlsTextsAndHelp)
{
    CPropertiesDlg dlg;
    dlg.Values() = CQueueProperties::FromQueue(30, true, false, "Host: DEMO    User:  scott");
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Properties");
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(dlg.headingLabel()->text(), "Host: DEMO    User:  scott");
    EXPECT_EQ(dlg.refreshGroup()->title(), "Refresh Settings");
    EXPECT_EQ(dlg.manualRadio()->text(), "&Manual");
    EXPECT_EQ(dlg.fixedRadio()->text(), "&Fixed Interval");
    EXPECT_EQ(dlg.statusBarCheck()->text(), "Show status bar");
    EXPECT_EQ(dlg.flashCheck()->text(), "Flash job alerts");
    EXPECT_EQ(dlg.notifyCheck()->text(), "Notify when a job fails or breaks");
    EXPECT_EQ(dlg.helpButton()->text(), "Help");
    bool noteFound = false, timeoutFound = false;
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        noteFound |= label->text()
                     == "NOTE: For best performance, avoid low timeout intervals. You can refresh at any time by "
                        "pressing F5.";
        timeoutFound |= label->text() == "&Timeout (seconds): " && label->buddy() == dlg.intervalEdit();
    }
    EXPECT_TRUE(noteFound);
    EXPECT_TRUE(timeoutFound);

    // The queue's values are shown.
    EXPECT_TRUE(dlg.fixedRadio()->isChecked());
    EXPECT_EQ(dlg.intervalEdit()->text(), "30");
    EXPECT_TRUE(dlg.statusBarCheck()->isChecked());
    EXPECT_FALSE(dlg.flashCheck()->isChecked());
    EXPECT_TRUE(dlg.notifyCheck()->isChecked()); // on unless the queue turned it off

    const std::pair<int, UINT> contexts[] = {{410, 80}, {419, 81}, {313, 82}, {311, 82}, {312, 82},
                                              {298, 83}, {299, 84}, {300, 85}, {329, 0},  {1, 0}};
    for (const auto& [id, context] : contexts)
        EXPECT_EQ(CPropertiesDlg::HelpContextOf(id), context) << id;
    EXPECT_EQ(dlg.intervalEdit()->property("helpContext").toUInt(), 82u);
}

TEST(CPropertiesDlg, OkRuleTypingAndSpin)
{
    CPropertiesDlg dlg;
    dlg.Values() = CQueueProperties::FromQueue(kNever, true, true, "");
    // Before initialisation OK is left as it is and cannot be taken.
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    dlg.show();
    EXPECT_TRUE(dlg.manualRadio()->isChecked());
    EXPECT_EQ(dlg.intervalEdit()->text(), "100");
    EXPECT_TRUE(dlg.okButton()->isEnabled());

    // Typing into the interval chooses the fixed mode; 0 refuses OK.
    dlg.intervalEdit()->selectAll();
    QTest::keyClicks(dlg.intervalEdit(), "0");
    EXPECT_TRUE(dlg.fixedRadio()->isChecked());
    EXPECT_EQ(dlg.intervalEdit()->text(), "0");
    EXPECT_FALSE(dlg.okButton()->isEnabled());
    dlg.accept(); // Enter while refused
    EXPECT_TRUE(dlg.isVisible());

    // Manual allows OK whatever the interval; back to fixed refuses again.
    dlg.manualRadio()->click();
    EXPECT_TRUE(dlg.okButton()->isEnabled());
    dlg.fixedRadio()->click();
    EXPECT_FALSE(dlg.okButton()->isEnabled());

    // Letters are not taken by the number edit.
    QTest::keyClicks(dlg.intervalEdit(), "x");
    EXPECT_EQ(dlg.intervalEdit()->text(), "0");

    // The spin stays within 1 and the largest interval.
    dlg.spinDown()->click();
    EXPECT_EQ(dlg.intervalEdit()->text(), "1");
    EXPECT_TRUE(dlg.okButton()->isEnabled());
    dlg.spinUp()->click();
    EXPECT_EQ(dlg.intervalEdit()->text(), "2");
    dlg.intervalEdit()->setText("2147483647");
    dlg.spinUp()->click();
    EXPECT_EQ(dlg.intervalEdit()->text(), "2147483647");
    dlg.manualRadio()->click();
    dlg.spinDown()->click(); // a step means a fixed interval too
    EXPECT_TRUE(dlg.fixedRadio()->isChecked());
    EXPECT_EQ(dlg.intervalEdit()->text(), "2147483646");

    dlg.flashCheck()->click();
    dlg.statusBarCheck()->click();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Values().refreshMode, CQueueProperties::FixedInterval);
    EXPECT_EQ(dlg.Values().interval, 2147483646);
    EXPECT_FALSE(dlg.Values().flashAlerts);
    EXPECT_FALSE(dlg.Values().showStatusBar);
}

class QueueProperties : public ::testing::Test {
protected:
    QueueProperties()
    {
        queue.resize(600, 300);
        queue.show();
        queue.List().SetLogon("DEMO", "scott", "tiger");
    }
    CJobListCtrl& list() { return queue.List(); }

    VkModalScript modal;
    CSchedulerMainDlg queue;
};

TEST_F(QueueProperties, CancelChangesNothing)
{
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CPropertiesDlg*>(d);
        dlg->manualRadio()->click();
        dlg->statusBarCheck()->click();
        dlg->flashCheck()->click();
        return QDialog::Rejected;
    });
    EXPECT_FALSE(CQueueConnection::Properties(queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), 100u);
    EXPECT_TRUE(queue.StatusBarShown());
    EXPECT_TRUE(list().Model().FlashEffects());
}

TEST_F(QueueProperties, OkAppliesIntervalStatusBarAndFlashing)
{
    // The dialog shows the queue as it is, headed by its caption.
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CPropertiesDlg*>(d);
        EXPECT_EQ(dlg->headingLabel()->text(), "Host: DEMO    User:  scott");
        EXPECT_TRUE(dlg->fixedRadio()->isChecked());
        EXPECT_EQ(dlg->intervalEdit()->text(), "100");
        EXPECT_TRUE(dlg->statusBarCheck()->isChecked());
        EXPECT_TRUE(dlg->flashCheck()->isChecked());
        EXPECT_TRUE(dlg->notifyCheck()->isChecked());
        dlg->intervalEdit()->selectAll();
        QTest::keyClicks(dlg->intervalEdit(), "30");
        dlg->statusBarCheck()->click();
        dlg->flashCheck()->click();
        dlg->notifyCheck()->click();
        return QDialog::Accepted;
    });
    EXPECT_TRUE(CQueueConnection::Properties(queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), 30u);
    EXPECT_FALSE(queue.StatusBarShown());
    EXPECT_FALSE(queue.StatusBar().isVisible());
    EXPECT_EQ(list().height(), queue.height()); // the list took the bar's room
    EXPECT_FALSE(list().Model().FlashEffects());
    EXPECT_FALSE(list().NotifyAlerts());

    // The refresh that a changed interval triggers is seen on the demo database.
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CPropertiesDlg*>(d);
        EXPECT_EQ(dlg->intervalEdit()->text(), "30");
        EXPECT_FALSE(dlg->statusBarCheck()->isChecked());
        EXPECT_FALSE(dlg->notifyCheck()->isChecked());
        dlg->statusBarCheck()->click();
        return QDialog::Accepted;
    });
    EXPECT_TRUE(CQueueConnection::Properties(queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), 30u);
    EXPECT_TRUE(queue.StatusBarShown());
    EXPECT_TRUE(queue.StatusBar().isVisible());
    modal.AnswerDialog([](QDialog* d) {
        static_cast<CPropertiesDlg*>(d)->manualRadio()->click();
        return QDialog::Accepted;
    });
    EXPECT_TRUE(CQueueConnection::Properties(queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), CQueueProperties::kNever);

    // Manual shows the default interval next time.
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CPropertiesDlg*>(d);
        EXPECT_TRUE(dlg->manualRadio()->isChecked());
        EXPECT_EQ(dlg->intervalEdit()->text(), "100");
        return QDialog::Rejected;
    });
    EXPECT_FALSE(CQueueConnection::Properties(queue));
    EXPECT_TRUE(modal.Exhausted());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueProperties, TheListsPropertiesCommandOpensTheDialogOnceAttached)
{
    CQueueConnection::Attach(queue);
    modal.AnswerDialog([](QDialog* d) {
        EXPECT_NE(dynamic_cast<CPropertiesDlg*>(d), nullptr);
        return QDialog::Rejected;
    });
    list().OnCommand(ID_JL_PROPERTIES);
    EXPECT_TRUE(modal.Exhausted());
    ASSERT_EQ(modal.Dialogs().size(), 1u);
    EXPECT_EQ(modal.Dialogs()[0], "CPropertiesDlg");
    // Commands of other parts of the control are not taken.
    EXPECT_FALSE(CQueueConnection::OnCommand(queue, ID_JL_NEW));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueProperties, ConnectFailsWithoutAskingWhenTheWorkerCannotRun)
{
    list().Worker().Stop([] { return true; });
    EXPECT_FALSE(CQueueConnection::Connect(list(), true));
    EXPECT_FALSE(CQueueConnection::Connect(list(), false));
    EXPECT_FALSE(CQueueConnection::Reconnect(list()));
    EXPECT_TRUE(modal.Dialogs().empty());
    EXPECT_EQ(modal.Unexpected(), 0);
}
