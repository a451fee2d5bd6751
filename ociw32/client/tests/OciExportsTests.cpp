// The client library exports exactly the entry points of the one list
// (OciEntryPoints.h): its linker script names them, and the built library
// answers each by name.

#include "ociw32/include/OciEntryPoints.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The names of the "global:" part of a version script, in order.
std::vector<std::string> GlobalNames(const std::string& script)
{
    const auto global = script.find("global:");
    const auto local = script.find("local:");
    if (global == std::string::npos || local == std::string::npos || local < global)
        return {};
    const std::string part = script.substr(global + 7, local - global - 7);
    std::vector<std::string> names;
    const std::regex name(R"(([A-Za-z_][A-Za-z0-9_]*)\s*;)");
    for (std::sregex_iterator it(part.begin(), part.end(), name), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

TEST(OciExports, TheLinkerScriptListsTheEntryPointsAndHidesTheRest)
{
    std::ifstream file(QV_OCI_EXPORTS_MAP);
    ASSERT_TRUE(file) << QV_OCI_EXPORTS_MAP;
    std::stringstream text;
    text << file.rdbuf();
    const std::vector<std::string> expected(VkOracle::OciEntryPointNames.begin(),
                                            VkOracle::OciEntryPointNames.end());
    EXPECT_EQ(GlobalNames(text.str()), expected);
    EXPECT_NE(text.str().find("local:\n    *;"), std::string::npos);
}

TEST(OciExports, TheBuiltLibraryAnswersEveryNameOfTheList)
{
    void* library = dlopen(qvtest::LibPath("libociw32.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    VkOracle::OciEntryPoints points;
    points.Resolve([library](const char* name) { return dlsym(library, name); });
    for (std::size_t i = 0; i < VkOracle::OciEntryPointCount; ++i)
        EXPECT_NE(points.Addresses()[i], nullptr) << VkOracle::OciEntryPointNames[i];
    dlclose(library);
}

// The linked-in call interface provides every name of the list with the
// prototype oci7.h gives (this would not compile otherwise).
TEST(OciExports, TheCallInterfaceDefinesTheWholeList)
{
    VkOracle::OciEntryPoints linked;
#define QV_OCI_LINKED(name) linked.name = &::name;
    QV_OCI_ENTRY_POINTS(QV_OCI_LINKED)
#undef QV_OCI_LINKED
    for (const void* point : linked.Addresses())
        EXPECT_NE(point, nullptr);
}

} // namespace
