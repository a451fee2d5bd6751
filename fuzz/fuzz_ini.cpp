// INI (profile) files: read, then edit one entry as the settings code does.
#include "fuzz/FuzzTarget.h"
#include "platform/ProfileFile.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

std::filesystem::path ScratchFile()
{
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("qv-fuzz-ini-" + std::to_string(::getpid()) + ".ini");
    return file;
}

} // namespace

std::vector<std::string> QvFuzzSeeds()
{
    return {"[Oracle]\nORACLE_HOME=/opt/oracle\n; comment\n[Palette]\nPalette1=a.pal\nPalette2 = b.pal \n",
            "no section=1\n[]\n[A]\n=empty name\nx\n[a]\nX=dup\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path file = ScratchFile();
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    VkProfileFile profile = VkProfileFile::Load(file);
    for (const std::string& section : profile.SectionNames())
        for (const std::string& name : profile.EntryNames(section))
            profile.Value(section, name);
    profile.SetValue("Fuzz", "Key", "Value");
    std::filesystem::remove(file);
    return 0;
}
