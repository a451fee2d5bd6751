// Until the engine is built every database is unavailable, which is what a
// client sees from an Oracle server that is not running.
#include "ociw32/server/OraServer.h"
#include "ociw32/functions/OraErrors.h"

namespace VkOracle {
namespace {
OraResult NotAvailable()
{
    return OraResult{1034, FormatOraError(1034), 0};
}
class PendingServer final : public OraServer {
public:
    OraResult Logon(const OraDatabaseRef&, const std::string&, const std::string&,
                    std::unique_ptr<OraSession>*) override { return NotAvailable(); }
    OraResult CreateDatabase(const OraDatabaseRef&, const std::string&) override { return NotAvailable(); }
    OraResult LoadDemoContent(const OraDatabaseRef&) override { return NotAvailable(); }
    OraResult Startup(const OraDatabaseRef&) override { return NotAvailable(); }
    OraResult Shutdown(const OraDatabaseRef&) override { return NotAvailable(); }
    std::string Status(const OraDatabaseRef&) override { return "MISSING"; }
    OraResult SetClock(const OraDatabaseRef&, const OraClockSetting&) override { return NotAvailable(); }
};
} // namespace

OraServer& EmbeddedOraServer()
{
    static PendingServer server;
    return server;
}
} // namespace VkOracle
