#pragma once
// Copying what differs between two compared queues, one way: jobs the
// target lacks are created there through the copy path (the copy dialog,
// then one save at a time, as a paste), and matched jobs whose interval,
// next date or broken flag differ are changed in place through the target's
// save path after one question. The plan is made without a window.

#include "controls/CJobListData.h"
#include "controls/CJobQueueDiff.h"

#include <functional>
#include <vector>

class CJobListCtrl;
class QWidget;

class CQueueCompareCopy {
public:
    struct Plan {
        std::vector<CJobListData> create; // source records
        // Source records carrying the target job's number; unbreak: the
        // target's job is broken and the source's is not.
        std::vector<CJobListData> change;
        std::vector<bool> unbreak;
        bool Empty() const { return create.empty() && change.empty(); }
    };

    // What copying the chosen rows (indexes into rows) towards the right
    // (or the left) does. Rows without a source job, the same on both sides,
    // or differing in the schema alone (which a change cannot move) add
    // nothing.
    static Plan Build(const std::vector<CJobDiffRow>& rows, const std::vector<int>& chosen,
                      const std::vector<CJobListData>& left, const std::vector<CJobListData>& right, bool toRight);

    // Carries the plan out on target (source names the copy's origin);
    // never waits. finished is called once everything was tried or
    // declined. False when nothing was started.
    static bool Start(const Plan& plan, CJobListCtrl& source, CJobListCtrl& target, QWidget* owner,
                      std::function<void()> finished = {});
};
