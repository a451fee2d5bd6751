#include "controls/CJobHistoryRecorder.h"

CJobHistoryRecorder::CJobHistoryRecorder(std::filesystem::path file, CJobHistoryStore::Limits limits)
    : m_file(std::move(file)), m_limits(limits)
{
}

CJobHistoryRecorder::~CJobHistoryRecorder() = default;

void CJobHistoryRecorder::SetQueue(const std::string& queueKey)
{
    if (queueKey == m_queue)
        return;
    m_queue = queueKey;
    m_seeded = false;
    m_last.clear();
}

std::map<LONG, unsigned> CJobHistoryRecorder::Observe(const std::vector<CJobListData>& jobs, DATE observed)
{
    if (!m_store) {
        if (m_file.empty())
            m_file = CJobHistoryStore::DefaultPath();
        m_store = std::make_unique<CJobHistoryStore>(m_limits);
        m_store->Open(m_file);
    }
    if (!m_seeded) {
        // What the last session saw, so that runs in between are told too.
        for (const CJobObservation& o : m_store->Latest(m_queue))
            m_last[o.job] = o;
        m_seeded = true;
    }
    std::map<LONG, unsigned> changes;
    std::vector<CJobObservation> rows;
    std::map<LONG, CJobObservation> seen;
    for (const CJobListData& job : jobs) {
        CJobObservation now = CJobObservation::FromJob(job, observed);
        const auto before = m_last.find(job.m_jobNumber);
        changes[job.m_jobNumber] = CJobRunHistory::Compare(before == m_last.end() ? nullptr : &before->second, now);
        rows.push_back(now);
        seen[job.m_jobNumber] = now;
    }
    // A job no longer listed: what comes under its number later is another.
    for (const auto& [number, last] : m_last) {
        if (seen.count(number) || last.gone)
            continue;
        const CJobObservation gone = CJobObservation::Gone(number, observed);
        rows.push_back(gone);
        seen[number] = gone;
    }
    m_last = std::move(seen);
    if (!m_queue.empty())
        m_store->Record(m_queue, rows);
    return changes;
}

std::string CJobHistoryRecorder::TakeProblemToTell()
{
    return m_file.empty() ? std::string() : CJobHistoryStore::TakeProblemToTell(m_file);
}
