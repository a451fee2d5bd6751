#pragma once
// The job list's Stop Safely command: asks how the job should be left,
// then runs one safe stop at a time per list, its steps on the status bar.
// Choosing the command again while one is under way offers to cancel it.

#include "platform/WinTypes.h"

class CJobListCtrl;

class CJobSafeStopCommands {
public:
    // Carries out the list's Stop Safely command from now on.
    static void Attach(CJobListCtrl& list);
    // The command for the first selected job; false when it was not started.
    static bool StopSafely(CJobListCtrl& list);
};
