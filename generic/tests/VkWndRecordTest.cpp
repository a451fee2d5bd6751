#include "generic/VkWndRecord.h"

#include "platform/Archive.h"
#include "platform/ArchiveFile.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include <cstring>

namespace {

std::string Bytes(CMemFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<std::size_t>(file.GetLength()));
}

TEST(VkWndRecord, ThirteenLittleEndianIntegersInOrder)
{
    VkWndRecord r;
    r.state = 2;
    r.SetNormalRect(QRect(10, 20, 300, 200)); // right 310, bottom 220
    r.minX = -32000;
    r.minY = -32000;
    r.maxX = -1;
    r.maxY = -1;
    r.showCmd = SW_SHOWMINIMIZED;
    r.visible = 0;
    r.enabled = 1;
    r.flags = VK_WPF_SETMINPOSITION;

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        r.Write(ar);
    }
    const std::string bytes = Bytes(file);
    ASSERT_EQ(bytes.size(), 52u);
    const LONG expected[13] = {2, 10, 20, 310, 220, -32000, -32000, -1, -1, SW_SHOWMINIMIZED, 0, 1, 1};
    for (int i = 0; i < 13; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * i;
        const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
        EXPECT_EQ(static_cast<LONG>(v), expected[i]) << "field " << i + 1;
    }

    file.SeekToBegin();
    VkWndRecord back;
    {
        CArchive ar(&file, CArchive::load);
        back.Read(ar);
    }
    EXPECT_EQ(back.Fields(), r.Fields());
    EXPECT_EQ(back.NormalRect(), QRect(10, 20, 300, 200));
}

TEST(VkWndRecord, TruncatedRecordThrowsArchiveError)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << LONG(1) << LONG(2);
    }
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    VkWndRecord r;
    EXPECT_THROW(r.Read(ar), CArchiveException);
}

TEST(VkWndRecord, MdiChildRoundTripKeepsPlacementVisibilityAndEnabling)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();

    struct Case {
        QRect rect;
        bool maximized;
        bool enabled;
    };
    const Case cases[] = {{QRect(5, 6, 200, 150), false, true}, {QRect(40, 30, 320, 240), true, false}};
    for (const Case& k : cases) {
        auto* frame = area.addSubWindow(new QWidget);
        frame->show();
        frame->setGeometry(k.rect);
        frame->setProperty(kVkNormalGeometryProperty, k.rect);
        if (k.maximized)
            frame->showMaximized();
        frame->setEnabled(k.enabled);

        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            SerializeWnd(ar, frame, true);
        }
        EXPECT_EQ(file.GetLength(), 52u);

        auto* other = area.addSubWindow(new QWidget);
        other->show();
        other->setGeometry(1, 1, 90, 90);
        file.SeekToBegin();
        {
            CArchive ar(&file, CArchive::load);
            SerializeWnd(ar, other, true);
        }
        EXPECT_EQ(other->isMaximized(), k.maximized);
        EXPECT_EQ(other->isEnabled(), k.enabled);
        EXPECT_TRUE(other->isVisible());
        if (!k.maximized)
            EXPECT_EQ(other->geometry(), k.rect);
        else
            EXPECT_EQ(other->property(kVkNormalGeometryProperty).toRect(), k.rect);
        delete frame;
        delete other;
    }
}

TEST(VkWndRecord, StoredInvisibilityHidesUnlessShownNormally)
{
    QWidget window;
    VkWndRecord r = VkWndRecord::Capture(&window, true); // never shown
    EXPECT_EQ(r.visible, 0);
    EXPECT_EQ(r.showCmd, SW_HIDE);

    QWidget target;
    target.show();
    r.Apply(&target);
    EXPECT_FALSE(target.isVisible());

    r.showCmd = SW_SHOWNORMAL; // visibility 0 with the normal show command shows it
    r.Apply(&target);
    EXPECT_TRUE(target.isVisible());

    // Without recorded visibility a hidden window still counts as visible.
    EXPECT_EQ(VkWndRecord::Capture(&window, false).visible, 1);
}

} // namespace
