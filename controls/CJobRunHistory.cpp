#include "controls/CJobRunHistory.h"

CJobObservation CJobObservation::FromJob(const CJobListData& job, DATE observed)
{
    CJobObservation o;
    o.job = job.m_jobNumber;
    o.observed = observed;
    o.lastDate = job.m_lastDate;
    o.thisDate = job.m_thisDate;
    o.nextDate = job.m_nextDate;
    o.failures = job.m_failures;
    o.totalTime = job.m_totalTime;
    o.broken = job.m_broken;
    o.whatHash = HashWhat(job.m_what);
    return o;
}

CJobObservation CJobObservation::Gone(LONG job, DATE observed)
{
    CJobObservation o;
    o.job = job;
    o.observed = observed;
    o.gone = true;
    return o;
}

uint32_t CJobObservation::HashWhat(const std::string& what)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : what) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

bool CJobRunHistory::SameJob(const CJobObservation& before, const CJobObservation& after)
{
    if (before.gone || after.gone)
        return false;
    if (before.whatHash != after.whatHash)
        return false;
    // Both only ever grow for one job; a job made afresh starts from nothing.
    if (after.totalTime < before.totalTime)
        return false;
    return !(before.lastDate != 0 && after.lastDate == 0);
}

unsigned CJobRunHistory::Compare(const CJobObservation* before, const CJobObservation& after)
{
    if (after.gone)
        return None;
    unsigned changes = after.thisDate != 0 ? Running : None;
    if (!before || before->gone)
        return changes;
    if (!SameJob(*before, after))
        return changes | Recreated;
    const bool ran = after.lastDate != before->lastDate && after.lastDate != 0;
    if (ran)
        changes |= Ran;
    // A success resets the count, so failures after it count from nothing.
    if (after.failures > before->failures || (ran && after.failures > 0))
        changes |= Failed;
    if (after.broken && !before->broken)
        changes |= JustBroken;
    return changes;
}

std::vector<CJobRun> CJobRunHistory::Step(const CJobObservation& before, const CJobObservation& after)
{
    std::vector<CJobRun> runs;
    if (!SameJob(before, after))
        return runs;
    const unsigned changes = Compare(&before, after);
    if (changes & Ran) {
        CJobRun run;
        run.start = after.lastDate;
        run.observed = after.observed;
        runs.push_back(run);
    }
    if (changes & Failed) {
        CJobRun run;
        run.count = static_cast<int>((changes & Ran) ? after.failures : after.failures - before.failures);
        // A run seen under way before it failed started then.
        if (!(changes & Ran) && run.count == 1)
            run.start = before.thisDate;
        run.observed = after.observed;
        run.result = (changes & JustBroken) ? CJobRun::Broken : CJobRun::Failed;
        runs.push_back(run);
    }
    // The time spent between two refreshes belongs to one run only when one
    // run ended in between.
    if (runs.size() == 1 && runs.front().count == 1)
        runs.front().duration = static_cast<double>(after.totalTime - before.totalTime);
    return runs;
}

std::vector<CJobRun> CJobRunHistory::DeriveRuns(const std::vector<CJobObservation>& sequence)
{
    std::vector<CJobRun> runs;
    for (size_t i = 1; i < sequence.size(); ++i) {
        std::vector<CJobRun> step = Step(sequence[i - 1], sequence[i]);
        runs.insert(runs.end(), step.begin(), step.end());
    }
    return runs;
}
