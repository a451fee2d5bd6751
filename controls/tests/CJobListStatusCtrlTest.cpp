// The status bar under the job list, its timers stepped by hand.

#include "controls/CJobListStatusCtrl.h"
#include "generic/VkDateFormat.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>

namespace {

CJobStatusRecord Status(const char* text, LONG image, LONG frames, bool animate, bool bounce, const char* tip = "")
{
    CJobStatusRecord status;
    status.m_text = text;
    status.m_image = image;
    status.m_frames = frames;
    status.m_animate = animate;
    status.m_bounce = bounce;
    status.m_tip = tip;
    return status;
}

std::vector<int> Frames(CJobListStatusCtrl& bar, int steps)
{
    std::vector<int> shown;
    for (int i = 0; i < steps; ++i) {
        shown.push_back(bar.FrameIndex());
        bar.AnimationStep();
    }
    return shown;
}

TEST(JobListStatusCtrl, StartsBlankWithFixedTips)
{
    CJobListStatusCtrl bar;
    for (auto pane : {CJobListStatusCtrl::PaneVersion, CJobListStatusCtrl::PaneTime})
        EXPECT_TRUE(bar.PaneTextOf(pane).isEmpty());
    EXPECT_EQ(bar.PaneTipOf(CJobListStatusCtrl::PaneVersion), "Oracle(tm) version at the host.");
    EXPECT_EQ(bar.PaneTipOf(CJobListStatusCtrl::PaneTime), "Estimated time at the host.");
    EXPECT_EQ(bar.PaneWidth(CJobListStatusCtrl::PaneImage), 100);
    EXPECT_FALSE(bar.Animating());
}

TEST(JobListStatusCtrl, AnimationsBounceOrWrapAndStillImagesStopThem)
{
    CJobListStatusCtrl bar;
    bar.ApplyStatus(Status("Connecting (host is \"DEMO\")", IDB_TW_CONNECTING, 5, true, true));
    EXPECT_TRUE(bar.Animating());
    EXPECT_EQ(bar.FrameCount(), 5);
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneText), "Connecting (host is \"DEMO\")");
    EXPECT_EQ(bar.PaneTipOf(CJobListStatusCtrl::PaneText), "Connecting (host is \"DEMO\")");
    EXPECT_EQ(Frames(bar, 11), (std::vector<int>{0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2}));
    const int frameWidth = CJobListStatusCtrl::StatusImage(IDB_TW_CONNECTING, 5).width() / 5;
    EXPECT_LT(bar.PaneWidth(CJobListStatusCtrl::PaneImage), 100);
    EXPECT_GE(bar.PaneWidth(CJobListStatusCtrl::PaneImage), frameWidth);

    bar.ApplyStatus(Status("Connected", IDB_TW_DONE, 1, false, false, "Connected"));
    EXPECT_FALSE(bar.Animating());
    EXPECT_EQ(bar.Image(), IDB_TW_DONE);
    EXPECT_EQ(bar.FrameCount(), 1);
    EXPECT_EQ(bar.PaneTipOf(CJobListStatusCtrl::PaneImage), "Connected");

    bar.ApplyStatus(Status("Retrieving Job Queue information", IDB_TW_BUSY, 4, true, false));
    EXPECT_TRUE(bar.Animating());
    EXPECT_EQ(Frames(bar, 9), (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3, 0}));
    // Only the logon result leaves a tip on the image.
    EXPECT_EQ(bar.PaneTipOf(CJobListStatusCtrl::PaneImage), "");

    // Progress keeps the image and its animation.
    bar.ApplyStatus(Status("Retrieved 100 jobs", IDB_TW_KEEP, 1, false, false));
    EXPECT_TRUE(bar.Animating());
    EXPECT_EQ(bar.Image(), IDB_TW_BUSY);
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneText), "Retrieved 100 jobs");

    bar.ApplyStatus(Status("Retrieved 120 jobs", IDB_TW_DONE, 1, false, false));
    EXPECT_FALSE(bar.Animating());
    EXPECT_EQ(bar.Image(), IDB_TW_DONE);
}

TEST(JobListStatusCtrl, VersionAndEstimatedServerTime)
{
    CJobListStatusCtrl bar;
    bar.SetVersion("10.2.0.1.0");
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneVersion), "Ver: 10.2.0.1.0  ");

    double local = 0, server = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({2027, 3, 5, 12, 0, 0}, local));
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({2027, 3, 5, 10, 30, 0}, server));
    bar.Tick(local);
    EXPECT_TRUE(bar.PaneTextOf(CJobListStatusCtrl::PaneTime).isEmpty()); // not known yet
    bar.SetServerTime(server, local);
    EXPECT_TRUE(bar.ServerTimeKnown());
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneTime),
              QString::fromStdString(VkDateFormat::FormatDateToTimeFormat(server)) + "  ");
    // Ten minutes later on the local clock, ten minutes later at the host.
    const double later = local + 10.0 / 1440;
    bar.Tick(later);
    double expected = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({2027, 3, 5, 10, 40, 0}, expected));
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneTime),
              QString::fromStdString(VkDateFormat::FormatDateToTimeFormat(expected)) + "  ");
}

TEST(JobListStatusCtrl, DoubleClickOnTheImageAsksToReconnect)
{
    CJobListStatusCtrl bar;
    bar.resize(500, CJobListStatusCtrl::kHeight);
    QSignalSpy spy(&bar, &CJobListStatusCtrl::reconnectRequested);
    auto labels = bar.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 4);
    QLabel* text = labels[CJobListStatusCtrl::PaneText];
    QLabel* image = labels[CJobListStatusCtrl::PaneImage];
    const QPointF at(2, 2);
    QMouseEvent onText(QEvent::MouseButtonDblClick, at, text->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QCoreApplication::sendEvent(text, &onText);
    EXPECT_EQ(spy.count(), 0);
    QMouseEvent onImage(QEvent::MouseButtonDblClick, at, image->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(image, &onImage);
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
