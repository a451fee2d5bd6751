// The set-up script's registration step, run against this build.
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <string>

#ifndef QUORVANE_SOURCE_DIR
#error "QUORVANE_SOURCE_DIR must name the checkout"
#endif

namespace {

class RegisterModulesScript : public qvtest::FreshRootTest {};

bool ProgIdRegistered(const char* progId)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, (std::string(progId) + "\\CLSID").c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST_F(RegisterModulesScript, RegistersTheBuiltModulesIntoTheDataRoot)
{
    ASSERT_FALSE(ProgIdRegistered("VkReg.VkRegSource"));
    const std::string command = "bash '" QUORVANE_SOURCE_DIR "/scripts/register-modules.sh' '" +
                                qvtest::BuildDir().string() + "'";
    std::string out;
    ASSERT_EQ(qvtest::RunCommand(command, &out, true), 0) << out;
    EXPECT_TRUE(ProgIdRegistered("VkReg.VkRegSource")) << out;
    EXPECT_TRUE(ProgIdRegistered("VkReg.VkRegKey")) << out;
    // A second run changes nothing and still succeeds.
    ASSERT_EQ(qvtest::RunCommand(command, &out, true), 0) << out;
    EXPECT_TRUE(ProgIdRegistered("VkReg.VkRegValue"));
}

} // namespace
