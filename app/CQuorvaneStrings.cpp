#include "app/CQuorvaneStrings.h"

const VkStringTable& QvStrings()
{
    static const VkStringTable table{
        // Shell commands.
        {32818, "Create new Quorvane Palette\n New Palette"},
        {32816, "Open existing Quorvane Palette\nOpen Palette"},
        {32822, "Save current Quorvane Palette\nSave Palette"},
        {32817, "Save current Quorvane Palette to new file\nSave Palette As"},
        {32820, "View/Modify Palette settings\nPalette Settings"},
        {57600, "Connect to a new job queue\nConnect job queue"},
        {57601, "Open an existing document\nOpen"},
        {57606, "Change the printer and printing options\nPrint Setup"},
        {57665, "Quit the application; prompts to save documents\nExit"},
        {59392, "Show or hide the toolbar\nToggle ToolBar"},
        {59393, "Show or hide the status bar\nToggle StatusBar"},
        {1067, "Show or hide the Oracle Explorer window\nShow/Hide Explorer"},
        {32790, "Open a window that runs SQL on a database and shows the rows\nSQL Grid"},
        {141, "Refresh all job queues\nRefresh All"},
        {138, "Close all job queues\nClose All Queues"},
        {32784, "Automatically tile windows as the application is resized\nAuto Tile"},
        {57667, "List Help topics\nHelp Topics"},
        {57670, "Display help for current task or command\nHelp"},
        {57669, "Display help for clicked on buttons, menus and windows\nHelp"},
        {57664, "Display program information, version number and copyright\nAbout"},
        // Messages.
        {1008, "This queue is logged on. Are you sure you want to close it now?"},
        {1009, "The queue could not be read from \"%s\": the file is damaged or is not a saved queue."},
        {1010, "The queue could not be written to \"%s\"."},
        {1011, "Usage: quorvane [options]\n"
               "Administers Oracle job queues; the last palette opens at start-up.\n"
               "\n"
               "  -nologo                     start without the splash window\n"
               "  --screenshot FILE           open the last palette, wait until its queues have logged on\n"
               "                              (at most 20 seconds), save a picture of the main window\n"
               "                              as FILE (PNG), print each window's title and, for a\n"
               "                              queue, its number of jobs (tab-separated), and quit\n"
               "  --write-demo-palette [FILE] unless a last palette exists, write the demo palette\n"
               "                              (DEMO and LEGACY as scott/tiger) to FILE or to\n"
               "                              Demo.qvp in the documents folder, make it the last\n"
               "                              palette, and quit\n"
               "  --version                   print the version and quit\n"
               "  --help                      print this help and quit\n"
               "\n"
               "Data (settings, demo Oracle home, palettes) lives under $QUORVANE_ROOT,\n"
               "or ~/.local/share/quorvane when it is not set.\n"},
        {1012, "Demo"},
        {1013, "the job scheduler control is not registered (run scripts/provision.sh)"},
        {1014, "Demo.qvp"},
        {1015, "The SQL grid control is not registered, so no grid window can open. Run scripts/provision.sh."},
        // Queue commands.
        {133, "Refresh the active job queue now\nRefresh"},
        {1057, "Disconnect the active job queue\nDisconnect Queue"},
        {1058, "Reconnect active job queue using existing settings\nReconnect Queue"},
        {1059, "Change connection for the active job queue (queue must be disconnected\nReconnect Queue"},
        {32771, "Export all or a selection of the jobs in  the active job queue to file\nExport job queue"},
        {32772, "Import jobs from a local file\nImport jobs"},
        {32773, "Show/Modify the properties of the active job queue\nQueue Properties"},
        {32774, "Stop all the jobs in the active job queue\nStop all jobs"},
        {32775, "Create a new job in the active job queue\nCreate new job"},
        {32776, "Create a new job in the active job queue using Wizard\nNew job Wizard"},
        {32777, "Export the selected job(s) in the active job queue\nExport Jobs"},
        {32778, "Run the selected job(s) in the active job queue\nRun selected jobs"},
        {32779, "Mark the selected job(s) in the active job queue as Broken or Normal\nBreak or unbreak selected jobs"},
        {32781, "Modify the selected job in the active job queue\nModify selected job"},
        {32792, "Stop the selected running job so that it does not start again at once, then put back its "
                "broken flag and next date\nStop safely"},
        {32793, "Compare the jobs of the active queue with those of another open queue\nCompare queues"},
        {32791, "List the next runs of the selected job and check its interval\nForecast runs"},
        {32782, "Delete the selection (prompt)\nDelete"},
        {32783, "Stop all the selected jobs in the active job queue\nStop selected jobs"},
        // The platform's standard commands.
        {57602, "Close the active job queue\nClose Queue"},
        {57603, "Save the active document\nSave"},
        {57604, "Save the active document with a new name\nSave As"},
        {57605, "Change the printing options\nPage Setup"},
        {57607, "Print the active document\nPrint"},
        {57609, "Display full pages\nPrint Preview"},
        {57632, "Erase the selection\nErase"},
        {57633, "Erase everything\nErase All"},
        {57634, "Copy the selection and put it on the Clipboard\nCopy"},
        {57635, "Cut the selection and put it on the Clipboard\nCut"},
        {57636, "Find the specified text\nFind"},
        {57637, "Insert Clipboard contents\nPaste"},
        {57640, "Repeat the last action\nRepeat"},
        {57641, "Replace specific text with different text\nReplace"},
        {57642, "Select the entire document\nSelect All"},
        {57643, "Undo the last action\nUndo"},
        {57644, "Redo the previously undone action\nRedo"},
        {57648, "Open another window for the active document\nNew Window"},
        {57649, "Arrange icons at the bottom of the window\nArrange Icons"},
        {57650, "Arrange windows so they overlap\nCascade Windows"},
        {57651, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {57652, "Arrange windows as non-overlapping tiles\nTile Windows"},
        {57653, "Split the active window into panes\nSplit"},
        {57666, "Opens Help\nHelp Topics"},
        {57668, "Display instructions about how to use help\nHelp"},
        {57680, "Switch to the next window pane\nNext Pane"},
        {57681, "Switch back to the previous window pane\nPrevious Pane"},
        {57344, "Quorvane"},
        {57345, "For Help, press F1"},
        {57346, "Select an object on which to get Help"},
        {59137, "CAP"},
        {59138, "NUM"},
        {59139, "SCRL"},
        {61184, "Change the window size"},
        {61185, "Change the window position"},
        {61186, "Reduce the window to an icon"},
        {61187, "Enlarge the window to full size"},
        {61188, "Switch to the next document window"},
        {61189, "Switch to the previous document window"},
        {61190, "Close the active window and prompts to save the documents"},
        {61202, "Restore the window to normal size"},
        {61203, "Activate Task List"},
        {61445, "Close print preview mode\nCancel Preview"},
    };
    return table;
}
