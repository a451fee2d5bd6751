#pragma once
// What the background query worker and the job list say to each other: the
// request kinds, the window messages the worker posts to the job list, and
// the heap records those messages carry. A posted record belongs to the
// receiving handler from the moment it is posted.

#include "controls/CJobListData.h"
#include "framework/TwRequestWorker.h"
#include "generic/VkPostedMessage.h"

#include <QPointer>

#include <map>
#include <string>
#include <vector>

enum CJobRequestKind : LONG {
    ReqShutdown = TwRequestWorker::kShutdown,
    ReqConnect = TwRequestWorker::kConnect,
    ReqDisconnect = TwRequestWorker::kDisconnect,
    ReqRefresh = TwRequestWorker::kRefresh,
    ReqSubmit = 4,
    ReqRemove = 5,
    ReqChange = 6,
    ReqRun = 7,
    ReqToggleBroken = 9,
    ReqParse = 10,
    ReqEvaluate = 11,
    ReqStopJob = 12,
};

constexpr UINT JLM_STATUS = TWM_STATUS;          // 0, CJobStatusRecord
constexpr UINT JLM_NEWLIST = WM_USER + 1001;     // 0, CJobNewListRecord or none
constexpr UINT JLM_QUEUE = TWM_QUEUE;            // request kind, CJobTextRecord or none
constexpr UINT JLM_JOBUPDATE = WM_USER + 1003;   // column (13 all), CJobUpdateRecord
constexpr UINT JLM_JOBREMOVED = WM_USER + 1004;  // job number
constexpr UINT JLM_TESTSQL = WM_USER + 1005;     // to the list, CJobDialogRequestRecord
constexpr UINT JLM_SAVEJOB = WM_USER + 1006;     // to the list, CJobDialogRequestRecord
constexpr UINT JLM_EVALUATE = WM_USER + 1007;    // to the list, CJobDialogRequestRecord
constexpr UINT JLM_VERSION = TWM_VERSION;        // 0, CJobTextRecord
constexpr UINT JLM_SERVERTIME = TWM_SERVERTIME;  // 0, CJobDateRecord

// JLM_JOBUPDATE's column number for "every column".
constexpr WPARAM JLM_ALL_COLUMNS = 13;

using CJobStatusRecord = TwStatusRecord;
using CJobTextRecord = TwTextRecord;
using CJobDateRecord = TwDateRecord;

// A freshly read job list, in the server's order.
class CJobNewListRecord : public VkMessageRecord {
public:
    std::vector<CJobListData> m_jobs;
    // What the run history saw change since the refresh before, by job
    // number (CJobRunHistory::Change flags).
    std::map<LONG, unsigned> m_changes;
    // The marks the list shows: changes of recent refreshes, not only the last.
    std::map<LONG, unsigned> m_marks;
    // Why the run history cannot be kept; set once per file and process.
    std::string m_historyProblem;
};

class CJobUpdateRecord : public VkMessageRecord {
public:
    explicit CJobUpdateRecord(const CJobListData& job) : m_job(job) {}
    CJobListData m_job;
};

// A dialog's request to the job list (JLM_TESTSQL: the statement in text;
// JLM_SAVEJOB: the job, saved through the list's save path; JLM_EVALUATE:
// the query in text). The answer comes later: to
// callback when it is set, else posted to replyTo as a message of the same
// number carrying a CJobDialogReplyRecord. A reply that does not come in
// time says "Timed out waiting for a response.".
class CJobDialogRequestRecord : public VkMessageRecord {
public:
    std::string m_text;
    CJobListData m_job; // a number the list does not show saves a new job
    std::string m_schema;
    TwReplyCallback m_callback;
    QPointer<QObject> m_replyTo;
};

class CJobDialogReplyRecord : public VkMessageRecord {
public:
    TwRequestOutcome m_outcome; // number: the saved job; evaluation: the row
};
