// oradmin: provisions the Oracle home of the embedded client in the data root
// and manages its databases. See "oradmin help".

#include "ociw32/tools/oradmin/OraAdmin.h"
#include "platform/VkSqliteSetup.h"

#include <iostream>

int main(int argc, char** argv)
{
    VkSetUpSqlite();
    std::vector<std::string> args(argv + 1, argv + argc);
    VkOracle::OraAdmin admin(std::cout, std::cerr);
    return admin.Run(args);
}
