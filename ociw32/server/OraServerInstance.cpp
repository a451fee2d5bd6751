#include "ociw32/server/OraServer.h"

#include <atomic>

namespace VkOracle {

// Defined by the engine: the embedded server, created on first use.
OraServer& EmbeddedOraServer();

namespace {
std::atomic<OraServer*> g_installed{nullptr};
}

OraServer& TheOraServer()
{
    OraServer* s = g_installed.load();
    return s ? *s : EmbeddedOraServer();
}

void InstallOraServer(OraServer* server)
{
    g_installed.store(server);
}

} // namespace VkOracle
