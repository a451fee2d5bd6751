#include "ociw32/tools/ocisql/OciLibrary.h"

#include <dlfcn.h>
#include <filesystem>

namespace VkOracle {

bool OciFunctions::Complete() const
{
    return opinit && olog && ologof && oopen && oparse && oclose && ocom && odescr && oerhms
        && oexec && odefin && ofen;
}

bool LoadOciLibrary(const std::string& file, OciFunctions* f, std::string* error)
{
    // Kept loaded for the life of the process. The system's search order
    // comes first; the build's lib/ folder beside bin/ is the fallback for
    // when the loader cannot use this program's run path (as under the
    // address sanitizer, whose dlopen searches from its own library).
    // Bound lazily: a short session calls a fraction of what the library
    // imports. Symbol versions are still checked here, at load.
    void* handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        *error = why ? why : "cannot load " + file;
        std::error_code ec;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec && file.find('/') == std::string::npos) {
            const std::filesystem::path beside = self.parent_path().parent_path() / "lib" / file;
            handle = dlopen(beside.c_str(), RTLD_LAZY | RTLD_LOCAL);
        }
        if (!handle)
            return false;
        error->clear();
    }
    f->Resolve([handle](const char* name) { return dlsym(handle, name); });
    if (!f->Complete()) {
        *error = file + " lacks call-interface entry points";
        return false;
    }
    return true;
}

} // namespace VkOracle
