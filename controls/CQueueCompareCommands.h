#pragma once
// The job list's "Compare With..." command: the open queues of the process
// (every queue window's control lives in this module), the choice of the
// other queue and the compare dialog.

#include <vector>

class CJobListCtrl;

class CQueueCompareCommands {
public:
    // Makes list one of the open queues and handles its compare command.
    static void Attach(CJobListCtrl& list);
    // The open queues other than list, in the order they were opened.
    static std::vector<CJobListCtrl*> OtherQueues(const CJobListCtrl& list);
    // The compare dialog for list, or a message when no other queue is
    // open; false when no dialog was shown.
    static bool Compare(CJobListCtrl& list);
};
