#pragma once
// Keeps exceptions (out of memory, a library fault) from crossing the
// server seam: they come back as Oracle's internal error instead.

#include "ociw32/server/OraServer.h"

#include <exception>
#include <new>
#include <string>

namespace VkOracle {

template <typename F>
OraResult GuardOra(F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return OraResult{4030, "ORA-04030: out of process memory when trying to allocate bytes", 0};
    } catch (const std::exception& e) {
        return OraResult{600, std::string("ORA-00600: internal error code, arguments: [") + e.what() + "]", 0};
    } catch (...) {
        return OraResult{600, "ORA-00600: internal error code, arguments: [unknown]", 0};
    }
}

} // namespace VkOracle
