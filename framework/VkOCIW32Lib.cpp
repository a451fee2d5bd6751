#include "framework/VkOCIW32Lib.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace VkOracle {

namespace {

template <typename T>
void ResolveOne(const VkModuleBase& module, T& pointer, const char* name)
{
    pointer = reinterpret_cast<T>(module.Proc(name));
}

// Our own file, to find the client library installed beside it.
std::filesystem::path ThisLibraryFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisLibraryFolder), &info) == 0 || !info.dli_fname)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path();
}

} // namespace

VkOCIW32Lib::VkOCIW32Lib() : VkOCIW32Lib(LocateLibrary()) {}

VkOCIW32Lib::VkOCIW32Lib(const std::string& file) : VkModuleBase(file, false)
{
    // The library runs server threads of its own; it must stay mapped
    // until the process ends even when the binding lets it go.
    SetKeepResident(true);
    if (Load())
        Resolve();
}

VkOCIW32Lib::VkOCIW32Lib(const VkOCIW32Lib& other) : VkModuleBase(other) { ResolveFrom(other); }

VkOCIW32Lib& VkOCIW32Lib::operator=(const VkOCIW32Lib& other)
{
    if (this != &other) {
        VkModuleBase::operator=(other);
        ResolveFrom(other);
    }
    return *this;
}

void VkOCIW32Lib::ResolveFrom(const VkOCIW32Lib& other)
{
    opinit = other.opinit;
    olog = other.olog;
    ologof = other.ologof;
    oopen = other.oopen;
    oparse = other.oparse;
    oclose = other.oclose;
    ocom = other.ocom;
    odescr = other.odescr;
    oerhms = other.oerhms;
    obndrv = other.obndrv;
    oexec = other.oexec;
    odefin = other.odefin;
    ofen = other.ofen;
    onbtst = other.onbtst;
    onbset = other.onbset;
    obreak = other.obreak;
}

void VkOCIW32Lib::Resolve()
{
    ResolveOne(*this, opinit, "opinit");
    ResolveOne(*this, olog, "olog");
    ResolveOne(*this, ologof, "ologof");
    ResolveOne(*this, oopen, "oopen");
    ResolveOne(*this, oparse, "oparse");
    ResolveOne(*this, oclose, "oclose");
    ResolveOne(*this, ocom, "ocom");
    ResolveOne(*this, odescr, "odescr");
    ResolveOne(*this, oerhms, "oerhms");
    ResolveOne(*this, obndrv, "obndrv");
    ResolveOne(*this, oexec, "oexec");
    ResolveOne(*this, odefin, "odefin");
    ResolveOne(*this, ofen, "ofen");
    ResolveOne(*this, onbtst, "onbtst");
    ResolveOne(*this, onbset, "onbset");
    ResolveOne(*this, obreak, "obreak");
}

std::string VkOCIW32Lib::LocateLibrary()
{
    if (const char* overridden = std::getenv("QUORVANE_OCI_PATH"))
        return overridden;
    const std::filesystem::path folder = ThisLibraryFolder();
    if (!folder.empty()) {
        std::error_code error;
        const std::filesystem::path beside = folder / FileName;
        if (std::filesystem::is_regular_file(beside, error))
            return beside.string();
    }
    return FileName;
}

namespace {
// Constructed while this library is initialised, before any caller can run.
const VkOCIW32Lib s_binding;
} // namespace

const VkOCIW32Lib& OCIW32() { return s_binding; }

bool IsOracleAvailable() { return s_binding.Loaded(); }

} // namespace VkOracle
