#pragma once
// The stand-in client library bound for each test, and access to its counters.

#include "framework/OCISession.h"
#include "framework/VkOCIW32Lib.h"
#include "testsupport/OracleClient.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace fakeoci {

// Each test binds the stand-in with all 16 entry points, or the one without
// onbtst and onbset.
class FakeOciTest : public ::testing::Test {
protected:
    static constexpr const char* Full = "libfakeoci.so";
    static constexpr const char* WithoutNonBlocking = "libfakeoci_nonb.so";
    explicit FakeOciTest(const char* library = Full) : m_client(qvtest::ScopedOracleClient::Built(library)) {}

private:
    qvtest::ScopedOracleClient m_client;
};

// The stand-in the binding loaded, already mapped; null when it is not.
inline void* BoundLibrary()
{
    return dlopen(VkOracle::OCIW32().Path().c_str(), RTLD_NOW | RTLD_NOLOAD);
}

// A counter kept by the stand-in ("commits", "opinit_calls", ...); the
// stand-in lives as long as the process, so counters only ever grow.
inline int Stat(const char* name)
{
    void* handle = BoundLibrary();
    if (!handle)
        return -1000;
    auto stat = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "fakeoci_stat"));
    const int value = stat ? stat(name) : -1000;
    dlclose(handle);
    return value;
}

inline void FailNextOpinit(int count)
{
    void* handle = BoundLibrary();
    ASSERT_NE(handle, nullptr);
    auto fail = reinterpret_cast<void (*)(int)>(dlsym(handle, "fakeoci_fail_opinit"));
    ASSERT_NE(fail, nullptr);
    fail(count);
    dlclose(handle);
}

// A session logged on as SCOTT/TIGER to the given database.
inline std::unique_ptr<VkOracle::OCISession> Logon(const char* database = "DEMO")
{
    auto session = std::make_unique<VkOracle::OCISession>(true);
    session->SetUserName("scott");
    session->SetPassword("tiger");
    session->SetDatabase(database);
    EXPECT_TRUE(session->Connect()) << session->Error();
    return session;
}

} // namespace fakeoci
