#pragma once
// What the benchmarks that drive the call interface share: text arguments,
// ending on a failed call with the server's message, and timing.

#include "ociw32/include/OciEntryPoints.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

// A string literal as the call interface's text argument.
inline text* BenchText(const char* s)
{
    return reinterpret_cast<text*>(const_cast<char*>(s));
}

// Says which call failed and the server's message, then ends the program.
[[noreturn]] inline void BenchOciDie(const VkOracle::OciEntryPoints& oci, cda_def* area, const char* what)
{
    char buf[512] = {};
    oci.oerhms(area, static_cast<sb2>(area->rc), reinterpret_cast<text*>(buf), sizeof buf);
    std::fprintf(stderr, "%s: %s: %s", program_invocation_short_name, what, buf);
    std::exit(1);
}

// Seconds since `since`.
inline double BenchSeconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}
