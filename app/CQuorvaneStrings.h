#pragma once
// The program's string table: command prompts and the program's messages.

#include "generic/VkStringTable.h"

constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDR_QUEUETYPE = 127;
constexpr UINT IDR_GRIDTYPE = 129;
constexpr UINT IDS_QV_FRAME_TITLE = 57344;
constexpr UINT IDS_QV_CLOSE_LOGGED_ON = 1008;
constexpr UINT IDS_QV_BAD_QUEUE_FILE = 1009;
constexpr UINT IDS_QV_QUEUE_WRITE_FAILED = 1010;
constexpr UINT IDS_QV_USAGE = 1011;
constexpr UINT IDS_QV_DEMO_TITLE = 1012;
constexpr UINT IDS_QV_DEMO_NO_CONTROL = 1013;
constexpr UINT IDS_QV_DEMO_FILE = 1014;
constexpr UINT IDS_QV_GRID_NO_CONTROL = 1015;

const VkStringTable& QvStrings();
