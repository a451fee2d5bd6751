// qvjobs as a program: each command against the demo databases of a data
// root of the test's own, bad command lines and failed logons.

#include "framework/TwRememberedUsers.h"
#include "testsupport/DemoDatabases.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

struct Result {
    int status = -1;
    std::string out; // standard output
    std::string all; // standard output, then standard error
};

// Runs qvjobs once with arguments, the password (when given) in the
// environment and nothing on standard input.
Result Qvjobs(const std::string& arguments, const std::string& password = "tiger")
{
    const std::filesystem::path errors =
        std::filesystem::temp_directory_path() / ("qvjobs-test-" + std::to_string(::getpid()) + ".err");
    const std::string environment =
        password.empty() ? "env -u QVJOBS_PASSWORD " : "QVJOBS_PASSWORD='" + password + "' ";
    const std::string command = environment + "'" + qvtest::BinPath("qvjobs").string() + "' " + arguments
                                + " </dev/null 2>'" + errors.string() + "'";
    Result result;
    result.status = qvtest::RunCommand(command, &result.out, false);
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    result.all = result.out + text.str();
    std::filesystem::remove(errors);
    return result;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, '\t');)
        cells.push_back(cell);
    return cells;
}

// The jobs of "list --tsv" by number: their cells.
std::map<long, std::vector<std::string>> Jobs(const std::string& target)
{
    std::map<long, std::vector<std::string>> jobs;
    const Result list = Qvjobs("list " + target + " --tsv", target.rfind("system", 0) == 0 ? "manager" : "tiger");
    const std::vector<std::string> lines = Lines(list.out);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> cells = Cells(lines[i]);
        if (cells.size() == 8)
            jobs[std::stol(cells[0])] = cells;
    }
    return jobs;
}

// The number of the first job running what.
long JobRunning(const std::map<long, std::vector<std::string>>& jobs, const std::string& what)
{
    for (const auto& [number, cells] : jobs)
        if (cells[7] == what)
            return number;
    return -1;
}

} // namespace

// No server needed: the command line is refused before any logon.
TEST(QvJobs, BadCommandLinesAreRefusedWithStatusTwo)
{
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"frobnicate scott@DEMO", "unknown command 'frobnicate'"},
        {"list", "list needs USER@ALIAS"},
        {"list scott/tiger@DEMO", "passwords are not taken from the command line"},
        {"list scott", "'scott' is not USER@ALIAS"},
        {"list scott@", "'scott@' is not USER@ALIAS"},
        {"list @DEMO", "'@DEMO' is not USER@ALIAS"},
        {"list scott@DEMO --bogus", "list has no option '--bogus'"},
        {"list scott@DEMO extra", "list does not take 'extra'"},
        {"run scott@DEMO", "run needs at least one job number"},
        {"break scott@DEMO 1 x2", "'x2' is not a job number"},
        {"remove scott@DEMO 0", "'0' is not a job number"},
        {"stop scott@DEMO -3", "stop has no option '-3'"},
        {"forecast scott@DEMO 1 -n 0", "-n takes a number from 1 to 100, not '0'"},
        {"forecast scott@DEMO 1 -n 101", "-n takes a number from 1 to 100, not '101'"},
        {"forecast scott@DEMO 1 -n", "-n needs a number"},
        {"forecast scott@DEMO 1 2", "forecast does not take '2'"},
        {"export scott@DEMO", "export needs FILE"},
        {"import scott@DEMO f.qvx --all", "import has no option '--all'"},
        {"diff scott@DEMO", "diff needs USER@ALIAS"},
    };
    for (const Case& c : cases) {
        const Result result = Qvjobs(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.all;
        EXPECT_NE(result.all.find(c.message), std::string::npos) << c.arguments << "\n" << result.all;
    }
}

TEST(QvJobs, HelpNamesEveryCommandAndTheExitStatus)
{
    for (const char* arguments : {"", "--help", "list --help"}) {
        const Result result = Qvjobs(arguments);
        EXPECT_EQ(result.status, 0) << arguments;
        for (const char* word : {"list USER@ALIAS", "export", "import", "--keep-numbers", "stop", "forecast", "diff",
                                 "QVJOBS_PASSWORD", "3 the logon failed"})
            EXPECT_NE(result.out.find(word), std::string::npos) << arguments << ": " << word;
    }
}

class QvJobsOnDemo : public qvtest::DemoDatabaseTest {};

TEST_F(QvJobsOnDemo, FailedLogonsAnswerThree)
{
    struct Case {
        const char* arguments;
        const char* password; // "" for none at all
        const char* message;
    };
    const Case cases[] = {
        {"list scott@DEMO", "wrong", "ORA-01017"},
        {"list scott@NOSUCH", "tiger", "cannot log on as scott to NOSUCH"},
        {"list scott@DOWN", "tiger", "cannot log on as scott to DOWN"},
        {"list scott@REMOTE", "tiger", "cannot log on as scott to REMOTE"},
        {"list scott@DEMO", "", "no password for scott"},
        {"diff scott@DEMO scott@LEGACY", "wrong", "cannot log on as scott to DEMO"},
    };
    for (const Case& c : cases) {
        const Result result = Qvjobs(c.arguments, c.password);
        EXPECT_EQ(result.status, 3) << c.arguments << "\n" << result.all;
        EXPECT_NE(result.all.find(c.message), std::string::npos) << c.arguments << "\n" << result.all;
    }
}

TEST_F(QvJobsOnDemo, ARememberedUserNeedsNoPassword)
{
    ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    TwRememberedUsers::Remember("SCOTT", "tiger", "DEMO");
    const Result result = Qvjobs("list scott@DEMO --tsv", "");
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_EQ(Lines(result.out).size(), 1u + 9u) << result.out;
}

TEST_F(QvJobsOnDemo, ListsTheUsersJobsOrEveryonesWithAll)
{
    const auto scott = Jobs("scott@DEMO");
    ASSERT_EQ(scott.size(), 9u);
    int broken = 0;
    for (const auto& [number, cells] : scott) {
        EXPECT_EQ(cells[1], "SCOTT");
        EXPECT_TRUE(std::regex_match(cells[3], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << cells[3];
        broken += cells[4] == "Y";
    }
    EXPECT_EQ(broken, 2);
    const long monthly = JobRunning(scott, "raise_salary(7369, 5);");
    ASSERT_GT(monthly, 0);
    EXPECT_EQ(scott.at(monthly)[6], "ADD_MONTHS(TRUNC(SYSDATE, 'MM'), 1)");
    EXPECT_EQ(Jobs("system@DEMO").size(), 1u);

    const Result all = Qvjobs("list system@DEMO --all --tsv", "manager");
    EXPECT_EQ(all.status, 0) << all.all;
    EXPECT_EQ(Lines(all.out).size(), 1u + 12u) << all.out;

    // The aligned form has the same rows under a heading.
    const Result aligned = Qvjobs("list scott@LEGACY");
    EXPECT_EQ(aligned.status, 0) << aligned.all;
    const std::vector<std::string> lines = Lines(aligned.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0].rfind("JOB  ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].find('\t'), std::string::npos);
}

TEST_F(QvJobsOnDemo, BreaksUnbreaksRemovesAndNamesUnknownJobs)
{
    const auto before = Jobs("scott@DEMO");
    const long job = JobRunning(before, "raise_salary(7369, 5);");
    ASSERT_GT(job, 0);
    const std::string number = std::to_string(job);

    Result result = Qvjobs("break scott@DEMO " + number);
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_EQ(Jobs("scott@DEMO").at(job)[4], "Y");

    result = Qvjobs("unbreak scott@DEMO " + number);
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_EQ(Jobs("scott@DEMO").at(job)[4], "N");

    // A job of the list and one it lacks: the known one is done, the
    // status says something failed.
    result = Qvjobs("remove scott@DEMO 9999 " + number);
    EXPECT_EQ(result.status, 1) << result.all;
    EXPECT_NE(result.all.find("job 9999 is not in the queue of scott@DEMO"), std::string::npos) << result.all;
    EXPECT_NE(result.all.find("Job " + number + " removed."), std::string::npos) << result.all;
    const auto after = Jobs("scott@DEMO");
    EXPECT_EQ(after.size(), before.size() - 1);
    EXPECT_EQ(after.count(job), 0u);
}

TEST_F(QvJobsOnDemo, RunsAJobAndReportsTheServersErrorWhenItFails)
{
    const auto jobs = Jobs("scott@DEMO");
    const long good = JobRunning(jobs, "log_action('NIGHTLY', 'batch run');");
    ASSERT_GT(good, 0);
    Result result = Qvjobs("run scott@DEMO " + std::to_string(good));
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_NE(result.all.find("ran."), std::string::npos) << result.all;
    // The run moved its last date on.
    EXPECT_NE(Jobs("scott@DEMO").at(good)[2], jobs.at(good)[2]);

    long failing = -1;
    for (const auto& [number, cells] : jobs)
        if (cells[7] == "failing_job;" && cells[4] == "N")
            failing = number;
    ASSERT_GT(failing, 0);
    result = Qvjobs("run scott@DEMO " + std::to_string(failing));
    EXPECT_EQ(result.status, 1) << result.all;
    EXPECT_NE(result.all.find("ORA-"), std::string::npos) << result.all;
}

TEST_F(QvJobsOnDemo, ExportsAndImportsThroughTheProgramsFile)
{
    const auto demo = Jobs("scott@DEMO");
    const long weekly = JobRunning(demo, "emp_pkg.fire(0);");
    const long monthly = JobRunning(demo, "raise_salary(7369, 5);");
    const std::filesystem::path file = root() / "two.qvx";
    Result result = Qvjobs("export scott@DEMO '" + file.string() + "' " + std::to_string(weekly) + " "
                           + std::to_string(monthly));
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_NE(result.all.find("2 job(s) written"), std::string::npos) << result.all;
    ASSERT_TRUE(std::filesystem::exists(file));

    // A job the queue lacks writes nothing.
    const std::filesystem::path none = root() / "none.qvx";
    result = Qvjobs("export scott@DEMO '" + none.string() + "' 9999");
    EXPECT_EQ(result.status, 1) << result.all;
    EXPECT_FALSE(std::filesystem::exists(none));

    result = Qvjobs("import scott@LEGACY '" + file.string() + "' --broken");
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_NE(result.all.find("2 job(s) imported, 0 failed."), std::string::npos) << result.all;
    const auto legacy = Jobs("scott@LEGACY");
    ASSERT_EQ(legacy.size(), 11u);
    int importedBroken = 0;
    for (const auto& [number, cells] : legacy)
        if ((cells[7] == "emp_pkg.fire(0);" || cells[7] == "raise_salary(7369, 5);") && cells[4] == "Y") {
            ++importedBroken;
            // Saved as the program saves: blanks after commas dropped.
            EXPECT_EQ(cells[6], cells[7] == "emp_pkg.fire(0);" ? "NEXT_DAY(TRUNC(SYSDATE),'MONDAY') + 8/24"
                                                                : "ADD_MONTHS(TRUNC(SYSDATE,'MM'),1)");
        }
    EXPECT_EQ(importedBroken, 2);

    // Keeping numbers changes the jobs of those numbers instead of adding.
    result = Qvjobs("import scott@DEMO '" + file.string() + "' --keep-numbers");
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_EQ(Jobs("scott@DEMO").size(), demo.size());

    const std::filesystem::path damaged = root() / "damaged.qvx";
    std::filesystem::copy_file(file, damaged);
    std::filesystem::resize_file(damaged, std::filesystem::file_size(file) / 2);
    result = Qvjobs("import scott@LEGACY '" + damaged.string() + "'");
    EXPECT_EQ(result.status, 1) << result.all;
    EXPECT_NE(result.all.find("cannot import"), std::string::npos) << result.all;
    EXPECT_EQ(Jobs("scott@LEGACY").size(), 11u);
}

TEST_F(QvJobsOnDemo, ForecastsOneDateALineAndWarnsOnStandardError)
{
    const auto jobs = Jobs("scott@DEMO");
    const long nightly = JobRunning(jobs, "log_action('NIGHTLY', 'batch run');");
    Result result = Qvjobs("forecast scott@DEMO " + std::to_string(nightly) + " -n 4");
    EXPECT_EQ(result.status, 0) << result.all;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 4u) << result.out;
    // The first is the next date; every later run is at 02:00 of the next day.
    EXPECT_EQ(lines[0], jobs.at(nightly)[3]);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(R"(\d{4}-\d\d-\d\d 02:00:00)"))) << lines[i];
    EXPECT_LT(lines[1], lines[2]);

    long hourly = -1;
    for (const auto& [number, cells] : jobs)
        if (cells[7] == "refresh_stats;" && cells[6] == "SYSDATE + 1/24")
            hourly = number;
    ASSERT_GT(hourly, 0);
    result = Qvjobs("forecast scott@DEMO " + std::to_string(hourly));
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_EQ(Lines(result.out).size(), 10u);
    EXPECT_NE(result.all.find("warning:"), std::string::npos) << result.all;
    EXPECT_EQ(result.out.find("warning:"), std::string::npos);

    EXPECT_EQ(Qvjobs("forecast scott@DEMO 9999").status, 1);
}

TEST_F(QvJobsOnDemo, StopsAJobThatIsNotRunningWithoutChangingIt)
{
    const auto jobs = Jobs("scott@DEMO");
    const long job = JobRunning(jobs, "raise_salary(7369, 5);");
    const Result result = Qvjobs("stop scott@DEMO " + std::to_string(job));
    EXPECT_EQ(result.status, 0) << result.all;
    EXPECT_NE(result.all.find("was not running; it is as it was."), std::string::npos) << result.all;
    const auto after = Jobs("scott@DEMO");
    EXPECT_EQ(after.at(job)[4], "N");
    EXPECT_EQ(after.at(job)[3], jobs.at(job)[3]);
}

// The safe stop of a job that a second qvjobs runs: the run is killed and
// the job keeps its flag and next date.
TEST_F(QvJobsOnDemo, StopsARunningJobAndPutsItBack)
{
    std::string output;
    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("ocisql").string() + "' scott/tiger@DEMO --tsv -c \"DECLARE j "
                                     "NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'DBMS_LOCK.SLEEP(60);', TO_DATE('2099-01-02 "
                                     "06:00', 'YYYY-MM-DD HH24:MI'), 'SYSDATE + 1'); COMMIT; END;\"",
                                 &output, true),
              0)
        << output;
    const auto jobs = Jobs("scott@DEMO");
    const long job = JobRunning(jobs, "DBMS_LOCK.SLEEP(60);");
    ASSERT_GT(job, 0);
    const std::filesystem::path status = root() / "run.status";
    const std::string run = "QVJOBS_PASSWORD=tiger '" + qvtest::BinPath("qvjobs").string() + "' run scott@DEMO "
                            + std::to_string(job);
    // In the background, holding none of the pipe RunCommand reads.
    qvtest::RunCommand("(" + run + " </dev/null; echo $? >'" + status.string() + "') >/dev/null 2>&1 &");
    // The run shows in DBA_JOBS_RUNNING once the server started it.
    const std::string running = "'" + qvtest::BinPath("ocisql").string()
                                + "' system/manager@DEMO --tsv -c \"select count(*) from dba_jobs_running where job = "
                                + std::to_string(job) + "\"";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string count;
    while (std::chrono::steady_clock::now() < deadline) {
        count.clear();
        qvtest::RunCommand(running, &count);
        if (count == "COUNT(*)\n1\n")
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(count, "COUNT(*)\n1\n");

    const Result stop = Qvjobs("stop scott@DEMO " + std::to_string(job));
    EXPECT_EQ(stop.status, 0) << stop.all;
    EXPECT_NE(stop.all.find("stopped; its broken flag and next date are as they were."), std::string::npos) << stop.all;
    // The killed run ends and says it failed.
    while (std::chrono::steady_clock::now() < deadline && !std::filesystem::exists(status))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(status);
    int runStatus = -1;
    in >> runStatus;
    EXPECT_EQ(runStatus, 1);
    const auto after = Jobs("scott@DEMO").at(job);
    EXPECT_EQ(after[4], "N");
    EXPECT_EQ(after[3], "2099-01-02 06:00:00");
}

TEST_F(QvJobsOnDemo, DiffOfTheTwoDemoQueues)
{
    const auto legacy = Jobs("scott@LEGACY");
    const long monthly = JobRunning(legacy, "raise_salary(7369, 5);");
    const long weekly = JobRunning(legacy, "emp_pkg.fire(0);");
    ASSERT_EQ(Qvjobs("break scott@LEGACY " + std::to_string(monthly)).status, 0);
    ASSERT_EQ(Qvjobs("remove scott@LEGACY " + std::to_string(weekly)).status, 0);

    const Result result = Qvjobs("diff scott@DEMO scott@LEGACY");
    EXPECT_EQ(result.status, 4) << result.all;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 9u + 1u) << result.out;
    std::map<std::string, std::vector<std::string>> byWhat;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> cells = Cells(lines[i]);
        ASSERT_GE(cells.size(), 4u) << lines[i];
        byWhat[cells[3]] = cells;
    }
    EXPECT_EQ(byWhat["emp_pkg.fire(0);"][0], "<");
    EXPECT_EQ(byWhat["emp_pkg.fire(0);"][2], "-");
    const auto& changed = byWhat["raise_salary(7369, 5);"];
    EXPECT_EQ(changed[0], "~");
    EXPECT_NE(std::find(changed.begin(), changed.end(), "broken: N | Y"), changed.end()) << lines[0];
    // The two demo queues were made alike: the rest pair up, duplicates
    // of one text included, each with its own number.
    int same = 0;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> cells = Cells(lines[i]);
        if (cells[0] == "=" || (cells[0] == "~" && cells.size() == 5 && cells[4].rfind("next date", 0) == 0)) {
            ++same;
            EXPECT_EQ(cells[1], cells[2]) << lines[i];
        }
    }
    EXPECT_EQ(same, 7) << result.out;
    EXPECT_NE(lines.back().find("in the first queue only"), std::string::npos) << lines.back();

    // A queue against itself is the same throughout.
    const Result self = Qvjobs("diff scott@DEMO scott@DEMO");
    EXPECT_EQ(self.status, 0) << self.all;
    EXPECT_NE(self.out.find("The queues hold the same jobs."), std::string::npos) << self.out;
}
