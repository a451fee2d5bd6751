#pragma once
// How a queue gets and changes its connection and properties: the connect
// operation (with or without the queue logon dialog), the reconnect
// operation that retries with the stored details, and the properties
// operation. Dialogs go through the modal service.

#include "platform/WinTypes.h"

class CJobListCtrl;
class CSchedulerMainDlg;

class CQueueConnection {
public:
    // Asks for the details first when askForDetails is set (Cancel: false,
    // nothing changed), then posts a connect request. False also when the
    // worker cannot be started. The logon's outcome arrives later in the
    // status bar.
    static bool Connect(CJobListCtrl& list, bool askForDetails);
    // Connects again with the stored details, only when not connected (not
    // while connecting, nor when connected).
    static bool Reconnect(CJobListCtrl& list);
    // Opens the properties dialog for the queue and applies OK; true on OK.
    static bool Properties(CSchedulerMainDlg& queue);

    // Carries out the list's "Change connection..." and "Properties..."
    // commands from now on.
    static void Attach(CSchedulerMainDlg& queue);
    // One command of the list; false when it is not one of these.
    static bool OnCommand(CSchedulerMainDlg& queue, UINT command);
};
