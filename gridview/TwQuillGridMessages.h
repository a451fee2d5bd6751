#pragma once
// What the grid's worker and the grid say to each other: the request kinds,
// the window messages the worker posts to the grid, and the heap records
// those messages carry. A posted record belongs to the receiving handler
// from the moment it is posted.

#include "generic/VkPostedMessage.h"
#include "platform/WinTypes.h"

#include <string>
#include <vector>

enum TwGridRequestKind : LONG {
    GvReqShutdown = 0,
    GvReqConnect = 1,
    GvReqDisconnect = 2,
    GvReqRefresh = 3,  // the grid's current SQL text
    GvReqRun = 4,      // the text given with the request
    GvReqParse = 5,
    GvReqEvaluate = 6, // parse, execute and fetch one row
    GvReqNothing = 7,  // and higher: only wakes the worker
};

// Run states.
enum TwGridRunState : LONG {
    GvIdle = 1,
    GvRunning = 2,
    GvPaused = 3,
    GvStopRequested = 4,
    GvAbortRequested = 5,
};

constexpr UINT GVM_STATUS = WM_USER + 1000;     // 0, TwGridStatusRecord
constexpr UINT GVM_QUEUE = WM_USER + 1002;      // request kind, none
constexpr UINT GVM_VERSION = WM_USER + 1008;    // 0, TwGridTextRecord
constexpr UINT GVM_SERVERTIME = WM_USER + 1009; // 0, TwGridDateRecord
constexpr UINT GVM_RUNSTATE = WM_USER + 1010;   // new run state
constexpr UINT GVM_NEWRESULT = WM_USER + 1011;  // 0, TwGridResultRecord
constexpr UINT GVM_CELLVALUES = WM_USER + 1012; // 0, TwGridCellValuesRecord

// Status bar images.
enum TwGridStatusImage : LONG {
    IDB_GV_KEEP = 0,
    IDB_GV_CONNECTING = 221, // 5 frames, bouncing
    IDB_GV_DONE = 222,
    IDB_GV_NOT_CONNECTED = 223,
    IDB_GV_BUSY = 225,       // 4 frames, wrapping
    IDB_GV_NO_CLIENT = 2005,
};

class TwGridStatusRecord : public VkMessageRecord {
public:
    bool m_animate = false;
    bool m_bounce = false;
    std::string m_text;
    LONG m_image = IDB_GV_KEEP;
    LONG m_frames = 1;
    std::string m_tip;
};

// One statement's rows, every cell as the grid shows it.
class TwGridResultRecord : public VkMessageRecord {
public:
    std::vector<std::string> m_columns;
    std::vector<std::vector<std::string>> m_rows;
};

// The values cell SQL gave its cells.
class TwGridCellValuesRecord : public VkMessageRecord {
public:
    struct Value {
        int row = 0;
        int column = 0;
        std::string text;
    };
    std::vector<Value> m_values;
};

class TwGridTextRecord : public VkMessageRecord {
public:
    explicit TwGridTextRecord(std::string text) : m_text(std::move(text)) {}
    std::string m_text;
};

class TwGridDateRecord : public VkMessageRecord {
public:
    explicit TwGridDateRecord(DATE date) : m_date(date) {}
    DATE m_date;
};
