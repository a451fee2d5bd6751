#pragma once
// The logon dialog's part of the framework's string table.

#include "framework/TwHostDetails.h"
#include "generic/VkStringTable.h"

#include <QString>

enum TwLogonStringId : UINT {
    IDS_TW_LOGON_NO_NAMES = 10037,
    IDS_TW_LOGON_NAMES_UNAVAILABLE = 10038,
    IDS_TW_LOGON_NAMES_EXCEPTION = 10039,
    IDS_TW_LOGON_HOST_DETAILS = 10040,
    IDS_TW_LOGON_TCP_ADDRESS = 10041,
    IDS_TW_LOGON_IPC_ADDRESS = 10042,
    IDS_TW_LOGON_SID = 10043,
    IDS_TW_LOGON_SERVICE_NAME = 10044,
    IDS_TW_LOGON_NONE = 10045,
    IDS_TW_LOGON_NO_DETAILS = 10046,
    IDS_TW_LOGON_CAPTION = 10100,
    IDS_TW_LOGON_USER,
    IDS_TW_LOGON_PASSWORD,
    IDS_TW_LOGON_HOST,
    IDS_TW_LOGON_REFRESH,
    IDS_TW_LOGON_HELP,
    IDS_TW_LOGON_NO_INFORMATION,
    IDS_TW_LOGON_COLUMN_TITLE,
    IDS_TW_LOGON_COLUMN_USER,
    IDS_TW_LOGON_COLUMN_HOST,
};

const VkStringTable& TwLogonStrings();
QString TwLogonString(UINT id);

// The texts of the host details and load messages from the table.
TwHostDetailsTexts TwLogonHostDetailsTexts();
TwTnsLoadTexts TwLogonLoadTexts();
