#pragma once
// Opens the job detail dialog for the list's New and View / Modify
// commands, and the forecast dialog, through the modal service.

#include "platform/WinTypes.h"

class CJobListCtrl;

class CJobDetailCommands {
public:
    // Carries out the list's New and View / Modify commands from now on.
    static void Attach(CJobListCtrl& list);
    // One command of the list; false when it is not one of these.
    static bool OnCommand(CJobListCtrl& list, UINT command);
    // The dialog for a new job; its modal result.
    static int New(CJobListCtrl& list);
    // The dialog for the first selected job; Rejected when none is selected.
    static int Modify(CJobListCtrl& list);
    // The forecast of the first selected job's runs; a fix it offers
    // changes the job on the server. Rejected when none is selected.
    static int Forecast(CJobListCtrl& list);
};
