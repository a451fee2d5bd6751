#include "ociw32/tools/oradmin/OraDemoNames.h"

namespace VkOracle {

std::vector<OraDemoAlias> OraDemoAliases()
{
    return {
        {"DEMO",
         "# The demo database: server version 10.2.0.1.0, users SCOTT/TIGER,\n"
         "# APPUSER/APPUSER and SYSTEM/MANAGER.\n"
         "DEMO =\n"
         "  (DESCRIPTION =\n"
         "    (ADDRESS_LIST =\n"
         "      (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
         "    )\n"
         "    (CONNECT_DATA =\n"
         "      (SERVER = DEDICATED)\n"
         "      (SERVICE_NAME = DEMO)\n"
         "    )\n"
         "  )\n"},
        {"LEGACY",
         "# A version 7 server (7.3.4.0.0) with the older data dictionary.\n"
         "LEGACY =\n"
         "  (DESCRIPTION =\n"
         "    (ADDRESS = (PROTOCOL = TCP)(HOST = 127.0.0.1)(PORT = 1521))\n"
         "    (CONNECT_DATA = (SID = LEGACY))\n"
         "  )\n"},
        {"DOWN",
         "# A database that is shut down: logons fail with ORA-01034 until\n"
         "# \"oradmin startup DOWN\".\n"
         "DOWN =\n"
         "  (DESCRIPTION =\n"
         "    (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
         "    (CONNECT_DATA =\n"
         "      (SID = DOWN)\n"
         "    )\n"
         "  )\n"},
        {"REMOTE",
         "# A database on another machine, where no listener answers (ORA-12541).\n"
         "REMOTE =\n"
         "  (DESCRIPTION =\n"
         "    (ADDRESS_LIST =\n"
         "      (ADDRESS = (PROTOCOL = TCP)(HOST = dbserver.example.com)(PORT = 1521))\n"
         "    )\n"
         "    (CONNECT_DATA =\n"
         "      (SERVICE_NAME = PROD.EXAMPLE.COM)\n"
         "    )\n"
         "  )\n"},
    };
}

std::string OraTnsNamesHeader(const std::string& file)
{
    return "# TNSNAMES.ORA Network Configuration File: " + file + "\n"
           "# Written by oradmin. Each alias leads to a database under the Oracle\n"
           "# home's database folder; the server answers on this machine only.\n"
           "\n";
}

std::string OraLocalAliasEntry(const std::string& sid, const std::string& version)
{
    return "# Created by oradmin (server version " + version + ").\n"
           + sid + " =\n"
           "  (DESCRIPTION =\n"
           "    (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
           "    (CONNECT_DATA = (SID = " + sid + "))\n"
           "  )\n";
}

} // namespace VkOracle
