// Binding given client libraries directly, where the library is looked for,
// and the process's binding made on first use.

#include "framework/OCISession.h"
#include "framework/VkOCIW32Lib.h"
#include "testsupport/OracleClient.h"
#include "testsupport/TestRoot.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

namespace {

using qvtest::ScopedOracleClient;

TEST(VkOCIW32Lib, ResolvesWhatTheLibraryExports)
{
    const VkOracle::VkOCIW32Lib full(qvtest::LibPath("libfakeoci.so").string());
    ASSERT_TRUE(full.Loaded());
    for (const void* point : full.Addresses())
        EXPECT_NE(point, nullptr);

    const VkOracle::VkOCIW32Lib partial(qvtest::LibPath("libfakeoci_nonb.so").string());
    ASSERT_TRUE(partial.Loaded());
    const auto points = partial.Addresses();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto name = VkOracle::OciEntryPointNames[i];
        EXPECT_EQ(points[i] == nullptr, name == "onbtst" || name == "onbset") << name;
    }

    const VkOracle::VkOCIW32Lib missing("/no/such/folder/libociw32.so");
    EXPECT_FALSE(missing.Loaded());
    for (const void* point : missing.Addresses())
        EXPECT_EQ(point, nullptr);
}

// The table's order is the binding's: the pointers line up with the names.
TEST(VkOCIW32Lib, EntryPointsLineUpWithTheirNames)
{
    const VkOracle::VkOCIW32Lib full(qvtest::LibPath("libfakeoci.so").string());
    ASSERT_TRUE(full.Loaded());
    const auto points = full.Addresses();
    std::set<const void*> distinct(points.begin(), points.end());
    EXPECT_EQ(distinct.size(), VkOracle::OciEntryPointCount);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string name(VkOracle::OciEntryPointNames[i]);
        EXPECT_EQ(points[i], full.Proc(name.c_str())) << name;
    }
    EXPECT_EQ(reinterpret_cast<const void*>(full.olog), full.Proc("olog"));
    EXPECT_EQ(reinterpret_cast<const void*>(full.obreak), full.Proc("obreak"));
}

TEST(VkOCIW32Lib, CopiesHoldTheirOwnReferenceAndTheSamePointers)
{
    VkOracle::VkOCIW32Lib original(qvtest::LibPath("libfakeoci_nonb.so").string());
    VkOracle::VkOCIW32Lib copy(original);
    EXPECT_TRUE(copy.Loaded());
    EXPECT_EQ(copy.Addresses(), original.Addresses());
    VkOracle::VkOCIW32Lib assigned("/no/such/folder/libociw32.so");
    assigned = original;
    EXPECT_TRUE(assigned.Loaded());
    EXPECT_EQ(assigned.Addresses(), original.Addresses());
    EXPECT_TRUE(copy.Unload());
    EXPECT_TRUE(original.Loaded());
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

// Loading the framework loads no client library: a run of this program that
// only lists its tests maps libTwGen and never libociw32.
TEST(OracleBinding, TheFrameworkLoadsWithoutTheClient)
{
    std::string trace;
    const int status = qvtest::RunCommand(
        "LD_DEBUG=files '" + qvtest::BinPath("framework_tests").string() + "' --gtest_list_tests", &trace, true);
    EXPECT_EQ(status, 0);
    const auto init = trace.find("calling init: ");
    ASSERT_NE(init, std::string::npos) << trace.substr(0, 2000);
    ASSERT_NE(trace.find("libTwGen.so", init), std::string::npos) << trace.substr(0, 2000);
    EXPECT_EQ(trace.find("libociw32"), std::string::npos);
}

// The process's binding is looked for when it is first used, not before:
// QUORVANE_OCI_PATH set after the framework loaded still counts.
TEST(OracleBinding, IsMadeOnFirstUseWithTheOverride)
{
    const std::string nonb = ScopedOracleClient::Built("libfakeoci_nonb.so");
    setenv("QUORVANE_OCI_PATH", nonb.c_str(), 1);
    VkOracle::RebindOracleClientForTests();
    EXPECT_TRUE(VkOracle::IsOracleAvailable());
    unsetenv("QUORVANE_OCI_PATH");
    const auto& lib = VkOracle::OCIW32();
    EXPECT_EQ(lib.Path(), nonb);
    EXPECT_EQ(lib.onbtst, nullptr);
    EXPECT_NE(lib.olog, nullptr);
    // Made once: unsetting the override changes nothing until a rebind.
    EXPECT_EQ(&VkOracle::OCIW32(), &lib);
    VkOracle::RebindOracleClientForTests();
    EXPECT_NE(VkOracle::OCIW32().Path(), nonb);
}

TEST(OracleBinding, AMissingLibraryStaysMissingForTheProcess)
{
    const qvtest::TempRoot folder;
    const std::filesystem::path later = folder.path() / "libociw32.so";
    ScopedOracleClient client(later.string());
    EXPECT_FALSE(VkOracle::IsOracleAvailable());
    for (const void* point : VkOracle::OCIW32().Addresses())
        EXPECT_EQ(point, nullptr);
    VkOracle::OCISession session(true);
    EXPECT_FALSE(VkOracle::OCISession::Initialised());
    session.SetUserName("scott/tiger@DEMO");
    EXPECT_FALSE(session.Connect());

    // A library installed while the process runs is not picked up: the
    // answer of the first use is final.
    std::filesystem::copy_file(qvtest::LibPath("libfakeoci.so"), later);
    EXPECT_FALSE(VkOracle::IsOracleAvailable());
    EXPECT_FALSE(VkOracle::OCISession(true).Connect());
    VkOracle::RebindOracleClientForTests(later.string());
    EXPECT_TRUE(VkOracle::IsOracleAvailable());
}

TEST(OracleBinding, ThreadsRacingToTheFirstUseShareOneBinding)
{
    ScopedOracleClient client(ScopedOracleClient::Built("libfakeoci.so"));
    constexpr int threads = 8;
    std::vector<const VkOracle::VkOCIW32Lib*> seen(threads, nullptr);
    std::vector<std::thread> racers;
    for (int t = 0; t < threads; ++t)
        racers.emplace_back([t, &seen] { seen[static_cast<std::size_t>(t)] = &VkOracle::OCIW32(); });
    for (auto& racer : racers)
        racer.join();
    for (const auto* binding : seen)
        EXPECT_EQ(binding, &VkOracle::OCIW32());
    EXPECT_TRUE(VkOracle::IsOracleAvailable());
}

// Initialisation follows the binding: a new binding is initialised anew.
TEST(OracleBinding, EachBindingIsInitialisedOnce)
{
    {
        ScopedOracleClient client(ScopedOracleClient::Built("libfakeoci.so"));
        EXPECT_FALSE(VkOracle::OCISession::Initialised());
        VkOracle::OCISession session(true);
        EXPECT_TRUE(VkOracle::OCISession::InitialisedThreaded());
    }
    ScopedOracleClient client(ScopedOracleClient::Built("libfakeoci.so"));
    EXPECT_FALSE(VkOracle::OCISession::Initialised());
    VkOracle::OCISession::Initialise(false);
    EXPECT_TRUE(VkOracle::OCISession::Initialised());
    EXPECT_FALSE(VkOracle::OCISession::InitialisedThreaded());
}

} // namespace
