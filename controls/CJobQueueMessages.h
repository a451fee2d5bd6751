#pragma once
// What the background query worker and the job list say to each other: the
// request kinds, the window messages the worker posts to the job list, and
// the heap records those messages carry. A posted record belongs to the
// receiving handler from the moment it is posted.

#include "controls/CJobListData.h"
#include "generic/VkPostedMessage.h"

#include <string>
#include <vector>

enum CJobRequestKind : LONG {
    ReqShutdown = 0,
    ReqConnect = 1,
    ReqDisconnect = 2,
    ReqRefresh = 3,
    ReqSubmit = 4,
    ReqRemove = 5,
    ReqChange = 6,
    ReqRun = 7,
    ReqUnused = 8,
    ReqToggleBroken = 9,
    ReqParse = 10,
    ReqEvaluate = 11,
    ReqStopJob = 12,
};

constexpr UINT JLM_STATUS = WM_USER + 1000;      // 0, CJobStatusRecord
constexpr UINT JLM_NEWLIST = WM_USER + 1001;     // 0, CJobNewListRecord or none
constexpr UINT JLM_QUEUE = WM_USER + 1002;       // request kind, CJobTextRecord or none
constexpr UINT JLM_JOBUPDATE = WM_USER + 1003;   // column (13 all), CJobUpdateRecord
constexpr UINT JLM_JOBREMOVED = WM_USER + 1004;  // job number
constexpr UINT JLM_TESTSQL = WM_USER + 1005;     // sent by dialogs
constexpr UINT JLM_SAVEJOB = WM_USER + 1006;     // sent by dialogs
constexpr UINT JLM_EVALUATE = WM_USER + 1007;    // sent by dialogs
constexpr UINT JLM_VERSION = WM_USER + 1008;     // 0, CJobTextRecord
constexpr UINT JLM_SERVERTIME = WM_USER + 1009;  // 0, CJobDateRecord

// JLM_JOBUPDATE's column number for "every column".
constexpr WPARAM JLM_ALL_COLUMNS = 13;

// Status bar images.
enum CJobStatusImage : LONG {
    IDB_JW_KEEP = 0,
    IDB_JW_CONNECTING = 221, // 5 frames, bouncing
    IDB_JW_DONE = 222,
    IDB_JW_NOT_CONNECTED = 223,
    IDB_JW_BUSY = 225,       // 4 frames, wrapping
    IDB_JW_NO_CLIENT = 2005,
};

class CJobStatusRecord : public VkMessageRecord {
public:
    bool m_animate = false;
    bool m_bounce = false;  // runs forward and back instead of wrapping
    std::string m_text;     // status pane text and tip
    LONG m_image = IDB_JW_KEEP;
    LONG m_frames = 1;      // frames side by side in the image
    std::string m_tip;      // tip of the image pane
};

// A freshly read job list, in the server's order.
class CJobNewListRecord : public VkMessageRecord {
public:
    std::vector<CJobListData> m_jobs;
};

class CJobTextRecord : public VkMessageRecord {
public:
    explicit CJobTextRecord(std::string text) : m_text(std::move(text)) {}
    std::string m_text;
};

class CJobUpdateRecord : public VkMessageRecord {
public:
    explicit CJobUpdateRecord(const CJobListData& job) : m_job(job) {}
    CJobListData m_job;
};

// An automation date.
class CJobDateRecord : public VkMessageRecord {
public:
    explicit CJobDateRecord(DATE date) : m_date(date) {}
    DATE m_date;
};
