#pragma once
// Access to the stand-in client library the binding loaded in this process.

#include "framework/OCISession.h"
#include "framework/VkOCIW32Lib.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace fakeoci {

// A counter kept by the stand-in ("commits", "opinit_calls", ...).
inline int Stat(const char* name)
{
    const char* path = std::getenv("QUORVANE_OCI_PATH");
    void* handle = path ? dlopen(path, RTLD_NOW | RTLD_NOLOAD) : nullptr;
    if (!handle)
        return -1000;
    auto stat = reinterpret_cast<int (*)(const char*)>(dlsym(handle, "fakeoci_stat"));
    const int value = stat ? stat(name) : -1000;
    dlclose(handle);
    return value;
}

inline void FailNextOpinit(int count)
{
    void* handle = dlopen(std::getenv("QUORVANE_OCI_PATH"), RTLD_NOW | RTLD_NOLOAD);
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
