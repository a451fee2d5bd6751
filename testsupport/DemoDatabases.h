#pragma once
// The demo databases for tests: every test that uses them gets a data root
// of its own with a freshly provisioned demo home ("oradmin demo"), so that
// what one test changes on the server never reaches another, whatever the
// order and however many tests share a process.

#include "testsupport/TestRoot.h"

#include <string>

namespace qvtest {

// Runs the build's oradmin with arguments in the current data root; its
// exit status, its output (standard error too) in output when given.
int Oradmin(const std::string& arguments, std::string* output = nullptr);

// Provisions the demo home into the current data root; true on success.
bool ProvisionDemo(std::string* output = nullptr);

// A fresh data root with the demo databases in it, for as long as it lives.
class DemoRoot {
public:
    DemoRoot();
    DemoRoot(const DemoRoot&) = delete;
    DemoRoot& operator=(const DemoRoot&) = delete;

    bool Provisioned() const { return m_provisioned; }
    const std::string& Output() const { return m_output; }
    const std::filesystem::path& path() const { return m_root.path(); }

private:
    TempRoot m_root;
    std::string m_output;
    bool m_provisioned = false;
};

// Fixture base: a demo root made before and removed after every member of
// the derived fixture; a test whose root cannot be provisioned fails.
// Derived SetUp() overrides call this first and return on a fatal failure.
class DemoDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_demo.Provisioned()) << "the demo databases could not be provisioned:\n" << m_demo.Output();
    }
    const std::filesystem::path& root() const { return m_demo.path(); }

private:
    DemoRoot m_demo;
};

} // namespace qvtest
