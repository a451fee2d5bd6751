// The job actions' decisions: the question for a selection, the requests a
// Yes posts, and the order of hold, question and requests.

#include "controls/CJobActions.h"
#include "controls/CJobListMenu.h"
#include "controls/CJobQueueMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CJobListData Job(LONG number, bool broken = false, bool running = false)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = "p" + std::to_string(number) + ";";
    job.m_broken = broken;
    job.m_running = running ? 1 : 0;
    return job;
}

// A selection written as one letter per job: u unbroken, b broken,
// r running (unbroken), x broken and running.
std::vector<CJobListData> Selection(const std::string& kinds)
{
    std::vector<CJobListData> jobs;
    LONG number = 10;
    for (char kind : kinds)
        jobs.push_back(Job(number++, kind == 'b' || kind == 'x', kind == 'r' || kind == 'x'));
    return jobs;
}

struct QuestionCase {
    CJobAction action;
    const char* selection;
    const char* question;
};

const QuestionCase kQuestions[] = {
    {CJobAction::Run, "u", "Do you want to run this job now?"},
    {CJobAction::Run, "ub", "2 jobs selected.Do you want to run these jobs now."},
    {CJobAction::Run, "", "0 jobs selected.Do you want to run these jobs now."},
    {CJobAction::Remove, "b", "Are you sure you want to remove this job?"},
    {CJobAction::Remove, "uuu", "3 jobs selelected. Are you sure you want to remove these jobs now?"},
    {CJobAction::Remove, "", "0 jobs selelected. Are you sure you want to remove these jobs now?"},
    {CJobAction::Stop, "ruu", "Do you want to stop this job now?"},
    {CJobAction::Stop, "r", "Do you want to stop this job now?"},
    {CJobAction::Stop, "rxu", "2 running jobs selected. Do you want to stop these job now?"},
    {CJobAction::Stop, "uu", "0 running jobs selected. Do you want to stop these job now?"},
    {CJobAction::Stop, "u", "0 running jobs selected. Do you want to stop these job now?"},
    {CJobAction::Break, "u", " Do you want to break this job now?"},
    {CJobAction::Break, "r", " Do you want to break this job now?"},
    {CJobAction::Break, "uuu", "3 jobs selected. Do you want to break these jobs now?"},
    {CJobAction::Break, "b", "1 job selected. Do you want to unbreak this job now?"},
    {CJobAction::Break, "bx", "2 jobs selected. Do you want to unbreak these jobs now?"},
    {CJobAction::Break, "bbu",
     "2 broken jobs and 1 unbroken job selected. Do you want to toggle these job states now?"},
    {CJobAction::Break, "bu",
     "1 broken job and 1 unbroken job selected. Do you want to toggle these job states now?"},
    {CJobAction::Break, "buuu",
     "1 broken job and 3 unbroken jobs selected. Do you want to toggle these job states now?"},
    {CJobAction::Break, "",
     "0 broken jobs and 0 unbroken jobs selected. Do you want to toggle these job states now?"},
    {CJobAction::StopAll, "", "Are you sure you want to stop all the running jobs in this queue?"},
    {CJobAction::StopAll, "rr", "Are you sure you want to stop all the running jobs in this queue?"},
};

TEST(JobActions, QuestionFollowsTheSelection)
{
    for (const QuestionCase& c : kQuestions)
        EXPECT_EQ(CJobActions::Question(c.action, Selection(c.selection)), c.question)
            << "action " << static_cast<int>(c.action) << " on \"" << c.selection << "\"";
}

TEST(JobActions, CommandsMapToActions)
{
    const struct {
        UINT command;
        bool known;
        CJobAction action;
    } cases[] = {
        {ID_JL_RUN, true, CJobAction::Run},         {ID_JL_REMOVE, true, CJobAction::Remove},
        {ID_JL_STOP, true, CJobAction::Stop},       {ID_JL_STOP_ALL, true, CJobAction::StopAll},
        {ID_JL_BREAK, true, CJobAction::Break},     {ID_JL_NEW, false, CJobAction::Run},
        {ID_JL_PROPERTIES, false, CJobAction::Run}, {ID_JL_NONE, false, CJobAction::Run},
    };
    for (const auto& c : cases) {
        CJobAction action = CJobAction::StopAll;
        EXPECT_EQ(CJobActions::FromCommand(c.command, action), c.known) << c.command;
        if (c.known) {
            EXPECT_EQ(action, c.action) << c.command;
        }
    }
}

struct RequestCase {
    CJobAction action;
    const char* selection;
    const char* all;
    LONG kind;
    std::vector<LONG> jobs; // job numbers of the requests, in order
};

TEST(JobActions, RequestsCarryEachSelectedJobInListOrder)
{
    // Selection jobs are numbered from 10, the queue's from 10 as well.
    const RequestCase cases[] = {
        {CJobAction::Run, "ubu", "", ReqRun, {10, 11, 12}},
        {CJobAction::Run, "urx", "", ReqRun, {10}}, // running jobs are not run twice
        {CJobAction::Run, "", "", ReqRun, {}},
        {CJobAction::Remove, "bur", "", ReqRemove, {10, 11, 12}},
        {CJobAction::Remove, "", "uuu", ReqRemove, {}},
        {CJobAction::Stop, "ruu", "", ReqStopJob, {10, 11, 12}}, // also for jobs not running
        {CJobAction::Break, "bbu", "", ReqToggleBroken, {10, 11, 12}},
        {CJobAction::Break, "", "", ReqToggleBroken, {}},
        {CJobAction::StopAll, "u", "urux", ReqStopJob, {11, 13}}, // every running job of the queue
        {CJobAction::StopAll, "", "uu", ReqStopJob, {}},
    };
    for (const RequestCase& c : cases) {
        const auto requests = CJobActions::Requests(c.action, Selection(c.selection), Selection(c.all));
        std::vector<LONG> jobs;
        for (const CJobActionRequest& request : requests) {
            EXPECT_EQ(request.kind, c.kind);
            jobs.push_back(request.job.m_jobNumber);
        }
        EXPECT_EQ(jobs, c.jobs) << "action " << static_cast<int>(c.action) << " on \"" << c.selection << "\"";
    }
}

TEST(JobActions, ToggleRequestsKeepEachJobsOwnBrokenStateForTheWorker)
{
    const auto requests = CJobActions::Requests(CJobAction::Break, Selection("bbu"), {});
    ASSERT_EQ(requests.size(), 3u);
    // The worker sets "FALSE" for a record shown broken and "TRUE" otherwise.
    EXPECT_TRUE(requests[0].job.m_broken);
    EXPECT_TRUE(requests[1].job.m_broken);
    EXPECT_FALSE(requests[2].job.m_broken);
    EXPECT_EQ(requests[2].job, Selection("bbu")[2]); // a whole copy of the row's record
}

class RecordingTarget : public CJobActionTarget {
public:
    std::vector<CJobListData> SelectedJobs() const override
    {
        log.push_back("selected");
        return selected;
    }
    std::vector<CJobListData> AllJobs() const override
    {
        log.push_back("all");
        return all;
    }
    void BeginInteraction() override { log.push_back("begin"); }
    void EndInteraction() override { log.push_back("end"); }
    bool Confirm(const std::string& question) override
    {
        log.push_back("ask " + question);
        return answer;
    }
    bool PostRequest(LONG kind, const CJobListData& job) override
    {
        log.push_back("post " + std::to_string(kind) + " " + std::to_string(job.m_jobNumber));
        return accept;
    }

    std::vector<CJobListData> selected, all;
    bool answer = true;
    bool accept = true;
    mutable std::vector<std::string> log;
};

TEST(JobActions, PerformAsksInsideTheHoldAndPostsOnlyOnYes)
{
    RecordingTarget target;
    target.selected = Selection("bbu");
    EXPECT_EQ(CJobActions::Perform(CJobAction::Break, target), 3);
    EXPECT_EQ(target.log,
              (std::vector<std::string>{
                  "begin", "selected",
                  "ask 2 broken jobs and 1 unbroken job selected. Do you want to toggle these job states now?",
                  "post 9 10", "post 9 11", "post 9 12", "end"}));

    target.log.clear();
    target.answer = false;
    EXPECT_EQ(CJobActions::Perform(CJobAction::Remove, target), -1);
    EXPECT_EQ(target.log, (std::vector<std::string>{
                              "begin", "selected",
                              "ask 3 jobs selelected. Are you sure you want to remove these jobs now?", "end"}));

    // Requests the worker refuses are not counted as posted.
    target.log.clear();
    target.answer = true;
    target.accept = false;
    EXPECT_EQ(CJobActions::Perform(CJobAction::Stop, target), 0);
    EXPECT_EQ(target.log.back(), "end");
}

TEST(JobActions, StopAllStopsTheRunningJobsOfTheWholeQueue)
{
    RecordingTarget target;
    target.selected = Selection("u");
    target.all = Selection("rurx");
    EXPECT_EQ(CJobActions::Perform(CJobAction::StopAll, target), 3);
    EXPECT_EQ(target.log, (std::vector<std::string>{
                              "begin", "selected",
                              "ask Are you sure you want to stop all the running jobs in this queue?", "all",
                              "post 12 10", "post 12 12", "post 12 13", "end"}));
}

TEST(JobActions, NoSelectionAsksAndPostsNothing)
{
    for (CJobAction action : {CJobAction::Run, CJobAction::Remove, CJobAction::Stop, CJobAction::Break}) {
        RecordingTarget target;
        EXPECT_EQ(CJobActions::Perform(action, target), 0);
        ASSERT_EQ(target.log.size(), 4u);
        EXPECT_EQ(target.log[2].rfind("ask 0 ", 0), 0u) << target.log[2];
    }
}

} // namespace
