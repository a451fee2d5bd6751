#pragma once
// The process-wide binding of the Oracle client library: loaded once, by
// name, when this library is initialised, and never linked. Without the
// client library every module still runs; only connecting fails.

#include "generic/VkModuleBase.h"
#include "ociw32/include/oci7.h"

namespace VkOracle {

class VkOCIW32Lib : public VkModuleBase {
public:
    // The logical name of the client library, used in messages.
    static constexpr const char* LogicalName = "OCIW32.DLL";
    // Its file name on this platform.
    static constexpr const char* FileName = "libociw32.so";

    // Loads the library found by LocateLibrary() and resolves the entry
    // points; a name the library lacks leaves its pointer null.
    VkOCIW32Lib();
    // Loads the given file (tests bind other libraries this way).
    explicit VkOCIW32Lib(const std::string& file);
    VkOCIW32Lib(const VkOCIW32Lib& other);
    VkOCIW32Lib& operator=(const VkOCIW32Lib& other);

    // Where the library is looked for: $QUORVANE_OCI_PATH when set (and
    // then nothing else), else the file beside this library when there is
    // one, else the bare file name for the platform's standard search.
    static std::string LocateLibrary();

    decltype(&::opinit) opinit = nullptr;
    decltype(&::olog) olog = nullptr;
    decltype(&::ologof) ologof = nullptr;
    decltype(&::oopen) oopen = nullptr;
    decltype(&::oparse) oparse = nullptr;
    decltype(&::oclose) oclose = nullptr;
    decltype(&::ocom) ocom = nullptr;
    decltype(&::odescr) odescr = nullptr;
    decltype(&::oerhms) oerhms = nullptr;
    decltype(&::obndrv) obndrv = nullptr;
    decltype(&::oexec) oexec = nullptr;
    decltype(&::odefin) odefin = nullptr;
    decltype(&::ofen) ofen = nullptr;
    decltype(&::onbtst) onbtst = nullptr; // resolved, never called
    decltype(&::onbset) onbset = nullptr; // resolved, never called
    decltype(&::obreak) obreak = nullptr;

private:
    void Resolve();
    void ResolveFrom(const VkOCIW32Lib& other);
};

// The binding every Oracle call of the process goes through.
const VkOCIW32Lib& OCIW32();

// The client library could be loaded when the process started.
bool IsOracleAvailable();

} // namespace VkOracle
