#include "testsupport/DemoDatabases.h"

namespace qvtest {

int Oradmin(const std::string& arguments, std::string* output)
{
    return RunCommand("'" + BinPath("oradmin").string() + "' " + arguments, output, true);
}

bool ProvisionDemo(std::string* output)
{
    return Oradmin("demo", output) == 0;
}

DemoRoot::DemoRoot() : m_provisioned(ProvisionDemo(&m_output)) {}

} // namespace qvtest
