#pragma once
// Binds the process's Oracle client library for one test: a stand-in, or a
// file that does not exist to run without a client. When the test ends the
// next use finds the library the ordinary way again. Only for test programs
// that link TwGen; no session may be in use while the binding changes.

#include "framework/VkOCIW32Lib.h"
#include "testsupport/TestRoot.h"

#include <string>

namespace qvtest {

class ScopedOracleClient {
public:
    explicit ScopedOracleClient(const std::string& file) { VkOracle::RebindOracleClientForTests(file); }
    ~ScopedOracleClient() { VkOracle::RebindOracleClientForTests(); }
    ScopedOracleClient(const ScopedOracleClient&) = delete;
    ScopedOracleClient& operator=(const ScopedOracleClient&) = delete;

    // A client library that cannot be loaded.
    static std::string Missing() { return (BuildDir() / "no-such-folder" / "libociw32.so").string(); }
    // A library of the build (lib/), such as the stand-in libfakeoci.so.
    static std::string Built(const std::string& library) { return LibPath(library).string(); }
};

} // namespace qvtest
