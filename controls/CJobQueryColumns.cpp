#include "controls/CJobQueryColumns.h"

#include "controls/QVCtrlStrings.h"
#include "platform/VkAscii.h"


using QueryData = VkOracle::OCISession::OCIQueryData;

CJobQueryColumns::CJobQueryColumns(const QueryData& data)
    : m_job(data.ColumnIndexFromName("JOB")), m_lastDate(data.ColumnIndexFromName("LAST_DATE")),
      m_nextDate(data.ColumnIndexFromName("NEXT_DATE")), m_thisDate(data.ColumnIndexFromName("THIS_DATE")),
      m_what(data.ColumnIndexFromName("WHAT")), m_interval(data.ColumnIndexFromName("INTERVAL")),
      m_broken(data.ColumnIndexFromName("BROKEN")), m_running(data.ColumnIndexFromName("RUNNING")),
      m_failures(data.ColumnIndexFromName("FAILURES")), m_logUser(data.ColumnIndexFromName("LOG_USER")),
      m_privUser(data.ColumnIndexFromName("PRIV_USER")), m_schemaUser(data.ColumnIndexFromName("SCHEMA_USER")),
      m_totalTime(data.ColumnIndexFromName("TOTAL_TIME"))
{
}

bool CJobQueryColumns::Flag(const std::string& cell)
{
    if (cell.empty())
        return false;
    const char first = VkAsciiToUpper(cell[0]);
    if (first == 'Y' || first == 'T')
        return true;
    if (first == 'N' || first == 'F')
        return false;
    // A numeric flag.
    return cell.find_first_not_of("0.") != std::string::npos;
}

void CJobQueryColumns::Fill(const QueryData& data, int row, CJobListData& job) const
{
    if (m_job >= 0)
        job.m_jobNumber = data.GetLong(row, m_job);
    if (m_failures >= 0)
        job.m_failures = data.GetLong(row, m_failures);
    if (m_totalTime >= 0)
        job.m_totalTime = data.GetLong(row, m_totalTime);
    if (m_lastDate >= 0)
        job.m_lastDate = data.GetDate(row, m_lastDate);
    if (m_nextDate >= 0)
        job.m_nextDate = data.GetDate(row, m_nextDate);
    if (m_thisDate >= 0)
        job.m_thisDate = data.GetDate(row, m_thisDate);
    if (m_what >= 0)
        job.m_what = data.GetString(row, m_what);
    if (m_interval >= 0)
        job.m_interval = data.GetString(row, m_interval);
    if (m_logUser >= 0)
        job.m_logUser = data.GetString(row, m_logUser);
    if (m_privUser >= 0)
        job.m_privUser = data.GetString(row, m_privUser);
    if (m_schemaUser >= 0)
        job.m_schemaUser = data.GetString(row, m_schemaUser);
    if (m_broken >= 0)
        job.m_broken = Flag(data.GetString(row, m_broken));
    if (m_running >= 0)
        job.m_running = Flag(data.GetString(row, m_running)) ? 1 : 0;
}

UINT CJobQueryColumns::JobListQuery(bool runningViewVisible, bool administratorView)
{
    if (!runningViewVisible)
        return IDS_JW_SQL_JOBS_OWN;
    return administratorView ? IDS_JW_SQL_JOBS_ALL_RUNNING : IDS_JW_SQL_JOBS_OWN_RUNNING;
}
