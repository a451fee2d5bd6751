#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <filesystem>
#include <string>

namespace {

class Regsvr : public qvtest::FreshRootTest {
protected:
    int Run(const std::string& args, std::string* out = nullptr)
    {
        std::string sink;
        if (out)
            out->clear();
        return qvtest::RunCommand(qvtest::BinPath("regsvr").string() + " " + args, out ? out : &sink, true);
    }
    static std::string Q(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

    static bool ClassRegistered()
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID\\{6E1F1A20-3B52-4C1D-9A11-510B7C2D4401}\\InprocServer32", KEY_READ,
                         &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    const std::filesystem::path m_module = qvtest::LibPath("VkTestModule.so");
};

TEST_F(Regsvr, RegistersAndUnregistersAModule)
{
    std::string out;
    ASSERT_EQ(Run(Q(m_module), &out), 0) << out;
    EXPECT_NE(out.find("DllRegisterServer"), std::string::npos) << out;
    EXPECT_TRUE(ClassRegistered());
    // Registering again is harmless.
    ASSERT_EQ(Run("/s " + Q(m_module), &out), 0) << out;
    EXPECT_EQ(out, "") << "silent";

    ASSERT_EQ(Run("/u " + Q(m_module), &out), 0) << out;
    EXPECT_NE(out.find("DllUnregisterServer"), std::string::npos) << out;
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(Run("-u " + Q(m_module)), 0) << "nothing left to remove is no failure";
}

TEST_F(Regsvr, FailuresExitNonZeroWithAMessage)
{
    struct Case {
        std::string args;
        int status;
        const char* says;
    } cases[] = {
        {"", 1, "usage"},
        {"/x " + Q(m_module), 1, "usage"},
        {Q(m_module) + " " + Q(m_module), 1, "usage"},
        {Q(root() / "missing.so"), 3, "missing.so"},
        {Q(qvtest::LibPath("libVkPlatform.so")), 4, "DllRegisterServer"},
        {"/u " + Q(qvtest::LibPath("libVkPlatform.so")), 4, "DllUnregisterServer"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Run(c.args, &out), c.status) << c.args << ": " << out;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
    }
    EXPECT_FALSE(ClassRegistered());
}

} // namespace
