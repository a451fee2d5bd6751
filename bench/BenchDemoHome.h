#pragma once
// What the benchmarks share: a data root of their own, the demo databases
// in it, and the client library loaded by name as the program loads it.

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh data root under /tmp, made QUORVANE_ROOT; empty on failure.
inline std::filesystem::path BenchMakeRoot()
{
    char rootTemplate[] = "/tmp/qvbench-XXXXXX";
    if (!mkdtemp(rootTemplate)) {
        std::perror("mkdtemp");
        return {};
    }
    setenv("QUORVANE_ROOT", rootTemplate, 1);
    return rootTemplate;
}

// The folder of this program (the build's bin/).
inline std::filesystem::path BenchBinFolder()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path();
}

// `oradmin demo` into the current root; false (said on stderr) on failure.
inline bool BenchProvisionDemo(const char* bench)
{
    const std::string provision = (BenchBinFolder() / "oradmin").string() + " demo >/dev/null";
    if (std::system(provision.c_str()) == 0)
        return true;
    std::fprintf(stderr, "%s: oradmin demo failed\n", bench);
    return false;
}

// libociw32 loaded by name; null (said on stderr) when it cannot be.
inline void* BenchLoadClient(const char* bench)
{
    void* lib = dlopen("libociw32.so", RTLD_NOW);
    if (!lib) // the sanitizers' dlopen does not search this program's run path
        lib = dlopen((BenchBinFolder().parent_path() / "lib" / "libociw32.so").c_str(), RTLD_NOW);
    if (!lib)
        std::fprintf(stderr, "%s: %s\n", bench, dlerror());
    return lib;
}
