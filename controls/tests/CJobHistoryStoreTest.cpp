// The run history file: what it keeps, its bounds per queue, a damaged or
// unusable file, and the worker's recorder on top of it.

#include "controls/CJobHistoryRecorder.h"
#include "controls/CJobHistoryStore.h"
#include "testsupport/TestLocale.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace {

constexpr DATE kDay0 = 46000.0;

CJobObservation Obs(LONG job, DATE observed, LONG total = 0)
{
    CJobObservation o;
    o.job = job;
    o.observed = observed;
    o.lastDate = observed - 0.01;
    o.nextDate = observed + 1;
    o.totalTime = total;
    o.failures = 2;
    o.broken = true;
    o.whatHash = 0xFFFFFFF0u; // above the signed range
    return o;
}

std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::filesystem::path& file, const std::string& bytes)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

CJobListData Job(LONG number, DATE last, LONG failures = 0, LONG total = 0, bool broken = false)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_lastDate = last;
    job.m_failures = failures;
    job.m_totalTime = total;
    job.m_broken = broken;
    job.m_what = "p;";
    return job;
}

class HistoryStore : public qvtest::FreshRootTest {};

} // namespace

TEST_F(HistoryStore, KeepsEachQueuesObservationsInOrder)
{
    const std::filesystem::path file = CJobHistoryStore::DefaultPath();
    EXPECT_EQ(file, root() / "history" / "runs.db");
    CJobHistoryStore store;
    ASSERT_TRUE(store.Open(file)) << store.Problem();
    const std::string a = CJobHistoryStore::QueueKey("demo", "scott");
    const std::string b = CJobHistoryStore::QueueKey("LEGACY", "scott");
    ASSERT_TRUE(store.Record(a, {Obs(1, kDay0), Obs(2, kDay0)}));
    ASSERT_TRUE(store.Record(a, {Obs(1, kDay0 + 0.1, 5), CJobObservation::Gone(2, kDay0 + 0.1)}));
    ASSERT_TRUE(store.Record(b, {Obs(1, kDay0 + 0.2, 9)}));

    const std::vector<CJobObservation> one = store.Load(a, 1);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].observed, kDay0);
    EXPECT_EQ(one[1].totalTime, 5);
    EXPECT_EQ(one[1].lastDate, kDay0 + 0.1 - 0.01);
    EXPECT_EQ(one[1].nextDate, kDay0 + 1.1);
    EXPECT_EQ(one[1].failures, 2);
    EXPECT_TRUE(one[1].broken);
    EXPECT_EQ(one[1].whatHash, 0xFFFFFFF0u);
    const std::vector<CJobObservation> latest = store.Latest(a);
    ASSERT_EQ(latest.size(), 2u);
    EXPECT_EQ(latest[0].totalTime, 5);
    EXPECT_TRUE(latest[1].gone);
    EXPECT_EQ(store.RowCount(a), 4u);
    EXPECT_EQ(store.RowCount(b), 1u);
    EXPECT_EQ(store.Load(b, 2).size(), 0u);

    // The file and its folder are the user's alone.
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(file.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(HistoryStore, QueueKeysAreCaseMappedByAsciiInEveryLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    EXPECT_EQ(CJobHistoryStore::QueueKey("demo", "scott"), "DEMO|SCOTT");
    EXPECT_EQ(CJobHistoryStore::QueueKey("Demo", "Scott/tiger@DEMO"), "DEMO|SCOTT");
    EXPECT_EQ(CJobHistoryStore::QueueKey("li", "ii"), "LI|II");
}

TEST_F(HistoryStore, AHundredThousandRowsAQueueTheOldestDroppedFirst)
{
    CJobHistoryStore store;
    ASSERT_TRUE(store.Open(CJobHistoryStore::DefaultPath()));
    const std::string queue = CJobHistoryStore::QueueKey("DEMO", "SCOTT");
    const std::string other = CJobHistoryStore::QueueKey("DEMO", "SYSTEM");
    ASSERT_TRUE(store.Record(other, {Obs(1, kDay0)}));
    // A hundred refreshes of a thousand jobs, a minute apart.
    std::vector<CJobObservation> rows(1000);
    for (int refresh = 0; refresh < 100; ++refresh) {
        for (LONG job = 0; job < 1000; ++job)
            rows[static_cast<size_t>(job)] = Obs(job, kDay0 + refresh / 1440.0, refresh);
        ASSERT_TRUE(store.Record(queue, rows));
    }
    EXPECT_EQ(store.RowCount(queue), 100000u);
    EXPECT_EQ(store.Load(queue, 5).front().totalTime, 0);
    // Ten more rows push the first refresh's first ten out.
    ASSERT_TRUE(store.Record(queue, std::vector<CJobObservation>(rows.begin(), rows.begin() + 10)));
    EXPECT_EQ(store.RowCount(queue), 100000u);
    EXPECT_EQ(store.Load(queue, 5).front().totalTime, 1);
    EXPECT_EQ(store.Load(queue, 5).size(), 100u);
    EXPECT_EQ(store.Load(queue, 10).front().totalTime, 0);
    // Another queue's rows are not counted against this one.
    EXPECT_EQ(store.RowCount(other), 1u);
}

TEST_F(HistoryStore, NinetyDaysBeforeTheNewestObservation)
{
    CJobHistoryStore store;
    ASSERT_TRUE(store.Open(CJobHistoryStore::DefaultPath()));
    const std::string queue = CJobHistoryStore::QueueKey("DEMO", "SCOTT");
    ASSERT_TRUE(store.Record(queue, {Obs(1, kDay0)}));
    ASSERT_TRUE(store.Record(queue, {Obs(1, kDay0 + 1)}));
    ASSERT_TRUE(store.Record(queue, {Obs(1, kDay0 + 90)}));
    EXPECT_EQ(store.RowCount(queue), 3u); // exactly ninety days stays
    ASSERT_TRUE(store.Record(queue, {Obs(1, kDay0 + 90.5)}));
    const std::vector<CJobObservation> kept = store.Load(queue, 1);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.front().observed, kDay0 + 1);

    // Small limits work the same way.
    CJobHistoryStore small(CJobHistoryStore::Limits{3, 1});
    ASSERT_TRUE(small.Open(CJobHistoryStore::DefaultPath()));
    const std::string tiny = CJobHistoryStore::QueueKey("T", "U");
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(small.Record(tiny, {Obs(1, kDay0 + i * 0.1)}));
    EXPECT_EQ(small.RowCount(tiny), 3u);
    ASSERT_TRUE(small.Record(tiny, {Obs(1, kDay0 + 5)}));
    EXPECT_EQ(small.RowCount(tiny), 1u);
}

TEST_F(HistoryStore, ADamagedFileIsSetAsideNeverOverwrittenAndToldOnce)
{
    const std::filesystem::path file = CJobHistoryStore::DefaultPath();
    const std::string garbage = "this is no database, just text that was once a history file\n";
    WriteAll(file, garbage);
    WriteAll(file.string() + ".damaged", "an older damaged copy");

    CJobHistoryStore store;
    EXPECT_FALSE(store.Open(file));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_NE(store.Problem().find("is damaged"), std::string::npos) << store.Problem();
    EXPECT_NE(store.Problem().find("runs.db.damaged-2"), std::string::npos) << store.Problem();
    EXPECT_EQ(ReadAll(file.string() + ".damaged-2"), garbage);
    EXPECT_EQ(ReadAll(file.string() + ".damaged"), "an older damaged copy");
    EXPECT_FALSE(std::filesystem::exists(file));

    // Told once; the process goes on without history for that file.
    EXPECT_EQ(CJobHistoryStore::TakeProblemToTell(file), store.Problem());
    EXPECT_EQ(CJobHistoryStore::TakeProblemToTell(file), "");
    CJobHistoryStore again;
    EXPECT_FALSE(again.Open(file));
    EXPECT_FALSE(again.Record("Q", {Obs(1, kDay0)}));
    EXPECT_TRUE(again.Load("Q", 1).empty());
    EXPECT_FALSE(std::filesystem::exists(file));

    // The recorder still tells changes from one refresh to the next.
    CJobHistoryRecorder recorder(file);
    recorder.SetQueue("DEMO|SCOTT");
    EXPECT_EQ(recorder.Observe({Job(1, kDay0)}, kDay0 + 0.1)[1], CJobRunHistory::None);
    EXPECT_EQ(recorder.Observe({Job(1, kDay0 + 0.2, 0, 4)}, kDay0 + 0.3)[1], CJobRunHistory::Ran);
    EXPECT_EQ(recorder.TakeProblemToTell(), "");
}

TEST_F(HistoryStore, DamagedPagesOrAnotherProgramsTableAreSetAsideToo)
{
    // A database with a table of that name that is not ours.
    const std::filesystem::path foreign = root() / "foreign.db";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "CREATE TABLE observations(a, b)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    {
        CJobHistoryStore store;
        EXPECT_FALSE(store.Open(foreign));
        EXPECT_NE(store.Problem().find("is damaged"), std::string::npos) << store.Problem();
        EXPECT_TRUE(std::filesystem::exists(foreign.string() + ".damaged"));
    }

    // Pages that are no pages any more.
    const std::filesystem::path file = root() / "other.db";
    {
        CJobHistoryStore store;
        ASSERT_TRUE(store.Open(root() / "scratch.db"));
    }
    std::filesystem::copy_file(root() / "scratch.db", file);
    {
        // Damage every page after the header.
        std::string bytes = ReadAll(file);
        ASSERT_GT(bytes.size(), 4096u);
        for (size_t i = 100; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(0xA5);
        WriteAll(file, bytes);
    }
    CJobHistoryStore store;
    EXPECT_FALSE(store.Open(file));
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".damaged")) << store.Problem();
}

TEST_F(HistoryStore, AFileThatCannotBeOpenedIsLeftWhereItIs)
{
    // A folder where the file should be.
    const std::filesystem::path file = root() / "history" / "runs.db";
    std::filesystem::create_directories(file);
    CJobHistoryStore store;
    EXPECT_FALSE(store.Open(file));
    EXPECT_NE(store.Problem().find("cannot be used"), std::string::npos) << store.Problem();
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".damaged"));
}

TEST_F(HistoryStore, TheRecorderTellsChangesAndRemembersAcrossSessions)
{
    const std::filesystem::path file = CJobHistoryStore::DefaultPath();
    {
        CJobHistoryRecorder recorder(file);
        recorder.SetQueue("DEMO|SCOTT");
        auto changes = recorder.Observe({Job(1, kDay0), Job(2, kDay0)}, kDay0 + 0.1);
        EXPECT_EQ(changes[1], CJobRunHistory::None);
        changes = recorder.Observe({Job(1, kDay0 + 0.15, 0, 3), Job(2, kDay0, 1, 2)}, kDay0 + 0.2);
        EXPECT_EQ(changes[1], CJobRunHistory::Ran);
        EXPECT_EQ(changes[2], CJobRunHistory::Failed);
        // Job 2 removed: a gone marker, so that a new job 2 is not its sequel.
        changes = recorder.Observe({Job(1, kDay0 + 0.15, 0, 3)}, kDay0 + 0.3);
        EXPECT_EQ(changes.count(2), 0u);
        // Another queue starts from nothing.
        recorder.SetQueue("DEMO|SYSTEM");
        EXPECT_EQ(recorder.Observe({Job(1, kDay0 + 0.5, 0, 9)}, kDay0 + 0.4)[1], CJobRunHistory::None);
    }
    CJobHistoryStore store;
    ASSERT_TRUE(store.Open(file));
    const std::vector<CJobObservation> two = store.Load("DEMO|SCOTT", 2);
    ASSERT_EQ(two.size(), 3u);
    EXPECT_TRUE(two.back().gone);
    EXPECT_EQ(CJobRunHistory::DeriveRuns(store.Load("DEMO|SCOTT", 1)).size(), 1u);

    // A later session compares its first refresh with the last one kept:
    // a run and a break while the program was closed are told.
    CJobHistoryRecorder later(file);
    later.SetQueue("DEMO|SCOTT");
    auto changes = later.Observe({Job(1, kDay0 + 0.9, 16, 8, true), Job(2, 0)}, kDay0 + 1);
    EXPECT_EQ(changes[1], CJobRunHistory::Ran | CJobRunHistory::Failed | CJobRunHistory::JustBroken);
    EXPECT_EQ(changes[2], CJobRunHistory::None);
}

// A quiet queue writes nothing after its first refresh, and a change stays
// marked for a quarter of an hour of server time, not just one refresh.
TEST_F(HistoryStore, OnlyChangesAreWrittenAndMarksLastAQuarterOfAnHour)
{
    const std::filesystem::path file = CJobHistoryStore::DefaultPath();
    constexpr DATE kMinute = 1.0 / (24 * 60);
    CJobHistoryRecorder recorder(file);
    recorder.SetQueue("DEMO|SCOTT");
    for (int i = 0; i < 5; ++i)
        recorder.Observe({Job(1, kDay0), Job(2, kDay0)}, kDay0 + 0.1 + i * kMinute);
    EXPECT_TRUE(recorder.Marks().empty());
    const DATE ran = kDay0 + 0.2;
    EXPECT_EQ(recorder.Observe({Job(1, ran - kMinute, 0, 3), Job(2, kDay0)}, ran)[1], CJobRunHistory::Ran);
    EXPECT_EQ(recorder.Marks(), (std::map<LONG, unsigned>{{1, CJobRunHistory::Ran}}));
    // Later refreshes tell no change but keep the mark for a while.
    EXPECT_EQ(recorder.Observe({Job(1, ran - kMinute, 0, 3), Job(2, kDay0)}, ran + 5 * kMinute)[1],
              CJobRunHistory::None);
    EXPECT_EQ(recorder.Marks(), (std::map<LONG, unsigned>{{1, CJobRunHistory::Ran}}));
    recorder.Observe({Job(1, ran - kMinute, 0, 3), Job(2, kDay0)}, ran + 16 * kMinute);
    EXPECT_TRUE(recorder.Marks().empty());
    // A run marks again; a job gone takes its mark with it.
    recorder.Observe({Job(1, ran + 17 * kMinute, 0, 5)}, ran + 18 * kMinute);
    EXPECT_EQ(recorder.Marks(), (std::map<LONG, unsigned>{{1, CJobRunHistory::Ran}}));
    recorder.Observe({Job(2, kDay0)}, ran + 19 * kMinute);
    EXPECT_TRUE(recorder.Marks().empty());

    CJobHistoryStore store;
    ASSERT_TRUE(store.Open(file));
    // Job 1: its first sight, two runs, its removal; job 2: its first
    // sight, its removal, its return.
    EXPECT_EQ(store.Load("DEMO|SCOTT", 1).size(), 4u);
    EXPECT_EQ(store.Load("DEMO|SCOTT", 2).size(), 3u);
}
