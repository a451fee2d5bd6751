#pragma once
// The process-wide binding of the Oracle client library: loaded by name on
// first use, never linked. Without the client library every module still
// runs; only connecting fails.

#include "generic/VkModuleBase.h"
#include "ociw32/include/OciEntryPoints.h"

#include <string>

namespace VkOracle {

// The entry points are those of OciEntryPoints (opinit ... obreak); onbtst
// and onbset are resolved and never called.
class VkOCIW32Lib : public VkModuleBase, public OciEntryPoints {
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
    // A copy holds its own reference to the library and the same pointers.
    VkOCIW32Lib(const VkOCIW32Lib& other) = default;
    VkOCIW32Lib& operator=(const VkOCIW32Lib& other) = default;

    // The file this binding loaded or tried to load (FileName above hides
    // the module base's).
    const std::string& Path() const { return VkModuleBase::FileName(); }

    // Where the library is looked for: $QUORVANE_OCI_PATH when set (and
    // then nothing else), else the file beside this library when there is
    // one, else the bare file name for the platform's standard search.
    static std::string LocateLibrary();
};

// The binding every Oracle call of the process goes through. The first call
// (from any thread) loads the library found by LocateLibrary(); whether that
// worked is final for the process: a user who installs the client restarts.
const VkOCIW32Lib& OCIW32();

// Whether the process's binding has the client library loaded (loads it on
// first use).
bool IsOracleAvailable();

// For tests only: forgets the process's binding, so the next OCIW32() binds
// `file` (when empty: LocateLibrary() again). Call it while no session is in
// use; a binding it replaces stays valid, never freed, until the process ends.
void RebindOracleClientForTests(const std::string& file = {});

} // namespace VkOracle
