#include "gridview/TwQlVwStrings.h"

const VkStringTable& TwQlVwStrings()
{
    static const VkStringTable table{
        {IDS_GV_TIMED_OUT, "Timed out waiting for a response."},
        {IDS_GV_NO_CLIENT,
         "Oracle client not installed or corrupt. OCIW32.DLL is not available - please correct and retry."},
        {IDS_GV_NO_DETAILS,
         "Right-click on grid and select 'Change Connection...' to specify new connection details."},
        {IDS_GV_CAPTION, "Tarnwick"},
        {IDS_GV_CONNECTING, "Connecting (host is \"%s\")"},
        {IDS_GV_CONNECTED, "Connected"},
        {IDS_GV_NOT_CONNECTED_TIP, "Not connected. Double-click here to retry."},
        {IDS_GV_DISCONNECTED, "Disconnected"},
        {IDS_GV_NOT_CONNECTED, "Not connected"},
        {IDS_GV_RUNNING_SQL, "Running SQL"},
        {IDS_GV_RETRIEVED, "Retrieved %ld rows"},
        {IDS_GV_FETCH_LIMIT, " (fetch limit is %ld)"},
        {IDS_GV_STOPPED, " - Stopped"},
        {IDS_GV_ABORTED, "Operation Aborted"},
        {IDS_GV_PAUSED, "Paused"},
        {IDS_GV_PROCESSING_CELL, "Processing Cell SQL: %s"},
        {IDS_GV_CELL_ERROR, "ERROR"},
        {IDS_GV_CELL_EMPTY, "-"},
        {IDS_GV_DUPLICATE_COLUMNS,
         "Warning: You have defined a SQL statment where two or more columns have the same name. Tabulon may "
         "have difficulty performing CELL SQL calculations on this SQL and recommends that each column is given "
         "a unique name."},
        {IDS_GV_STILL_WAITING,
         "Still waiting for a thread to terminate.\nSelect 'Retry' to continue waiting. Select 'Cancel' to "
         "terminate the thread."},
        {IDS_GV_DEFAULT_SQL, "Select * from scott.emp"},
        {IDS_GV_DEFAULT_TITLE, "Untitled"},
        {IDS_GV_SQL_SET_SCHEMA, "ALTER SESSION SET CURRENT_SCHEMA=%s"},
        {IDS_GV_EXECUTED, "Statement executed"},

        {IDS_GV_PROP_TITLE, "Properties"},
        {IDS_GV_PROP_REFRESH_GROUP, "Refresh Settings (Monitor mode)"},
        {IDS_GV_PROP_MANUAL, "&Manual"},
        {IDS_GV_PROP_FIXED, "&Fixed Interval"},
        {IDS_GV_PROP_TIMEOUT, "&Timeout (seconds): "},
        {IDS_GV_PROP_LIMITS_GROUP, "Limits"},
        {IDS_GV_PROP_LIMIT_ROWS, "Limit the number of rows processed"},
        {IDS_GV_PROP_MAX_ROWS, "Maximum Rows:"},
        {IDS_GV_PROP_MISC_GROUP, "Miscellaneous"},
        {IDS_GV_PROP_VIEW_TITLE, "Title:"},
        {IDS_GV_PROP_SHOW_STATUS, "Show status bar"},
        {IDS_GV_PROP_SHOW_ALERTS, "Show Alerts indicators"},
        {IDS_GV_PROP_NOTE,
         "NOTE: For best performance, avoid low timeout intervals. You can refresh at any time by pressing F5."},

        {IDS_GV_CELL_TITLE, "Cell PL/SQL"},
        {IDS_GV_CELL_TEXT, "&Cell Text:"},
        {IDS_GV_CELL_DESCRIPTION, "&Description:"},
        {IDS_GV_CELL_CODE, "&Enter PL/SQL Code:"},
        {IDS_GV_CELL_SAVE, "Save"},
        {IDS_GV_CELL_CANCEL, "Cancel"},
        {IDS_GV_CELL_DELETE, "Delete"},
        {IDS_GV_CELL_HELP, "Help"},
        {IDS_GV_CELL_ALERTS, "&Alerts..."},

        {IDS_GV_MENU_CONNECTION, "Change Connection..."},
        {IDS_GV_MENU_CELL_SQL, "Cell PL/SQL..."},
        {IDS_GV_MENU_REFRESH, "Refresh\tF5"},
        {IDS_GV_MENU_PROPERTIES, "Properties..."},
        {IDS_GV_MENU_HELP, "Help"},

        {IDS_GV_HELP_FILE, "..\\help\\twqlvw.chm"},
        {IDS_GV_HELP_GRID_TOPIC, "text\\GridView.txt"},
        {IDS_GV_HELP_CELL_TOPIC, "text\\CellSql.txt"},
    };
    return table;
}

QString TwQlVwString(UINT id)
{
    return QString::fromStdString(TwQlVwStrings().Load(id));
}
