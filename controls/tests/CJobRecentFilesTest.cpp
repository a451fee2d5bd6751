// The remembered export and import names, read back through a store of
// their own as the next dialog would.

#include "controls/CJobRecentFiles.h"

#include "framework/TwRememberedUsers.h"
#include "generic/VkAppStore.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

namespace {

class JobRecentFiles : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    }
    static VkAppStore Store() { return VkAppStore(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey); }
};

TEST_F(JobRecentFiles, CurrentComesFirstNumberedOnFromNextId)
{
    std::string last = "unset";
    EXPECT_TRUE(CJobRecentFiles::Load(CJobRecentFiles::Export, &last).empty());
    EXPECT_EQ(last, "");

    CJobRecentFiles::Remember(CJobRecentFiles::Export, "/x/b.qvx", {"/x/a.qvx", "/x/b.qvx", ""});
    {
        VkAppStore store = Store();
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "0", ""), "/x/b.qvx");
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "1", ""), "/x/a.qvx");
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "2", "none"), "none");
        EXPECT_EQ(store.GetLong("Import_Export\\Recent", "Next ID", -1), 2);
        EXPECT_EQ(store.GetString("Import_Export", "Last Export", ""), "/x/b.qvx");
        EXPECT_EQ(store.GetString("Import_Export", "Last Import", "none"), "none");
    }

    // The import remembers its own last name; the old numbers are gone.
    CJobRecentFiles::Remember(CJobRecentFiles::Import, "/x/c.qvx", {"/x/b.qvx", "/x/a.qvx"});
    {
        VkAppStore store = Store();
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "0", "gone"), "gone");
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "1", "gone"), "gone");
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "2", ""), "/x/c.qvx");
        EXPECT_EQ(store.GetString("Import_Export\\Recent", "4", ""), "/x/a.qvx");
        EXPECT_EQ(store.GetLong("Import_Export\\Recent", "Next ID", -1), 5);
    }
    const std::vector<std::string> names = CJobRecentFiles::Load(CJobRecentFiles::Import, &last);
    EXPECT_EQ(names, (std::vector<std::string>{"/x/c.qvx", "/x/b.qvx", "/x/a.qvx"}));
    EXPECT_EQ(last, "/x/c.qvx");
    CJobRecentFiles::Load(CJobRecentFiles::Export, &last);
    EXPECT_EQ(last, "/x/b.qvx");
}

TEST_F(JobRecentFiles, TheCounterAndRepeatedNamesAreNotOffered)
{
    {
        VkAppStore store = Store();
        store.SetString("Import_Export\\Recent", "7", "/y/one.qvx");
        store.SetString("Import_Export\\Recent", "8", "/y/one.qvx");
        store.SetString("Import_Export\\Recent", "9", "/y/two.qvx");
        store.SetLong("Import_Export\\Recent", "Next ID", 10);
    }
    EXPECT_EQ(CJobRecentFiles::Load(CJobRecentFiles::Export),
              (std::vector<std::string>{"/y/one.qvx", "/y/two.qvx"}));
}

} // namespace
