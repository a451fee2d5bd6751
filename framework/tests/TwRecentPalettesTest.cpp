// The Recent palettes list: newest first, four at most, no duplicates, no
// deleted files, written back to the store.

#include "framework/TwRecentPalettes.h"
#include "framework/TwSettings.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class TwRecentPalettesTest : public qvtest::FreshRootTest {
protected:
    QString Make(const char* name)
    {
        const auto path = root() / name;
        std::ofstream(path) << "x";
        return QString::fromStdString(path.string());
    }
    std::vector<QString> Paths(const std::vector<TwRecentPalette>& list)
    {
        std::vector<QString> paths;
        for (const TwRecentPalette& e : list)
            paths.push_back(e.path);
        return paths;
    }
    std::string Value(int n) { return store.GetString("Recent Palettes", ("Palette" + std::to_string(n)).c_str(), "?"); }

    TwMemorySettings store;
};

TEST_F(TwRecentPalettesTest, NewestFirstFourAtMostEachOnce)
{
    const QString a = Make("a.qvp"), b = Make("b.qvp"), c = Make("c.qvp"), d = Make("d.qvp"), e = Make("e.qvp");
    EXPECT_TRUE(TwRecentPalettes::Update(store, {}, {}).empty());
    TwRecentPalettes::Update(store, a, "A");
    TwRecentPalettes::Update(store, b, "B");
    // The same palette twice: one entry, at the top.
    auto list = TwRecentPalettes::Update(store, b, "B");
    EXPECT_EQ(Paths(list), (std::vector<QString>{b, a}));
    TwRecentPalettes::Update(store, c, "C");
    TwRecentPalettes::Update(store, d, "D");
    // The fifth pushes the oldest out.
    list = TwRecentPalettes::Update(store, e, "E");
    EXPECT_EQ(Paths(list), (std::vector<QString>{e, d, c, b}));
    EXPECT_EQ(Value(1), (e + "|E").toStdString());
    EXPECT_EQ(Value(4), (b + "|B").toStdString());
    EXPECT_GE(store.Updates(), 1); // flushed

    // Reopening an older one moves it up without losing the others.
    list = TwRecentPalettes::Update(store, c, "C");
    EXPECT_EQ(Paths(list), (std::vector<QString>{c, e, d, b}));
    EXPECT_EQ(list[0].title, "C");
    EXPECT_EQ(TwRecentPalettes::MenuText(1, list[0]), "&1 C (" + c + ")");
}

TEST_F(TwRecentPalettesTest, DeletedFilesAndEmptyValuesAreDroppedForGood)
{
    const QString a = Make("a.qvp"), b = Make("b.qvp"), c = Make("c.qvp");
    TwRecentPalettes::Update(store, a, "A");
    TwRecentPalettes::Update(store, b, "B");
    TwRecentPalettes::Update(store, c, "C");
    std::filesystem::remove(b.toStdString());
    auto list = TwRecentPalettes::Update(store, {}, {});
    EXPECT_EQ(Paths(list), (std::vector<QString>{c, a}));
    // The value beyond the list is cleared, so the list cannot grow back.
    EXPECT_EQ(Value(3), "");
    Make("b.qvp");
    EXPECT_EQ(Paths(TwRecentPalettes::Update(store, {}, {})), (std::vector<QString>{c, a}));

    // A value without a title or without a path.
    store.SetString("Recent Palettes", "Palette3", a.toStdString());
    store.SetString("Recent Palettes", "Palette4", "|lonely");
    list = TwRecentPalettes::Update(store, {}, {});
    EXPECT_EQ(Paths(list), (std::vector<QString>{c, a}));

    std::filesystem::remove(a.toStdString());
    std::filesystem::remove(c.toStdString());
    EXPECT_TRUE(TwRecentPalettes::Update(store, {}, {}).empty());
    EXPECT_EQ(Value(1), "");
}

} // namespace
