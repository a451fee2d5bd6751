#include "framework/TwLogonStrings.h"

const VkStringTable& TwLogonStrings()
{
    static const VkStringTable table{
        {IDS_TW_LOGON_NO_NAMES,
         "No names available in TNSNAMES.ORA file (located in '%s'). Please correct and press 'Refresh'."},
        {IDS_TW_LOGON_NAMES_UNAVAILABLE,
         "TNSNAMES.ORA file is unavailable or corrupt (searched in '%s' and '%s'). No hostnames could be loaded. "
         "Please correct and press 'Refresh'. "},
        {IDS_TW_LOGON_NAMES_EXCEPTION, "Exception while accessing TNSNAMES.ORA file."},
        {IDS_TW_LOGON_HOST_DETAILS, "Host details:\n\n"},
        {IDS_TW_LOGON_TCP_ADDRESS, "Address: TCP (port %ld) on %s\n"},
        {IDS_TW_LOGON_IPC_ADDRESS, "Address: IPC (key %s)\n"},
        {IDS_TW_LOGON_SID, "SID: %s\n"},
        {IDS_TW_LOGON_SERVICE_NAME, "Service Name: %s\n"},
        {IDS_TW_LOGON_NONE, "<none>"},
        {IDS_TW_LOGON_NO_DETAILS, "No details available."},
        {IDS_TW_LOGON_CAPTION, "Logon"},
        {IDS_TW_LOGON_USER, "&User:"},
        {IDS_TW_LOGON_PASSWORD, "&Password:"},
        {IDS_TW_LOGON_HOST, "&Host:"},
        {IDS_TW_LOGON_REFRESH, "&Refresh"},
        {IDS_TW_LOGON_HELP, "Help"},
        {IDS_TW_LOGON_NO_INFORMATION, "No information"},
        {IDS_TW_LOGON_COLUMN_TITLE, "Title"},
        {IDS_TW_LOGON_COLUMN_USER, "Username"},
        {IDS_TW_LOGON_COLUMN_HOST, "Host"},
    };
    return table;
}

QString TwLogonString(UINT id) { return QString::fromStdString(TwLogonStrings().Load(id)); }

TwHostDetailsTexts TwLogonHostDetailsTexts()
{
    const VkStringTable& t = TwLogonStrings();
    return {t.Load(IDS_TW_LOGON_HOST_DETAILS), t.Load(IDS_TW_LOGON_TCP_ADDRESS), t.Load(IDS_TW_LOGON_IPC_ADDRESS),
            t.Load(IDS_TW_LOGON_SID),          t.Load(IDS_TW_LOGON_SERVICE_NAME), t.Load(IDS_TW_LOGON_NONE),
            t.Load(IDS_TW_LOGON_NO_DETAILS)};
}

TwTnsLoadTexts TwLogonLoadTexts()
{
    const VkStringTable& t = TwLogonStrings();
    return {t.Load(IDS_TW_LOGON_NO_NAMES), t.Load(IDS_TW_LOGON_NAMES_UNAVAILABLE),
            t.Load(IDS_TW_LOGON_NAMES_EXCEPTION)};
}
