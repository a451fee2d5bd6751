#pragma once
// oradmin's commands: provisioning the Oracle home in the data root and
// managing its databases through the embedded server.

#include "ociw32/server/OraServer.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace VkOracle {

class OraAdmin {
public:
    OraAdmin(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // Runs one command line (without the program name); the exit status.
    int Run(const std::vector<std::string>& args);

    static constexpr const char* kDefaultVersion = "10.2.0.1.0";

private:
    int Demo();
    int Create(const std::string& sid, const std::string& version);
    int Startup(const std::string& sid);
    int Shutdown(const std::string& sid, const std::string& mode);
    int Log(const std::string& sid);
    int Status();
    int Clock(const std::string& sid, const std::vector<std::string>& args);
    int Usage();

    // The registered home, or a new one in the data root, registered.
    bool EnsureHome(std::filesystem::path* home);
    // The registered home; reports and fails when there is none.
    bool RegisteredHome(std::filesystem::path* home);
    // Adds the aliases tnsnames.ora lacks (writing the file when missing).
    bool AddAliases(const std::filesystem::path& home,
                    const std::vector<std::pair<std::string, std::string>>& aliases);
    OraDatabaseRef Database(const std::filesystem::path& home, const std::string& sid) const;
    // Reports and fails for a SID that is no plain name.
    bool CheckSid(const std::string& sid);
    // The existing database SID of the registered home; reports and fails
    // when there is no home or no such database.
    bool FindDatabase(const std::string& sid, bool suggestCreate, OraDatabaseRef* db);
    int Report(const OraResult& r);

    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace VkOracle
