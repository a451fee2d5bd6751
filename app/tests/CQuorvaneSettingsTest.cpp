#include "app/CQuorvaneApp.h"
#include "framework/TwCommandIds.h"
#include "framework/TwMainFrame.h"
#include "framework/TwPalette.h"
#include "generic/VkAppStore.h"
#include "generic/VkCommandActions.h"
#include "generic/VkModalScript.h"
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <string>

namespace {

// The raw text of a string value in the program's branch; empty when
// missing or not a string.
std::string RegistryText(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tarnwick\\Quorvane", KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    const LONG rc = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return {};
    return std::string(data, strnlen(data, size));
}

class CQuorvaneSettingsTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    }
    VkModalScript unexpected;
};

TEST_F(CQuorvaneSettingsTest, ClosingWritesTheFrameAndPaletteSettingsToTheRegistry)
{
    QRect normal;
    QString palettePath;
    {
        CQuorvaneApp app;
        ASSERT_TRUE(app.InitInstance({"-nologo"}));
        TwMainFrame* frame = app.MainFrame();
        EXPECT_TRUE(frame->isMaximized()); // first start
        frame->showNormal();
        frame->setGeometry(50, 60, 700, 500);
        app.Actions()->Execute(ID_WINDOW_AUTOTILE);
        normal = frame->NormalRect();
        palettePath = app.CurrentPalette()->Path();
        EXPECT_TRUE(frame->close());
        app.ExitInstance();
    }
    const std::string dims = std::to_string(normal.left()) + "," + std::to_string(normal.top()) + "," +
                             std::to_string(normal.left() + normal.width()) + "," +
                             std::to_string(normal.top() + normal.height());
    EXPECT_EQ(RegistryText("AppDims"), dims);
    EXPECT_EQ(RegistryText("Maximized"), "0");
    EXPECT_EQ(RegistryText("AutoTile"), "-1");
    // The palette was never written: no start may look for its file.
    EXPECT_EQ(RegistryText("Last Palette"), "");
    EXPECT_FALSE(QFileInfo(palettePath).exists());
    EXPECT_EQ(RegistryText("Auto Load Palette"), "-1");
    EXPECT_EQ(RegistryText("Auto Save Palette"), "-1");

    // The same values through the store, as the next start reads them.
    VkAppStore store("Tarnwick", "Quorvane");
    ASSERT_TRUE(store.IsOpen());
    const RECT r = store.GetRect(nullptr, "AppDims", nullptr);
    EXPECT_EQ(r.right - r.left, normal.width());
    EXPECT_FALSE(store.GetBool(nullptr, "Maximized", true));
    store.Close(true);

    // The next start: placement restored, not maximized, auto tile on.
    CQuorvaneApp again;
    ASSERT_TRUE(again.InitInstance({"-nologo"}));
    EXPECT_FALSE(again.MainFrame()->isMaximized());
    EXPECT_EQ(again.MainFrame()->geometry().size(), normal.size());
    EXPECT_TRUE(again.MainFrame()->AutoTile());
    // The palette was never saved, so the start asks for a new one.
    EXPECT_TRUE(again.StartWithNewPalette());
    EXPECT_EQ(unexpected.Unexpected(), 0);
}

} // namespace
