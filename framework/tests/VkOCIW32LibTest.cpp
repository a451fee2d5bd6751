// Binding given client libraries directly, and where the library is looked for.

#include "framework/VkOCIW32Lib.h"
#include "testsupport/TestRoot.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::vector<const void*> EntryPoints(const VkOracle::VkOCIW32Lib& lib)
{
    return {(void*)lib.opinit, (void*)lib.olog,   (void*)lib.ologof, (void*)lib.oopen,
            (void*)lib.oparse, (void*)lib.oclose, (void*)lib.ocom,   (void*)lib.odescr,
            (void*)lib.oerhms, (void*)lib.obndrv, (void*)lib.oexec,  (void*)lib.odefin,
            (void*)lib.ofen,   (void*)lib.onbtst, (void*)lib.onbset, (void*)lib.obreak};
}

TEST(VkOCIW32Lib, ResolvesWhatTheLibraryExports)
{
    const VkOracle::VkOCIW32Lib full(qvtest::LibPath("libfakeoci.so").string());
    ASSERT_TRUE(full.Loaded());
    for (const void* point : EntryPoints(full))
        EXPECT_NE(point, nullptr);

    const VkOracle::VkOCIW32Lib partial(qvtest::LibPath("libfakeoci_nonb.so").string());
    ASSERT_TRUE(partial.Loaded());
    const auto points = EntryPoints(partial);
    for (std::size_t i = 0; i < points.size(); ++i)
        EXPECT_EQ(points[i] == nullptr, i == 13 || i == 14) << i;

    const VkOracle::VkOCIW32Lib missing("/no/such/folder/libociw32.so");
    EXPECT_FALSE(missing.Loaded());
    for (const void* point : EntryPoints(missing))
        EXPECT_EQ(point, nullptr);
}

TEST(VkOCIW32Lib, LocatesTheOverrideThenBesideThisLibraryThenByName)
{
    setenv("QUORVANE_OCI_PATH", "/somewhere/libother.so", 1);
    EXPECT_EQ(VkOracle::VkOCIW32Lib::LocateLibrary(), "/somewhere/libother.so");
    unsetenv("QUORVANE_OCI_PATH");
    const std::filesystem::path beside = qvtest::LibPath("libTwGen.so").parent_path() / "libociw32.so";
    std::error_code error;
    if (std::filesystem::exists(beside, error))
        EXPECT_EQ(VkOracle::VkOCIW32Lib::LocateLibrary(), beside.string());
    else
        EXPECT_EQ(VkOracle::VkOCIW32Lib::LocateLibrary(), "libociw32.so");
}

} // namespace
