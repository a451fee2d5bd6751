// Pasting a jobs block: the copy question, "Make broken", one save per
// record with the last one marked, and the refresh afterwards.

#include "controls/CJobClipboard.h"
#include "controls/CJobPaste.h"

#include <gtest/gtest.h>

namespace {

CJobListData Job(LONG number, bool broken = false)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = "p" + std::to_string(number) + ";";
    job.m_broken = broken;
    return job;
}

QByteArray Block(const std::string& host, const std::vector<CJobListData>& jobs)
{
    CJobTransferList list;
    list.m_sourceHost = host;
    for (const CJobListData& job : jobs)
        list.Add(job);
    return CJobClipboard::Write(list);
}

class FakeQueue : public CJobPasteTarget {
public:
    std::string Host() const override { return "TARGET"; }
    CJobCopyChoice AskCopy(size_t count, const std::string& from, const std::string& to) override
    {
        log.push_back("ask " + std::to_string(count) + " " + from + " -> " + to);
        return choice;
    }
    void BeginWait() override { log.push_back("wait"); }
    void EndWait() override { log.push_back("done"); }
    bool SaveNewJob(const CJobListData& job, std::function<void(LONG)> done) override
    {
        log.push_back("save " + std::to_string(job.m_jobNumber) + (job.m_broken ? " broken" : ""));
        if (refuseSaves)
            return false;
        // Answered later, as the worker would.
        pending.push_back([done, number = failSaves ? 0 : ++nextNumber] { done(number); });
        return true;
    }
    // Answers the saves one at a time; each answer may queue the next save.
    void AnswerAll()
    {
        while (!pending.empty()) {
            auto answer = std::move(pending.front());
            pending.erase(pending.begin());
            log.push_back("answer");
            answer();
        }
    }
    bool RequestRefresh() override
    {
        log.push_back("refresh");
        return true;
    }

    CJobCopyChoice choice{true, false};
    bool failSaves = false;
    bool refuseSaves = false;
    LONG nextNumber = 100;
    std::vector<std::function<void()>> pending;
    std::vector<std::string> log;
};

TEST(JobPaste, SavesEachRecordAsANewJobThenRefreshes)
{
    const struct {
        const char* name;
        CJobCopyChoice choice;
        bool failSaves;
        bool refuseSaves;
        bool result;
        std::vector<std::string> log;
    } cases[] = {
        {"copied as they were", {true, false}, false, false, true,
         {"ask 3 SOURCE -> TARGET", "wait", "save 4", "answer", "save 2 broken", "answer", "save 9", "answer",
          "refresh", "done", "finished"}},
        {"made broken", {true, true}, false, false, true,
         {"ask 3 SOURCE -> TARGET", "wait", "save 4 broken", "answer", "save 2 broken", "answer", "save 9 broken",
          "answer", "refresh", "done", "finished"}},
        {"every save failing still refreshes", {true, false}, true, false, true,
         {"ask 3 SOURCE -> TARGET", "wait", "save 4", "answer", "save 2 broken", "answer", "save 9", "answer",
          "refresh", "done", "finished"}},
        {"saves that cannot be queued are passed over", {true, false}, false, true, true,
         {"ask 3 SOURCE -> TARGET", "wait", "save 4", "save 2 broken", "save 9", "refresh", "done", "finished"}},
        {"cancelled", {false, true}, false, false, false, {"ask 3 SOURCE -> TARGET"}},
    };
    const QByteArray block = Block("SOURCE", {Job(4), Job(2, true), Job(9)});
    for (const auto& c : cases) {
        FakeQueue queue;
        queue.choice = c.choice;
        queue.failSaves = c.failSaves;
        queue.refuseSaves = c.refuseSaves;
        EXPECT_EQ(CJobPaste::PasteRecords(block, queue, [&] { queue.log.push_back("finished"); }), c.result)
            << c.name;
        // Nothing more happens before the first answer: the interface never waits.
        if (c.result && !c.refuseSaves) {
            EXPECT_EQ(queue.log.back(), "save 4" + std::string(c.choice.makeBroken ? " broken" : "")) << c.name;
        }
        queue.AnswerAll();
        EXPECT_EQ(queue.log, c.log) << c.name;
    }
}

TEST(JobPaste, BlocksWithoutJobsAskNothing)
{
    for (const QByteArray& block : {Block("SOURCE", {}), Block("SOURCE", {Job(1)}).left(20), QByteArray("junk")}) {
        FakeQueue queue;
        EXPECT_FALSE(CJobPaste::PasteRecords(block, queue));
        EXPECT_TRUE(queue.log.empty());
    }
}

} // namespace
