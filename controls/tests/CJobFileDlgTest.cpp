// The export and import dialogs without a server: the name rules, browsing
// through the modal service, the import run's order and its stop, and the
// scheduler control opening both dialogs.

#include "controls/CCopyJobDlg.h"
#include "controls/CExportJobsDlg.h"
#include "controls/CImportJobsDlg.h"
#include "controls/CJobExportFile.h"
#include "controls/CJobExportImport.h"
#include "controls/CJobFileNames.h"
#include "controls/CJobImportRun.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CSchedulerCtrl.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"
#include "platform/ComPtr.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>

#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(JobFileNames, ExportNamesGetTheExtensionAndImportNamesMustBeExportFiles)
{
    const fs::path base = "/home/u/Documents";
    const struct {
        const char* text;
        const char* expected; // empty: refused
    } exports[] = {
        {"jobs", "/home/u/Documents/jobs.qvx"},
        {"jobs.txt", "/home/u/Documents/jobs.qvx"},
        {"jobs.QVX", "/home/u/Documents/jobs.qvx"},
        {"a.b.c", "/home/u/Documents/a.b.qvx"},
        {"sub/../x", "/home/u/Documents/x.qvx"},
        {"/tmp/abs", "/tmp/abs.qvx"},
        {"", ""},
        {"folder/", ""},
        {"..", ""},
        {"bad\tname", ""},
    };
    for (const auto& c : exports)
        EXPECT_EQ(CJobFileNames::ExportPath(c.text, base).string(), c.expected) << c.text;

    qvtest::TempRoot root;
    for (const char* name : {"ok.qvx", "upper.QVX", "other.txt"})
        std::ofstream(root.path() / name) << "x";
    fs::create_directory(root.path() / "dir.qvx");
    EXPECT_EQ(CJobFileNames::ImportPath("ok.qvx", root.path()), root.path() / "ok.qvx");
    EXPECT_EQ(CJobFileNames::ImportPath("upper.QVX", root.path()), root.path() / "upper.QVX");
    EXPECT_TRUE(CJobFileNames::ImportPath("other.txt", root.path()).empty());
    EXPECT_TRUE(CJobFileNames::ImportPath("missing.qvx", root.path()).empty());
    EXPECT_TRUE(CJobFileNames::ImportPath("dir.qvx", root.path()).empty());
    EXPECT_TRUE(CJobFileNames::ImportPath("", root.path()).empty());

    std::ofstream(root.path() / "default1.qvx") << "x";
    EXPECT_EQ(CJobFileNames::DefaultExportName(root.path()), root.path() / "default2.qvx");
}

class JobFileDlg : public qvtest::FreshRootTest {
protected:
    VkModalScript modal;
};

TEST_F(JobFileDlg, BrowsingProposesTheNextDefaultNameAndTakesTheChoice)
{
    const fs::path documents = root() / "documents";
    fs::create_directories(documents);
    std::ofstream(documents / "default1.qvx") << "x";
    modal.AnswerFile([&](VkFileDialogRequest& request) {
        EXPECT_TRUE(request.save);
        EXPECT_EQ(request.title, "Browse");
        EXPECT_EQ(request.okText, "Select");
        EXPECT_EQ(request.initialDir.toStdString(), documents.string());
        EXPECT_EQ(request.path.toStdString(), (documents / "default2.qvx").string());
        EXPECT_EQ(request.defaultExt, "qvx");
        EXPECT_EQ(request.filter, "Quorvane Export Files (*.qvx)|*.qvx|All Files (*.*)|*.*||");
        request.path = QString::fromStdString((root() / "chosen.dat").string());
        return true;
    });
    modal.AnswerDialog([&](QDialog* d) {
        auto* dlg = static_cast<CExportJobsDlg*>(d);
        EXPECT_EQ(dlg->headerLabel()->text(), "Host: H    User:  U");
        dlg->browseButton()->click();
        EXPECT_EQ(dlg->pathLabel()->text().toStdString(), (root() / "chosen.qvx").string());
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        return int(QDialog::Rejected);
    });
    CExportJobsDlg dlg("Host: H    User:  U", true);
    EXPECT_EQ(VkModalService::DoModal(&dlg), QDialog::Rejected);

    modal.AnswerFile([&](VkFileDialogRequest& request) {
        EXPECT_FALSE(request.save);
        EXPECT_TRUE(request.mustExist);
        request.path = QString::fromStdString((documents / "default1.qvx").string());
        return true;
    });
    modal.AnswerDialog([&](QDialog* d) {
        auto* dlg = static_cast<CImportJobsDlg*>(d);
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        EXPECT_TRUE(dlg->regenerateCheck()->isChecked());
        EXPECT_FALSE(dlg->stopOnErrorCheck()->isChecked());
        EXPECT_FALSE(dlg->makeBrokenCheck()->isChecked());
        dlg->browseButton()->click();
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        return int(QDialog::Rejected);
    });
    CImportJobsDlg import("Host: H    User:  U");
    EXPECT_EQ(VkModalService::DoModal(&import), QDialog::Rejected);
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobFileDlg, ImportQuestionNoClosesAndCancelStays)
{
    const fs::path path = root() / "two.qvx";
    ASSERT_TRUE(CJobExportFile::Write(path, {CJobListData(), CJobListData()}));
    for (const int answer : {IDNO, IDCANCEL}) {
        modal.AnswerDialog([&](QDialog* d) {
            auto* dlg = static_cast<CImportJobsDlg*>(d);
            dlg->nameCombo()->setCurrentText(QString::fromStdString(path.string()));
            dlg->okButton()->click();
            // No ends the dialog at once; Cancel leaves it open.
            EXPECT_EQ(dlg->isVisible(), answer == IDCANCEL);
            return int(QDialog::Rejected);
        });
        modal.AnswerMessage(answer);
        CImportJobsDlg dlg("header");
        EXPECT_EQ(VkModalService::DoModal(&dlg), QDialog::Rejected);
        EXPECT_TRUE(dlg.Jobs().empty());
    }
    EXPECT_EQ(modal.Messages().back().text.toStdString(),
              "The file '" + path.string() + "' contains 2 jobs. Do you want to import these jobs now?");
}

TEST(CopyJobDlg, HeaderIsSingularForOneJob)
{
    EXPECT_EQ(CCopyJobDlg(1, true).headerLabel()->text(), "1 job ready to be copied. Press Cancel to abort.");
    EXPECT_EQ(CCopyJobDlg(3, true).headerLabel()->text(), "3 jobs ready to be copied. Press Cancel to abort.");
    CCopyJobDlg unlocked(2, false);
    EXPECT_TRUE(unlocked.fromCombo()->isEnabled());
    EXPECT_FALSE(unlocked.okButton()->isEnabled()); // no databases yet
    unlocked.SetFrom("A");
    unlocked.SetTo("B");
    EXPECT_TRUE(unlocked.okButton()->isEnabled());
}

// Records the saves and answers them when told.
struct FakeSaves {
    CJobImportRun::Save Save()
    {
        return [this](const CJobListData& job, bool force, QObject* context, TwReplyCallback reply) {
            log.push_back(job.m_what + (force ? " new" : " same") + (job.m_broken ? " broken" : ""));
            if (refuse)
                return false;
            const bool fails = job.m_what == "bad";
            QMetaObject::invokeMethod(
                context,
                [reply, fails] {
                    TwRequestOutcome outcome;
                    outcome.failed = fails;
                    outcome.number = fails ? 0 : 42;
                    reply(outcome);
                },
                Qt::QueuedConnection);
            return true;
        };
    }
    std::vector<std::string> log;
    bool refuse = false;
};

std::vector<CJobListData> Jobs(std::initializer_list<const char*> whats)
{
    std::vector<CJobListData> jobs;
    for (const char* what : whats) {
        jobs.emplace_back();
        jobs.back().m_what = what;
    }
    return jobs;
}

TEST(JobImportRun, SavesInOrderOneAtATimeAndStopsOnErrorWhenAsked)
{
    const struct {
        const char* name;
        CJobImportOptions options;
        bool refuse;
        std::vector<std::string> log;
        size_t saved, failed;
        const char* message;
    } cases[] = {
        {"all tried", {true, false, false}, false, {"a new", "bad new", "c new"}, 2, 1, nullptr},
        {"kept numbers, made broken", {false, false, true}, false,
         {"a same broken", "bad same broken", "c same broken"}, 2, 1, nullptr},
        {"stopped", {true, true, false}, false, {"a new", "bad new"}, 1, 1,
         "An error has occured while importing item 1 from file '/x/f.qvx'. Stopping import."},
        {"nothing queued", {true, false, false}, true, {"a new", "bad new", "c new"}, 0, 3, nullptr},
    };
    for (const auto& c : cases) {
        VkModalScript modal;
        if (c.message)
            modal.AnswerMessage(IDOK);
        FakeSaves saves;
        saves.refuse = c.refuse;
        CJobImportRun run(Jobs({"a", "bad", "c"}), c.options, "/x/f.qvx", saves.Save(), nullptr);
        bool finished = false;
        QObject::connect(&run, &CJobImportRun::finished, [&] { finished = true; });
        run.Start();
        // The first save is queued; nothing else happens before its answer.
        EXPECT_EQ(saves.log.size(), 1u) << c.name;
        ASSERT_TRUE(qvtest::WaitUntil([&] { return finished; })) << c.name;
        EXPECT_EQ(saves.log, c.log) << c.name;
        EXPECT_EQ(run.Saved(), c.saved) << c.name;
        EXPECT_EQ(run.Failed(), c.failed) << c.name;
        if (c.message) {
            ASSERT_EQ(modal.Messages().size(), 1u) << c.name;
            EXPECT_EQ(modal.Messages()[0].text.toStdString(), c.message);
            EXPECT_EQ(modal.Messages()[0].caption, "Job Scheduler");
        } else {
            EXPECT_TRUE(modal.Messages().empty()) << c.name;
        }
    }
}

TEST_F(JobFileDlg, ImportPausesTheAutomaticRefreshUntilTheLastSaveAnswered)
{
    const fs::path path = root() / "one.qvx";
    ASSERT_TRUE(CJobExportFile::Write(path, Jobs({"a", "b"})));
    CSchedulerMainDlg queue;
    CJobExportImport transfer(&queue.List());
    FakeSaves saves;
    transfer.SetSave(saves.Save());
    queue.List().Worker().SetRefreshInterval(30);
    modal.AnswerDialog([&](QDialog* d) {
        static_cast<CImportJobsDlg*>(d)->nameCombo()->setCurrentText(QString::fromStdString(path.string()));
        return int(QDialog::Accepted);
    });
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(transfer.Import());
    ASSERT_NE(transfer.ActiveImport(), nullptr);
    EXPECT_EQ(queue.List().Worker().RefreshInterval(), TwRequestWorker::kNeverRefresh);
    // A second import waits for the first.
    EXPECT_FALSE(transfer.Import());
    ASSERT_TRUE(qvtest::WaitUntil([&] { return transfer.ActiveImport() == nullptr; }));
    EXPECT_EQ(saves.log, (std::vector<std::string>{"a new", "b new"}));
    EXPECT_EQ(queue.List().Worker().RefreshInterval(), 30u);
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobFileDlg, AnExportThatCannotBeWrittenSaysSoAndLeavesTheDestination)
{
    const fs::path blocked = root() / "blocked.qvx";
    fs::create_directories(blocked / "keep");
    CSchedulerMainDlg queue;
    CJobExportImport transfer(&queue.List());
    modal.AnswerDialog([&](QDialog* d) {
        static_cast<CExportJobsDlg*>(d)->nameCombo()->setCurrentText(QString::fromStdString(blocked.string()));
        return int(QDialog::Accepted);
    });
    modal.AnswerMessage(IDYES); // overwrite
    modal.AnswerMessage(IDOK);
    EXPECT_FALSE(transfer.Export());
    ASSERT_EQ(modal.Messages().size(), 2u);
    EXPECT_TRUE(modal.Messages()[1].text.startsWith(
        QString::fromStdString("The jobs could not be saved to '" + blocked.string() + "'. The file was left as it was.\n")))
        << modal.Messages()[1].text.toStdString();
    EXPECT_EQ(modal.Messages()[1].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(fs::is_directory(blocked / "keep"));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobFileDlg, TheControlsExportAndImportOpenTheirDialogs)
{
    ComPtr<ISchedulerCtrl> control;
    ASSERT_EQ(VkCreateObject<CSchedulerCtrl>(IID_ISchedulerCtrl, reinterpret_cast<void**>(control.GetAddressOf())),
              S_OK);
    modal.AnswerDialog([](QDialog*) { return int(QDialog::Rejected); });
    modal.AnswerDialog([](QDialog*) { return int(QDialog::Rejected); });
    EXPECT_EQ(control->Interactive_Export(), S_OK);
    EXPECT_EQ(control->Interactive_Import(), S_OK);
    EXPECT_EQ(modal.Dialogs(), (std::vector<QString>{"CExportJobsDlg", "CImportJobsDlg"}));
}

} // namespace
