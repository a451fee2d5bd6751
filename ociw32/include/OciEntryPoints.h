#pragma once
// The 16 entry points of the version 7 call interface, listed once, in the
// order the framework's binding resolves them. Every list of them (the
// binding, ocisql, the benchmarks, the tests over linked-in code) expands
// QV_OCI_ENTRY_POINTS; the client library's exports.map is a linker script
// and is checked against OciEntryPointNames by its tests.

#include "ociw32/include/oci7.h"

#include <array>
#include <cstddef>
#include <string_view>

#define QV_OCI_ENTRY_POINTS(X)                                                                 \
    X(opinit) X(olog) X(ologof) X(oopen) X(oparse) X(oclose) X(ocom) X(odescr) X(oerhms)       \
        X(obndrv) X(oexec) X(odefin) X(ofen) X(onbtst) X(onbset) X(obreak)

namespace VkOracle {

#define QV_OCI_NAME(name) std::string_view(#name),
inline constexpr auto OciEntryPointNames = std::to_array({QV_OCI_ENTRY_POINTS(QV_OCI_NAME)});
#undef QV_OCI_NAME

inline constexpr std::size_t OciEntryPointCount = OciEntryPointNames.size();
static_assert(OciEntryPointCount == 16, "the version 7 call interface has 16 entry points");

// One pointer per entry point; null where a library does not export it.
struct OciEntryPoints {
#define QV_OCI_POINTER(name) decltype(&::name) name = nullptr;
    QV_OCI_ENTRY_POINTS(QV_OCI_POINTER)
#undef QV_OCI_POINTER

    // Sets every pointer from lookup(const char* name) -> void* (null when
    // the name is missing); the others are still resolved.
    template <typename Lookup>
    void Resolve(Lookup&& lookup)
    {
#define QV_OCI_RESOLVE(name) name = reinterpret_cast<decltype(name)>(lookup(#name));
        QV_OCI_ENTRY_POINTS(QV_OCI_RESOLVE)
#undef QV_OCI_RESOLVE
    }

    // The pointers in the order of OciEntryPointNames.
    std::array<const void*, OciEntryPointCount> Addresses() const
    {
#define QV_OCI_ADDRESS(name) reinterpret_cast<const void*>(name),
        return {QV_OCI_ENTRY_POINTS(QV_OCI_ADDRESS)};
#undef QV_OCI_ADDRESS
    }
};

} // namespace VkOracle
