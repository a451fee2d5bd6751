#pragma once
// The grid view module's string table.

#include "generic/VkStringTable.h"

#include <QString>

enum TwQlVwStringId : UINT {
    IDS_GV_TIMED_OUT = 354,
    IDS_GV_NO_CLIENT = 358,
    IDS_GV_NO_DETAILS = 371,

    IDS_GV_CAPTION = 400, // caption of the grid's message boxes
    IDS_GV_CONNECTING,
    IDS_GV_CONNECTED,
    IDS_GV_NOT_CONNECTED_TIP,
    IDS_GV_DISCONNECTED,
    IDS_GV_NOT_CONNECTED,
    IDS_GV_RUNNING_SQL,
    IDS_GV_RETRIEVED,
    IDS_GV_FETCH_LIMIT,
    IDS_GV_STOPPED,
    IDS_GV_ABORTED,
    IDS_GV_PAUSED,
    IDS_GV_PROCESSING_CELL,
    IDS_GV_CELL_ERROR,
    IDS_GV_CELL_EMPTY,
    IDS_GV_DUPLICATE_COLUMNS,
    IDS_GV_STILL_WAITING,
    IDS_GV_DEFAULT_SQL,
    IDS_GV_DEFAULT_TITLE,
    IDS_GV_SQL_SET_SCHEMA,
    IDS_GV_EXECUTED,
};

const VkStringTable& TwQlVwStrings();
QString TwQlVwString(UINT id);
