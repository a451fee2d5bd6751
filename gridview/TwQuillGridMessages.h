#pragma once
// What the grid's worker and the grid say to each other: the request kinds,
// the window messages the worker posts to the grid, and the heap records
// those messages carry. A posted record belongs to the receiving handler
// from the moment it is posted.

#include "framework/TwRequestWorker.h"
#include "generic/VkPostedMessage.h"
#include "platform/WinTypes.h"

#include <string>
#include <vector>

enum TwGridRequestKind : LONG {
    GvReqShutdown = TwRequestWorker::kShutdown,
    GvReqConnect = TwRequestWorker::kConnect,
    GvReqDisconnect = TwRequestWorker::kDisconnect,
    GvReqRefresh = TwRequestWorker::kRefresh, // the grid's current SQL text
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

constexpr UINT GVM_STATUS = TWM_STATUS;         // 0, TwGridStatusRecord
constexpr UINT GVM_QUEUE = TWM_QUEUE;           // request kind, none
constexpr UINT GVM_VERSION = TWM_VERSION;       // 0, TwGridTextRecord
constexpr UINT GVM_SERVERTIME = TWM_SERVERTIME; // 0, TwGridDateRecord
constexpr UINT GVM_RUNSTATE = WM_USER + 1010;   // new run state
constexpr UINT GVM_NEWRESULT = WM_USER + 1011;  // 0, TwGridResultRecord
constexpr UINT GVM_CELLVALUES = WM_USER + 1012; // 0, TwGridCellValuesRecord

using TwGridStatusRecord = TwStatusRecord;
using TwGridTextRecord = TwTextRecord;
using TwGridDateRecord = TwDateRecord;

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
