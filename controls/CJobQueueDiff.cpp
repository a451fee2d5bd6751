#include "controls/CJobQueueDiff.h"

#include "controls/CJobSaveStatement.h"
#include "platform/VkAscii.h"

#include <cmath>
#include <map>

namespace {

long long Seconds(DATE date)
{
    return std::llround(date * 86400.0);
}

} // namespace

std::string CJobQueueDiff::WhatKey(const std::string& what)
{
    return VkAsciiTrim(what);
}

unsigned CJobQueueDiff::Differences(const CJobListData& left, const CJobListData& right)
{
    unsigned fields = JobDiffNone;
    if (CJobSaveStatement::NormaliseInterval(VkAsciiTrim(left.m_interval))
        != CJobSaveStatement::NormaliseInterval(VkAsciiTrim(right.m_interval)))
        fields |= JobDiffInterval;
    if (Seconds(left.m_nextDate) != Seconds(right.m_nextDate))
        fields |= JobDiffNextDate;
    if (left.m_broken != right.m_broken)
        fields |= JobDiffBroken;
    if (!VkAsciiEqualNoCase(left.m_schemaUser, right.m_schemaUser))
        fields |= JobDiffSchema;
    return fields;
}

std::vector<CJobDiffRow> CJobQueueDiff::Compare(const std::vector<CJobListData>& left,
                                                const std::vector<CJobListData>& right)
{
    // The right queue's unpaired jobs per what text, in list order.
    std::map<std::string, std::vector<int>> open;
    for (int j = 0; j < static_cast<int>(right.size()); ++j)
        open[WhatKey(right[j].m_what)].push_back(j);

    std::vector<int> partner(left.size(), -1);
    auto take = [&open](const std::string& key, size_t at) {
        auto& list = open[key];
        const int j = list[at];
        list.erase(list.begin() + static_cast<long>(at));
        return j;
    };
    // Same text and same number first, so duplicates of one text pair up as
    // the numbers say before anything is guessed.
    for (size_t i = 0; i < left.size(); ++i) {
        const std::string key = WhatKey(left[i].m_what);
        auto found = open.find(key);
        if (found == open.end())
            continue;
        for (size_t at = 0; at < found->second.size(); ++at) {
            if (right[found->second[at]].m_jobNumber == left[i].m_jobNumber) {
                partner[i] = take(key, at);
                break;
            }
        }
    }
    for (size_t i = 0; i < left.size(); ++i) {
        if (partner[i] >= 0)
            continue;
        const std::string key = WhatKey(left[i].m_what);
        auto found = open.find(key);
        if (found == open.end() || found->second.empty())
            continue;
        size_t best = 0;
        int bestCount = 5;
        for (size_t at = 0; at < found->second.size(); ++at) {
            const int count = __builtin_popcount(Differences(left[i], right[found->second[at]]));
            if (count < bestCount) {
                best = at;
                bestCount = count;
            }
        }
        partner[i] = take(key, best);
    }

    std::vector<CJobDiffRow> rows;
    std::vector<bool> paired(right.size(), false);
    for (size_t i = 0; i < left.size(); ++i) {
        CJobDiffRow row;
        row.left = static_cast<int>(i);
        if (partner[i] >= 0) {
            row.right = partner[i];
            row.fields = Differences(left[i], right[partner[i]]);
            paired[partner[i]] = true;
        } else {
            row.kind = CJobDiffKind::OnlyLeft;
        }
        rows.push_back(row);
    }
    for (size_t j = 0; j < right.size(); ++j) {
        if (paired[j])
            continue;
        CJobDiffRow row;
        row.kind = CJobDiffKind::OnlyRight;
        row.right = static_cast<int>(j);
        rows.push_back(row);
    }
    return rows;
}
