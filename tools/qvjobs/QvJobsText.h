#pragma once
// How qvjobs writes jobs, dates and differences: plain text that scripts
// can read, the same in every locale.

#include "controls/CJobListData.h"
#include "controls/CJobQueueDiff.h"

#include <ostream>
#include <string>
#include <vector>

class QvJobsText {
public:
    // "YYYY-MM-DD HH24:MI:SS"; empty for no date (0) or one out of range.
    static std::string Date(DATE date);
    // Line breaks and tabs as blanks, so that a job is one line.
    static std::string OneLine(const std::string& text);
    // The jobs, a heading line first; tab-separated with tsv, else in
    // aligned columns (the what text last, whole).
    static void List(std::ostream& out, const std::vector<CJobListData>& jobs, bool tsv);
    // One line a row ('=', '~', '<', '>', the two numbers, the what text,
    // then each differing field as "name: left | right"), then the summary.
    static void Diff(std::ostream& out, const std::vector<CJobListData>& left, const std::vector<CJobListData>& right,
                     const std::vector<CJobDiffRow>& rows);
};
