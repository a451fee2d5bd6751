#pragma once
// How a row of the job queries becomes a job record: the columns are found
// by name once per query, so the queries may list them in any order and the
// running state only when the query has it.

#include "controls/CJobListData.h"
#include "framework/OCISession.h"

class CJobQueryColumns {
public:
    explicit CJobQueryColumns(const VkOracle::OCISession::OCIQueryData& data);

    bool HasRunning() const { return m_running >= 0; }
    // Fills job from the row of the last fetch; a null text is empty, a
    // column the query lacks leaves its field as it was.
    void Fill(const VkOracle::OCISession::OCIQueryData& data, int row, CJobListData& job) const;

    // The job list statement's string identifier: the running-jobs variants
    // when the view is visible (all jobs for the administrator view), else
    // the user's own jobs without the running state.
    static UINT JobListQuery(bool runningViewVisible, bool administratorView);
    // A BROKEN or RUNNING cell ('Y', 'Yes', 1) as a flag.
    static bool Flag(const std::string& cell);

private:
    int m_job, m_lastDate, m_nextDate, m_thisDate, m_what, m_interval, m_broken, m_running, m_failures, m_logUser,
        m_privUser, m_schemaUser, m_totalTime;
};
