// tnsnames.ora text.
#include "fuzz/FuzzTarget.h"
#include "ociw32/names/OraTnsNames.h"

#include <sstream>

using namespace VkOracle;

std::vector<std::string> QvFuzzSeeds()
{
    return {
        "DEMO = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
        "  (CONNECT_DATA = (SID = DEMO)))\n",
        "# comment\nLEGACY.WORLD =\n  (DESCRIPTION =\n    (ADDRESS_LIST =\n"
        "      (ADDRESS = (PROTOCOL = IPC)(KEY = LEGACY))\n    )\n"
        "    (CONNECT_DATA = (SERVICE_NAME = LEGACY))\n  )\n\nX=(DESCRIPTION=(CONNECT_DATA=(SID=X)))\n",
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(QvFuzzBytes(data, size));
    OraTnsNames names;
    names.Load(in);
    for (const auto& [name, entry] : names.Entries())
        names.Find(name);
    std::string name;
    OraTnsEntry entry;
    OraTnsNames::ParseEntry(QvFuzzBytes(data, size), &name, &entry);
    return 0;
}
