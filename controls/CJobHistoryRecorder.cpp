#include "controls/CJobHistoryRecorder.h"

#include <iterator>

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
    m_marks.clear();
}

namespace {

bool SameState(const CJobObservation& a, const CJobObservation& b)
{
    return a.job == b.job && a.lastDate == b.lastDate && a.thisDate == b.thisDate && a.nextDate == b.nextDate &&
           a.failures == b.failures && a.totalTime == b.totalTime && a.broken == b.broken &&
           a.whatHash == b.whatHash && a.gone == b.gone;
}

} // namespace

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
        const bool known = before != m_last.end();
        const unsigned change = CJobRunHistory::Compare(known ? &before->second : nullptr, now);
        changes[job.m_jobNumber] = change;
        if (change)
            m_marks[job.m_jobNumber] = Mark{change, observed};
        if (!known || !SameState(before->second, now))
            rows.push_back(now);
        seen[job.m_jobNumber] = now;
    }
    for (auto it = m_marks.begin(); it != m_marks.end();)
        it = seen.count(it->first) ? std::next(it) : m_marks.erase(it);
    m_observed = observed;
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

std::map<LONG, unsigned> CJobHistoryRecorder::Marks() const
{
    std::map<LONG, unsigned> marks;
    const DATE lasting = kMarkMinutes / (24.0 * 60.0);
    for (const auto& [job, mark] : m_marks)
        if (m_observed >= mark.seen && m_observed - mark.seen < lasting)
            marks[job] = mark.changes;
    return marks;
}

std::string CJobHistoryRecorder::TakeProblemToTell()
{
    return m_file.empty() ? std::string() : CJobHistoryStore::TakeProblemToTell(m_file);
}
