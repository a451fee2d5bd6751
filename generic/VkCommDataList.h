#pragma once
// A serialisable list of records handed between queues (clipboard, drag and
// drop): the records in selection order and the host they come from. The
// list owns its records.

#include "platform/Archive.h"
#include "platform/Serializable.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

template <class T>
class VkCommDataList : public CObject {
public:
    VkCommDataList() = default;
    VkCommDataList(const VkCommDataList&) = delete;
    VkCommDataList& operator=(const VkCommDataList&) = delete;

    void Clear() { m_items.clear(); }
    // Takes a copy of item.
    void Add(const T& item) { m_items.push_back(std::make_unique<T>(item)); }

    // Host as an archive string, a 32-bit count, then each record as an
    // archive object of its class. Loading appends; a record of another
    // class or cut short throws CArchiveException, leaving the records read
    // so far in the list.
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << m_sourceHost;
            ar << static_cast<DWORD>(m_items.size());
            for (const auto& item : m_items)
                ar << static_cast<const CObject*>(item.get());
            return;
        }
        ar >> m_sourceHost;
        DWORD count = 0;
        ar >> count;
        const size_t first = m_items.size();
        const CRuntimeClass* const recordClass = T().GetRuntimeClass();
        for (DWORD i = 0; i < count; ++i) {
            T* read = static_cast<T*>(ar.ReadObject(recordClass));
            if (!read)
                continue; // a null record carries nothing to paste
            // A reference back to a record read before must not be owned twice.
            const bool seen = std::any_of(m_items.begin() + static_cast<std::ptrdiff_t>(first), m_items.end(),
                                          [read](const std::unique_ptr<T>& owned) { return owned.get() == read; });
            m_items.push_back(seen ? std::make_unique<T>(*read) : std::unique_ptr<T>(read));
        }
    }

    std::vector<std::unique_ptr<T>> m_items;
    std::string m_sourceHost;
};
