// The status image pane: single pictures, wrapping and bouncing animations,
// and status records that keep the image.

#include "framework/TwStatusArt.h"
#include "framework/TwStatusImagePane.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Frames(TwStatusImagePane& pane, int steps)
{
    std::vector<int> seen{pane.FrameIndex()};
    for (int i = 0; i < steps; ++i) {
        pane.Step();
        seen.push_back(pane.FrameIndex());
    }
    return seen;
}

TEST(TwStatusImagePane, AnimationsWrapOrBounceAndStillImagesStandStill)
{
    TwStatusImagePane pane;
    pane.SetImage(IDB_TW_BUSY, 4, true, false);
    EXPECT_EQ(pane.Image(), IDB_TW_BUSY);
    EXPECT_EQ(pane.FrameCount(), 4);
    EXPECT_TRUE(pane.Animating());
    EXPECT_EQ(Frames(pane, 5), (std::vector<int>{0, 1, 2, 3, 0, 1}));
    ASSERT_FALSE(pane.pixmap().isNull());
    EXPECT_EQ(pane.pixmap().width(), TwStatusArt::kSize);

    pane.SetImage(IDB_TW_CONNECTING, 5, true, true);
    EXPECT_EQ(Frames(pane, 9), (std::vector<int>{0, 1, 2, 3, 4, 3, 2, 1, 0, 1}));

    // Frames without animation show the first picture only.
    pane.SetImage(IDB_TW_DONE, 4, false);
    EXPECT_EQ(pane.FrameCount(), 1);
    EXPECT_FALSE(pane.Animating());
    EXPECT_EQ(Frames(pane, 2), (std::vector<int>{0, 0, 0}));
}

TEST(TwStatusImagePane, ARecordThatKeepsTheImageChangesNothing)
{
    TwStatusImagePane pane;
    TwStatusRecord busy;
    busy.m_image = IDB_TW_BUSY;
    busy.m_frames = 4;
    busy.m_animate = true;
    busy.m_tip = "working";
    pane.Apply(busy);
    pane.Step();
    TwStatusRecord keep;
    keep.m_text = "Retrieved 20 rows";
    pane.Apply(keep);
    EXPECT_EQ(pane.Image(), IDB_TW_BUSY);
    EXPECT_EQ(pane.FrameIndex(), 1);
    EXPECT_TRUE(pane.Animating());
    EXPECT_EQ(pane.toolTip(), "working");

    TwStatusRecord done;
    done.m_image = IDB_TW_DONE;
    pane.Apply(done);
    EXPECT_EQ(pane.Image(), IDB_TW_DONE);
    EXPECT_FALSE(pane.Animating());
}

} // namespace
