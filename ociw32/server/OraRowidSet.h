#pragma once
// A set of rowids kept as spans of consecutive ones: the rows a transaction
// inserts one after another cost one entry, not one per row.

#include <cstddef>
#include <cstdint>
#include <map>

namespace VkOracle {

class OraRowidSet {
public:
    bool Contains(int64_t rowid) const;
    void Insert(int64_t rowid);
    void Erase(int64_t rowid);
    void Clear() { m_spans.clear(); }
    bool Empty() const { return m_spans.empty(); }
    // How many spans hold the rowids (for tests).
    size_t Spans() const { return m_spans.size(); }

private:
    std::map<int64_t, int64_t> m_spans; // first rowid -> last rowid, apart and not touching
};

} // namespace VkOracle
