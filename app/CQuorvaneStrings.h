#pragma once
// The program's string table: command prompts and the program's messages.

#include "generic/VkStringTable.h"

constexpr UINT IDR_MAINFRAME = 128;
constexpr UINT IDR_QUEUETYPE = 127;
constexpr UINT IDS_QV_FRAME_TITLE = 57344;

const VkStringTable& QvStrings();
