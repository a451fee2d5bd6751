#pragma once
// Two job queues side by side: which jobs are the same job in both (by what
// they run, and by number where the numbers agree), which exist on one side
// only, and which fields of a matched pair differ. No window, no server.

#include "controls/CJobListData.h"

#include <string>
#include <vector>

enum class CJobDiffKind { Matched, OnlyLeft, OnlyRight };

// Fields of a matched pair that differ (a bit set).
enum CJobDiffField : unsigned {
    JobDiffNone = 0,
    JobDiffInterval = 1,
    JobDiffNextDate = 2,
    JobDiffBroken = 4,
    JobDiffSchema = 8,
};

struct CJobDiffRow {
    CJobDiffKind kind = CJobDiffKind::Matched;
    int left = -1;  // index into the left queue's jobs, -1 for none
    int right = -1; // index into the right queue's jobs, -1 for none
    unsigned fields = JobDiffNone;

    // Anything to copy or report: a one-sided job or a field that differs.
    bool Differs() const { return kind != CJobDiffKind::Matched || fields != JobDiffNone; }
};

class CJobQueueDiff {
public:
    // Pairs every job of left with at most one of right. Jobs pair when
    // their what texts are the same (blanks at the ends aside): first those
    // whose numbers agree too, then, among several jobs with one text, the
    // pair with the fewest differing fields, in list order. Rows follow the
    // left queue's order; jobs of the right queue alone come last, in its
    // order.
    static std::vector<CJobDiffRow> Compare(const std::vector<CJobListData>& left,
                                            const std::vector<CJobListData>& right);

    // The fields that differ between two jobs: intervals compared after
    // the save path's normalisation, next dates to the second, schemas
    // without regard to case.
    static unsigned Differences(const CJobListData& left, const CJobListData& right);

    // The key jobs are matched by.
    static std::string WhatKey(const std::string& what);
};
