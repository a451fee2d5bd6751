#pragma once
// Oracle's message for an error the engine raises, in the wording of the
// server's version, with a few DDL texts the shared table lacks.

#include <string>
#include <vector>

namespace VkOracle {

// "ORA-nnnnn: text" with each %s filled from `args` in order.
std::string EngineErrorMessage(int code, int serverMajorVersion, const std::vector<std::string>& args = {});

} // namespace VkOracle
