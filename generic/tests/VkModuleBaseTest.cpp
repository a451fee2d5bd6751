#include "generic/VkModuleBase.h"

#include <gtest/gtest.h>

namespace {

// The C maths library is on every machine that runs these tests.
constexpr const char* s_library = "libm.so.6";

TEST(VkModuleBase, LoadsByNameAndResolvesEntryPoints)
{
    VkModuleBase module(s_library, false);
    EXPECT_FALSE(module.Loaded());
    EXPECT_EQ(module.Proc("cos"), nullptr);
    EXPECT_TRUE(module.Load());
    EXPECT_TRUE(module.Load());
    ASSERT_TRUE(module.Loaded());
    auto cosine = reinterpret_cast<double (*)(double)>(module.Proc("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(module.Proc("no_such_entry_point"), nullptr);
    EXPECT_EQ(module.Proc(nullptr), nullptr);
    EXPECT_TRUE(module.Unload());
    EXPECT_FALSE(module.Loaded());
    EXPECT_FALSE(module.Unload());
}

TEST(VkModuleBase, MissingFilesDoNotLoad)
{
    for (const char* file : {"libno-such-library.so", "/no/such/folder/libm.so.6", ""}) {
        VkModuleBase module(file, true);
        EXPECT_FALSE(module.Loaded()) << file;
        EXPECT_FALSE(VkModuleBase::CanLoad(file)) << file;
    }
    EXPECT_TRUE(VkModuleBase::CanLoad(s_library));
}

TEST(VkModuleBase, CopiesHoldTheirOwnReference)
{
    VkModuleBase module(s_library, true);
    ASSERT_TRUE(module.Loaded());
    {
        VkModuleBase copy(module);
        EXPECT_TRUE(copy.Loaded());
        VkModuleBase assigned("libno-such-library.so", false);
        assigned = module;
        EXPECT_EQ(assigned.FileName(), s_library);
        EXPECT_NE(assigned.Proc("sin"), nullptr);
    }
    // The copies' unloading left the original's module in place.
    auto sine = reinterpret_cast<double (*)(double)>(module.Proc("sin"));
    ASSERT_NE(sine, nullptr);
    EXPECT_DOUBLE_EQ(sine(0.0), 0.0);
}

} // namespace
