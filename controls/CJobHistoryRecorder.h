#pragma once
// The worker's side of the run history: records what each refresh of one
// queue saw and tells, per job, what changed since the refresh before
// (from the history file on the first refresh after a connect). Worker
// thread only; writes one transaction per refresh. Without a usable file it
// still compares refreshes in memory.

#include "controls/CJobHistoryStore.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CJobHistoryRecorder {
public:
    // file: the history file; empty for the data root's.
    explicit CJobHistoryRecorder(std::filesystem::path file = {}, CJobHistoryStore::Limits limits = {});
    ~CJobHistoryRecorder();

    // The queue the next refreshes belong to; another one forgets what the
    // refreshes before saw.
    void SetQueue(const std::string& queueKey);
    const std::string& Queue() const { return m_queue; }
    // Records one refresh (observed: the server's clock) and answers each
    // job's CJobRunHistory::Change flags, by job number.
    // Only what changed since a job's last observation is written, so a
    // quiet queue adds nothing to the file.
    std::map<LONG, unsigned> Observe(const std::vector<CJobListData>& jobs, DATE observed);
    // The list's marks at the last refresh: each job's latest change for
    // kMarkMinutes of server time after the refresh that saw it.
    std::map<LONG, unsigned> Marks() const;
    static constexpr int kMarkMinutes = 15;
    // The reason the file cannot be used, once per file and process.
    std::string TakeProblemToTell();
    const std::filesystem::path& File() const { return m_file; }

private:
    std::filesystem::path m_file;
    CJobHistoryStore::Limits m_limits;
    std::unique_ptr<CJobHistoryStore> m_store; // opened on the first refresh
    std::string m_queue;
    bool m_seeded = false;
    std::map<LONG, CJobObservation> m_last;
    struct Mark {
        unsigned changes = 0;
        DATE seen = 0;
    };
    std::map<LONG, Mark> m_marks;
    DATE m_observed = 0;
};
