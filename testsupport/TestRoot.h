#pragma once
// A throw-away data root for tests. Every test process starts on a fresh
// one (see TestMain.cpp); a test that needs isolation from other tests in the
// same process derives its fixture from qvtest::FreshRootTest.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qvtest {

// Creates an empty temporary folder and points QUORVANE_ROOT at it; the
// previous value is restored and the folder removed on destruction.
class TempRoot {
public:
    TempRoot();
    ~TempRoot();
    TempRoot(const TempRoot&) = delete;
    TempRoot& operator=(const TempRoot&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Fixture giving each test its own data root.
class FreshRootTest : public ::testing::Test {
protected:
    void SetUp() override { m_root = std::make_unique<TempRoot>(); }
    void TearDown() override { m_root.reset(); }
    const std::filesystem::path& root() const { return m_root->path(); }

private:
    std::unique_ptr<TempRoot> m_root;
};

// The build tree the tests run from (bin/ and lib/ below it).
std::filesystem::path BuildDir();
std::filesystem::path BinPath(const std::string& program);
std::filesystem::path LibPath(const std::string& library);

// Registers the build's in-process server module (lib/<module>.so) in the
// current data root through regsvr; true on success.
bool RegisterModule(const std::string& module);

// Runs a command line through the shell; returns its exit status and
// collects standard output (and standard error when asked).
int RunCommand(const std::string& command, std::string* output = nullptr, bool withStderr = false);

} // namespace qvtest
