// REGEDIT4 text imported into a scratch registry, then exported again.
#include "fuzz/FuzzTarget.h"
#include "platform/RegText.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A data root of the fuzzer's own, removed when the process ends. Every run
// writes hive files, so it lives in memory where the machine has a tmpfs.
struct ScratchRoot {
    ScratchRoot()
    {
        const bool shm = std::filesystem::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0;
        std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/qv-fuzz-reg-XXXXXX";
        if (const char* made = ::mkdtemp(pattern.data()))
            path = made;
        ::setenv("QUORVANE_ROOT", path.c_str(), 1);
    }
    ~ScratchRoot()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::string path;
};

const char* const kRoots[] = {"HKEY_CURRENT_USER\\Software", "HKEY_LOCAL_MACHINE\\SOFTWARE",
                              "HKEY_CLASSES_ROOT\\Fuzz", "HKEY_USERS\\Fuzz"};

} // namespace

std::vector<std::string> QvFuzzSeeds()
{
    return {
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Fuzz\\App]\n\"Name\"=\"value with \\\"quotes\\\"\"\n"
        "\"Count\"=dword:0000002a\n\"Blob\"=hex:01,02,ff\n@=\"default\"\n\n"
        "[-HKEY_CURRENT_USER\\Software\\Fuzz\\Gone]\n",
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fuzz]\n\"Path\"=hex(2):25,00,48,00\n\"Multi\"=hex(7):61,00,00,00\n"
        "\"Del\"=-\n[HKEY_CLASSES_ROOT\\Fuzz\\CLSID\\{00000000-0000-0000-0000-000000000001}]\n",
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchRoot root;
    VkRegText::Import(QvFuzzBytes(data, size));
    std::string text;
    for (const char* key : kRoots) {
        VkRegText::Export(key, &text);
        VkRegText::DeleteKey(key);
    }
    return 0;
}
