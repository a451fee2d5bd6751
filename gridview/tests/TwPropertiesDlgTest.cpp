// The properties dialog: what it shows for given settings and what it gives
// back, and the grid view applying it through the modal service.

#include "generic/VkModalScript.h"
#include "gridview/TwGridViewReal.h"
#include "gridview/TwPropertiesDlg.h"
#include "gridview/TwQuillGrid.h"
#include "gridview/TwQuillGridStatusCtrl.h"
#include "gridview/TwQuillGridWorker.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

template <typename T>
T* Find(QDialog* dialog, const char* name)
{
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

TEST(PropertiesDlg, ShowsAndGivesBackTheSettings)
{
    struct Case {
        DWORD interval;
        LONG rows;
        bool manual;
        int timeoutShown;
        bool limited;
        int rowsShown;
    };
    const Case cases[] = {
        {TwGridProperties::kManualRefresh, -1, true, 100, false, 1000},
        {30, 50, false, 30, true, 50},
        {5, 0, false, 5, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        TwGridProperties in;
        in.refreshInterval = c.interval;
        in.maximumRows = c.rows;
        in.title = "Orders";
        in.showStatusBar = false;
        TwPropertiesDlg dialog(in);
        EXPECT_EQ(dialog.windowTitle(), "Properties");
        EXPECT_EQ(Find<QRadioButton>(&dialog, "manual")->isChecked(), c.manual);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "timeout")->value(), c.timeoutShown);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "timeout")->isEnabled(), !c.manual);
        EXPECT_EQ(Find<QCheckBox>(&dialog, "limit")->isChecked(), c.limited);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "maxRows")->value(), c.rowsShown);
        EXPECT_EQ(Find<QSpinBox>(&dialog, "maxRows")->isEnabled(), c.limited);
        const TwGridProperties out = dialog.Properties();
        EXPECT_EQ(out.refreshInterval, c.interval);
        EXPECT_EQ(out.maximumRows, c.rows);
        EXPECT_EQ(out.title, "Orders");
        EXPECT_FALSE(out.showStatusBar);
    }
}

TEST(PropertiesDlg, GridViewAppliesAnAcceptedDialogOnly)
{
    VkModalScript script;
    TwGridViewReal view;
    QSignalSpy titles(&view, &TwGridViewReal::titleChanged);
    script.AnswerDialog([](QDialog* dialog) {
        Find<QRadioButton>(dialog, "fixed")->setChecked(true);
        Find<QSpinBox>(dialog, "timeout")->setValue(15);
        Find<QCheckBox>(dialog, "limit")->setChecked(true);
        Find<QSpinBox>(dialog, "maxRows")->setValue(250);
        Find<QLineEdit>(dialog, "title")->setText("Audit");
        Find<QCheckBox>(dialog, "showStatus")->setChecked(false);
        return static_cast<int>(QDialog::Accepted);
    });
    EXPECT_TRUE(view.Interactive_Properties());
    EXPECT_EQ(view.Worker().RefreshInterval(), 15u);
    EXPECT_EQ(view.Worker().MaximumRows(), 250);
    EXPECT_EQ(view.Title(), "Audit");
    EXPECT_EQ(titles.count(), 1);
    EXPECT_TRUE(view.Grid()->StatusCtrl()->isHidden());

    script.AnswerDialog([](QDialog* dialog) {
        Find<QRadioButton>(dialog, "manual")->setChecked(true);
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(view.Interactive_Properties());
    EXPECT_EQ(view.Worker().RefreshInterval(), 15u);
    EXPECT_EQ(script.Unexpected(), 0);
    EXPECT_TRUE(script.Exhausted());
}

} // namespace
