#include "ociw32/server/OraRowidSet.h"

#include <cstdint>
#include <iterator>

namespace VkOracle {

bool OraRowidSet::Contains(int64_t rowid) const
{
    auto it = m_spans.upper_bound(rowid);
    if (it == m_spans.begin())
        return false;
    --it;
    return it->second >= rowid;
}

void OraRowidSet::Insert(int64_t rowid)
{
    auto next = m_spans.upper_bound(rowid);
    if (next != m_spans.begin()) {
        auto span = std::prev(next);
        if (span->second >= rowid)
            return;
        if (span->second != INT64_MAX && span->second + 1 == rowid) {
            span->second = rowid;
            // It now touches the next span: one span of both.
            if (next != m_spans.end() && next->first == rowid + 1) {
                span->second = next->second;
                m_spans.erase(next);
            }
            return;
        }
    }
    if (next != m_spans.end() && rowid != INT64_MAX && next->first == rowid + 1) {
        const int64_t last = next->second;
        m_spans.erase(next);
        m_spans.emplace(rowid, last);
        return;
    }
    m_spans.emplace_hint(next, rowid, rowid);
}

void OraRowidSet::Erase(int64_t rowid)
{
    auto it = m_spans.upper_bound(rowid);
    if (it == m_spans.begin())
        return;
    --it;
    const int64_t first = it->first, last = it->second;
    if (last < rowid)
        return;
    m_spans.erase(it);
    if (first < rowid)
        m_spans.emplace(first, rowid - 1);
    if (rowid < last)
        m_spans.emplace(rowid + 1, last);
}

} // namespace VkOracle
