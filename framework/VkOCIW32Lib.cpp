#include "framework/VkOCIW32Lib.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <vector>

namespace VkOracle {

namespace {

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
        Resolve([this](const char* name) { return Proc(name); });
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

// The binding in use, made on first use. Every binding ever made is kept
// until the process ends, so a reference handed out before a test rebinds
// never dangles.
struct BindingSlot {
    std::mutex lock; // guards making and replacing the binding only
    std::atomic<const VkOCIW32Lib*> current{nullptr};
    std::string testFile;
    std::vector<std::unique_ptr<VkOCIW32Lib>> made;
};

BindingSlot& Slot()
{
    static BindingSlot slot;
    return slot;
}

} // namespace

const VkOCIW32Lib& OCIW32()
{
    BindingSlot& slot = Slot();
    if (const VkOCIW32Lib* binding = slot.current.load(std::memory_order_acquire))
        return *binding;
    std::lock_guard guard(slot.lock);
    if (const VkOCIW32Lib* binding = slot.current.load(std::memory_order_relaxed))
        return *binding;
    const std::string file = slot.testFile.empty() ? VkOCIW32Lib::LocateLibrary() : slot.testFile;
    slot.made.push_back(std::make_unique<VkOCIW32Lib>(file));
    slot.current.store(slot.made.back().get(), std::memory_order_release);
    return *slot.made.back();
}

bool IsOracleAvailable() { return OCIW32().Loaded(); }

void RebindOracleClientForTests(const std::string& file)
{
    BindingSlot& slot = Slot();
    std::lock_guard guard(slot.lock);
    slot.testFile = file;
    slot.current.store(nullptr, std::memory_order_release);
}

} // namespace VkOracle
