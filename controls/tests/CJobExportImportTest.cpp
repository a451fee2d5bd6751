// Export, import and copy of jobs between queues of the demo databases,
// through the dialogs as a user answers them, checked with a second session
// reading USER_JOBS.

#include "controls/CCopyJobDlg.h"
#include "controls/CExportJobsDlg.h"
#include "controls/CImportJobsDlg.h"
#include "controls/CJobCopyTarget.h"
#include "controls/CJobExportFile.h"
#include "controls/CJobExportImport.h"
#include "controls/CJobListActions.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobRecentFiles.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include "ExportFileDecoder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include <fstream>
#include <iterator>
#include <random>

namespace {

namespace fs = std::filesystem;
using qvtest::WaitUntil;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Sql(const std::string& connect, const std::string& statement)
{
    std::string output;
    qvtest::RunCommand("'" + qvtest::BinPath("ocisql").string() + "' " + connect + " --tsv -c \"" + statement + "\"",
                       &output);
    return output;
}

DATE Date2031()
{
    return static_cast<DATE>(QDate(1899, 12, 30).daysTo(QDate(2031, 1, 1)));
}

// One queue window's control parts, set up as the scheduler control does.
struct Queue {
    Queue()
    {
        window.resize(800, 300);
        window.show();
        List().Worker().SetViewWarningHandler([](const std::string&) {});
        transfer = new CJobExportImport(&List());
        copy = new CJobCopyTarget(&List());
    }
    ~Queue() { List().Worker().Stop([] { return true; }); }
    CJobListCtrl& List() { return window.List(); }

    CSchedulerMainDlg window;
    CJobExportImport* transfer;
    CJobCopyTarget* copy;
};

class JobTransferOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        // A what text of DEMO's own, to tell its jobs from LEGACY's.
        Sql("scott/tiger@DEMO", "BEGIN DBMS_JOB.WHAT(3, 'log_action(''EXPORTED'', ''x'');'); COMMIT; END;");
    }
    void TearDown() override
    {
        queues.clear();
        EXPECT_EQ(modal.Unexpected(), 0);
    }
    Queue& Open(const char* database)
    {
        queues.push_back(std::make_unique<Queue>());
        Queue& queue = *queues.back();
        queue.List().SetLogon(database, "scott", "tiger");
        EXPECT_TRUE(queue.List().Connect());
        EXPECT_TRUE(WaitUntil([&] { return queue.List().Model().rowCount() == 9; }));
        return queue;
    }
    static std::string Count(const char* database)
    {
        return Sql(std::string("scott/tiger@") + database, "select count(*) from user_jobs");
    }
    // Exports the given jobs of queue (all when none) to path through the dialog.
    void Export(Queue& queue, const std::vector<LONG>& jobs, const QString& name)
    {
        queue.List().SelectJobs(jobs);
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<CExportJobsDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->nameCombo()->setCurrentText(name);
            EXPECT_EQ(dlg->selectedOnlyCheck()->isEnabled(), !jobs.empty());
            dlg->selectedOnlyCheck()->setChecked(!jobs.empty());
            return int(QDialog::Accepted);
        });
        EXPECT_TRUE(queue.transfer->Export());
    }
    // Imports path into queue through the dialog, answering Yes, and waits for the end.
    void Import(Queue& queue, const fs::path& path, CJobImportOptions options, size_t expectedJobs,
                bool expectStop = false)
    {
        const QString caption = queue.List().QueueCaption();
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<CImportJobsDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            EXPECT_EQ(dlg->windowTitle(), "Import Job(s)");
            EXPECT_EQ(dlg->headerLabel()->text(), caption);
            EXPECT_TRUE(caption.startsWith("Host: "));
            dlg->nameCombo()->setCurrentText(QString::fromStdString(path.string()));
            EXPECT_TRUE(dlg->okButton()->isEnabled());
            dlg->regenerateCheck()->setChecked(options.regenerate);
            dlg->stopOnErrorCheck()->setChecked(options.stopOnError);
            dlg->makeBrokenCheck()->setChecked(options.makeBroken);
            return int(QDialog::Accepted);
        });
        modal.AnswerMessage([=](const VkMessageBoxRequest& request) {
            EXPECT_EQ(request.text.toStdString(), "The file '" + path.string() + "' contains " +
                                                      std::to_string(expectedJobs) +
                                                      " jobs. Do you want to import these jobs now?");
            EXPECT_EQ(request.caption, "Job Scheduler");
            EXPECT_EQ(request.style, MB_YESNOCANCEL | MB_ICONQUESTION);
            return IDYES;
        });
        if (expectStop)
            modal.AnswerMessage(IDOK);
        ASSERT_TRUE(queue.transfer->Import());
        ASSERT_TRUE(WaitUntil([&] { return queue.transfer->ActiveImport() == nullptr; }));
    }

    VkModalScript modal;
    std::vector<std::unique_ptr<Queue>> queues;
};

TEST_F(JobTransferOnDemo, ThreeSelectedJobsAreExportedFieldByField)
{
    Queue& demo = Open("DEMO");
    const fs::path path = root() / "exports" / "three.qvx";
    Export(demo, {2, 3, 6}, QString::fromStdString((root() / "exports" / "three.txt").string()));

    qvtest::Decoder d(ReadAll(path));
    EXPECT_EQ(d.Long(), 1);
    EXPECT_EQ(d.Long(), 3);
    EXPECT_EQ(d.Unsigned(2), 0xFFFFu);
    EXPECT_EQ(d.Unsigned(2), 1u);
    EXPECT_EQ(d.Unsigned(2), 12u);
    EXPECT_EQ(d.Text(12), "CJobListData");
    for (LONG job : {2, 3, 6}) {
        if (job != 2) {
            EXPECT_EQ(d.Unsigned(2), 0x8001u);
        }
        qvtest::ExpectRecord(d, demo.List().Model().Job(demo.List().FindRow(job)));
    }
    EXPECT_TRUE(d.AtEnd());
    const CJobListData& exported = demo.List().Model().Job(demo.List().FindRow(3));
    EXPECT_EQ(exported.m_what, "log_action('EXPORTED', 'x');");
    EXPECT_GT(exported.m_nextDate, 0);

    // Remembered for the next dialog.
    std::string last;
    EXPECT_EQ(CJobRecentFiles::Load(CJobRecentFiles::Export, &last), std::vector<std::string>{path.string()});
    EXPECT_EQ(last, path.string());
}

TEST_F(JobTransferOnDemo, ExportDialogChecksTheNameAndAsksBeforeOverwriting)
{
    Queue& demo = Open("DEMO");
    const fs::path path = root() / "all.qvx";
    WriteAll(path, "old");
    demo.List().SelectJobs({});
    modal.AnswerDialog([&](QDialog* d) {
        auto* dlg = static_cast<CExportJobsDlg*>(d);
        EXPECT_EQ(dlg->windowTitle(), "Export Jobs");
        EXPECT_FALSE(dlg->selectedOnlyCheck()->isEnabled()); // nothing selected
        EXPECT_EQ(dlg->pathLabel()->text(), "none");
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        dlg->nameCombo()->setCurrentText(QString::fromStdString((root() / "all").string()));
        EXPECT_EQ(dlg->pathLabel()->text().toStdString(), path.string());
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        dlg->nameCombo()->setCurrentText(QString::fromStdString(root().string() + "/"));
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        dlg->nameCombo()->setCurrentText(QString::fromStdString((root() / "all.dat").string()));
        return int(QDialog::Accepted);
    });
    modal.AnswerMessage([&](const VkMessageBoxRequest& request) {
        EXPECT_EQ(request.text.toStdString(),
                  "The file '" + path.string() + "' already exists. Do you want to overwrite it?");
        EXPECT_EQ(request.style, MB_YESNO | MB_ICONQUESTION);
        return IDNO;
    });
    EXPECT_FALSE(demo.transfer->Export());
    EXPECT_EQ(ReadAll(path), "old");

    modal.AnswerDialog([&](QDialog* d) {
        auto* dlg = static_cast<CExportJobsDlg*>(d);
        dlg->nameCombo()->setCurrentText(QString::fromStdString(path.string()));
        return int(QDialog::Accepted);
    });
    modal.AnswerMessage(IDYES);
    EXPECT_TRUE(demo.transfer->Export());
    std::vector<CJobListData> jobs;
    ASSERT_TRUE(CJobExportFile::Read(path, jobs));
    EXPECT_EQ(jobs.size(), 9u);
}

TEST_F(JobTransferOnDemo, ImportWithRegenerateCreatesNewJobsKeepingBrokenOnes)
{
    Queue& demo = Open("DEMO");
    const fs::path path = root() / "three.qvx";
    Export(demo, {2, 3, 6}, QString::fromStdString(path.string()));
    Queue& legacy = Open("LEGACY");
    Import(legacy, path, {true, false, false}, 3);
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n12\n");
    const std::string query = "select what, interval, broken from user_jobs where job > 9 order by job";
    EXPECT_TRUE(WaitUntil([&] {
        return Sql("scott/tiger@LEGACY", query) ==
               "WHAT\tINTERVAL\tBROKEN\n"
               "raise_salary(7369, 5);\tADD_MONTHS(TRUNC(SYSDATE,'MM'),1)\tN\n"
               "log_action('EXPORTED', 'x');\tTRUNC(SYSDATE) + 1 + 2/24\tN\n"
               "failing_job;\tSYSDATE + 1\tY\n";
    })) << Sql("scott/tiger@LEGACY", query);
    // DEMO's own jobs are untouched.
    EXPECT_EQ(Count("DEMO"), "COUNT(*)\n9\n");
    std::string last;
    CJobRecentFiles::Load(CJobRecentFiles::Import, &last);
    EXPECT_EQ(last, path.string());
}

TEST_F(JobTransferOnDemo, ImportWithoutRegenerateChangesJobsOfTheSameNumber)
{
    Queue& demo = Open("DEMO");
    const fs::path path = root() / "three.qvx";
    Export(demo, {2, 3, 6}, QString::fromStdString(path.string()));
    Queue& legacy = Open("LEGACY");
    Import(legacy, path, {false, false, false}, 3);
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n9\n");
    EXPECT_EQ(Sql("scott/tiger@LEGACY", "select what from user_jobs where job = 3"),
              "WHAT\nlog_action('EXPORTED', 'x');\n");
}

TEST_F(JobTransferOnDemo, MakeBrokenBreaksEveryImportedJob)
{
    Queue& demo = Open("DEMO");
    const fs::path path = root() / "three.qvx";
    Export(demo, {1, 2, 3}, QString::fromStdString(path.string()));
    Queue& legacy = Open("LEGACY");
    Import(legacy, path, {true, false, true}, 3);
    const std::string query = "select broken, count(*) from user_jobs where job > 9 group by broken";
    EXPECT_TRUE(WaitUntil([&] { return Sql("scott/tiger@LEGACY", query) == "BROKEN\tCOUNT(*)\nY\t3\n"; }))
        << Sql("scott/tiger@LEGACY", query);
}

TEST_F(JobTransferOnDemo, StopOnErrorStopsAtTheFirstFailureWithItsIndex)
{
    CJobListData good;
    good.m_what = "null;";
    good.m_nextDate = Date2031();
    good.m_interval = "SYSDATE + 1";
    CJobListData bad = good;
    bad.m_what = "this is not plsql";
    bad.m_parse = 1;
    const fs::path path = root() / "mixed.qvx";
    ASSERT_TRUE(CJobExportFile::Write(path, {good, bad, good}));
    Queue& legacy = Open("LEGACY");

    // Without it the failure is passed over.
    Import(legacy, path, {true, false, false}, 3);
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n11\n");

    Import(legacy, path, {true, true, false}, 3, true);
    ASSERT_FALSE(modal.Messages().empty());
    const VkMessageBoxRequest& stop = modal.Messages().back();
    EXPECT_EQ(stop.text.toStdString(),
              "An error has occured while importing item 1 from file '" + path.string() + "'. Stopping import.");
    EXPECT_EQ(stop.style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n12\n");
}

TEST_F(JobTransferOnDemo, DamagedFilesAreReportedAndCreateNothing)
{
    const fs::path good = root() / "good.qvx";
    CJobListData job;
    job.m_what = "null;";
    job.m_nextDate = Date2031();
    ASSERT_TRUE(CJobExportFile::Write(good, {job, job, job}));
    const std::string valid = ReadAll(good);
    Queue& legacy = Open("LEGACY");
    const fs::path path = root() / "damaged.qvx";

    std::mt19937 random(777);
    int damaged = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = valid;
        if (round % 4 == 0) {
            bytes.resize(random() % valid.size());
        } else {
            for (int f = 0; f < 3; ++f) {
                const size_t at = random() % bytes.size();
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
            }
        }
        WriteAll(path, bytes);
        modal.AnswerDialog([&](QDialog* d) {
            static_cast<CImportJobsDlg*>(d)->nameCombo()->setCurrentText(QString::fromStdString(path.string()));
            return int(QDialog::Accepted);
        });
        // A file that still reads is offered, and declined here.
        modal.AnswerMessage([&](const VkMessageBoxRequest& request) {
            if (request.text.contains(" is damaged ")) {
                ++damaged;
                EXPECT_EQ(request.style, MB_OK | MB_ICONEXCLAMATION);
                return IDOK;
            }
            EXPECT_TRUE(request.text.contains(" Do you want to import these jobs now?")) << request.text.toStdString();
            return IDNO;
        });
        EXPECT_FALSE(legacy.transfer->Import());
        EXPECT_EQ(legacy.transfer->ActiveImport(), nullptr);
    }
    EXPECT_GT(damaged, 100);
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n9\n");
}

// Copies by paste or drag: the dialog's texts, then the jobs on the target.
class JobCopyOnDemo : public JobTransferOnDemo {
protected:
    void AnswerCopy(const QString& header, const QString& from, const QString& to, bool makeBroken,
                    bool accept = true)
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<CCopyJobDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            EXPECT_EQ(dlg->windowTitle(), "Copy Job(s)");
            EXPECT_EQ(dlg->headerLabel()->text(), header);
            EXPECT_EQ(dlg->From(), from);
            EXPECT_EQ(dlg->To(), to);
            EXPECT_FALSE(dlg->fromCombo()->isEnabled());
            EXPECT_FALSE(dlg->toCombo()->isEnabled());
            EXPECT_TRUE(dlg->okButton()->isEnabled());
            EXPECT_FALSE(dlg->makeBrokenCheck()->isChecked());
            dlg->makeBrokenCheck()->setChecked(makeBroken);
            return int(accept ? QDialog::Accepted : QDialog::Rejected);
        });
    }
    static std::string NewJobs(const char* database)
    {
        return Sql(std::string("scott/tiger@") + database,
                   "select what, broken from user_jobs where job > 9 order by job");
    }
};

TEST_F(JobCopyOnDemo, PasteCopiesToAnotherQueueKeepingBrokenJobsBroken)
{
    Queue& demo = Open("DEMO");
    Queue& legacy = Open("LEGACY");
    demo.List().SelectJobs({2, 8});
    ASSERT_TRUE(demo.List().Actions().CopySelected());
    AnswerCopy("2 jobs ready to be copied. Press Cancel to abort.", "DEMO", "LEGACY", false);
    ASSERT_TRUE(legacy.List().Actions().DoPaste());
    ASSERT_TRUE(WaitUntil([&] { return legacy.List().Model().rowCount() == 11; }));
    EXPECT_TRUE(WaitUntil([&] {
        return NewJobs("LEGACY") == "WHAT\tBROKEN\nraise_salary(7369, 5);\tN\nswap_values_demo;\tY\n";
    })) << NewJobs("LEGACY");

    // Cancelled: nothing more.
    AnswerCopy("2 jobs ready to be copied. Press Cancel to abort.", "DEMO", "LEGACY", false, false);
    EXPECT_FALSE(legacy.List().Actions().DoPaste());
    EXPECT_EQ(Count("LEGACY"), "COUNT(*)\n11\n");
}

TEST_F(JobCopyOnDemo, PasteWithMakeBrokenBreaksEveryCopy)
{
    Queue& demo = Open("DEMO");
    Queue& legacy = Open("LEGACY");
    demo.List().SelectJobs({1, 2, 3});
    ASSERT_TRUE(demo.List().Actions().CopySelected());
    AnswerCopy("3 jobs ready to be copied. Press Cancel to abort.", "DEMO", "LEGACY", true);
    ASSERT_TRUE(legacy.List().Actions().DoPaste());
    EXPECT_TRUE(WaitUntil([&] {
        return NewJobs("LEGACY") ==
               "WHAT\tBROKEN\nrefresh_stats;\tY\nraise_salary(7369, 5);\tY\nlog_action('EXPORTED', 'x');\tY\n";
    })) << NewJobs("LEGACY");
}

TEST_F(JobCopyOnDemo, DragCopiesOneJobWithTheSingularHeader)
{
    Queue& demo = Open("DEMO");
    Queue& legacy = Open("LEGACY");
    demo.List().SelectJobs({3});
    bool dropped = false;
    demo.List().Actions().SetDragRunner([&](QDrag& drag) {
        QWidget* viewport = legacy.List().viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                        Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        dropped = drop.isAccepted();
        return Qt::CopyAction;
    });
    AnswerCopy("1 job ready to be copied. Press Cancel to abort.", "DEMO", "LEGACY", false);
    ASSERT_TRUE(demo.List().Actions().StartDrag());
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(WaitUntil([&] { return NewJobs("LEGACY") == "WHAT\tBROKEN\nlog_action('EXPORTED', 'x');\tN\n"; }))
        << NewJobs("LEGACY");
}

TEST_F(JobCopyOnDemo, CopyIntoTheSameQueueMakesDuplicatesWithNewNumbers)
{
    Queue& demo = Open("DEMO");
    demo.List().SelectJobs({5, 6});
    ASSERT_TRUE(demo.List().Actions().CopySelected());
    AnswerCopy("2 jobs ready to be copied. Press Cancel to abort.", "DEMO", "DEMO", false);
    ASSERT_TRUE(demo.List().Actions().DoPaste());
    ASSERT_TRUE(WaitUntil([&] { return demo.List().Model().rowCount() == 11; }));
    EXPECT_TRUE(WaitUntil([&] {
        return NewJobs("DEMO") == "WHAT\tBROKEN\nemp_pkg.fire(0);\tN\nfailing_job;\tY\n";
    })) << NewJobs("DEMO");
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select what from user_jobs where job in (5, 6) order by job"),
              "WHAT\nemp_pkg.fire(0);\nfailing_job;\n");
}

} // namespace
