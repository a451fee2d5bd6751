// The compare dialog over two job lists filled by hand: the rows, the
// highlights, the summary, following a list that changes, switching the
// other queue, and the compare command with no other queue open.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListMenu.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CQueueCompareCommands.h"
#include "controls/CQueueCompareDlg.h"
#include "generic/VkModalScript.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

CJobListData Job(LONG number, const std::string& what, const std::string& interval, bool broken = false)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = what;
    job.m_interval = interval;
    job.m_nextDate = 45000.5;
    job.m_broken = broken;
    job.m_schemaUser = "SCOTT";
    return job;
}

void Install(CJobListCtrl& list, std::vector<CJobListData> jobs)
{
    auto record = std::make_unique<CJobNewListRecord>();
    record->m_jobs = std::move(jobs);
    list.InstallList(std::move(record));
}

int RowOf(QTableWidget* table, const QString& what)
{
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, CQueueCompareDlg::What)->text() == what)
            return row;
    return -1;
}

} // namespace

TEST(QueueCompareDlg, ShowsThePairsAndFollowsTheLists)
{
    CJobListCtrl left, right, third;
    left.SetLogon("DEMO", "scott", "");
    right.SetLogon("LEGACY", "scott", "");
    third.SetLogon("TEST", "appuser", "");
    Install(left, {Job(1, "a;", "SYSDATE + 1"), Job(2, "b;", "SYSDATE + 1"), Job(3, "c;", "SYSDATE + 1")});
    Install(right, {Job(1, "a;", "SYSDATE + 1"), Job(7, "b;", "SYSDATE + 2", true), Job(8, "d;", "SYSDATE + 1")});
    Install(third, {});

    CQueueCompareDlg dialog(&left, {&right, &third});
    EXPECT_EQ(dialog.otherCombo()->count(), 2);
    EXPECT_EQ(dialog.otherCombo()->itemText(0), "scott@LEGACY (not connected)");
    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 4);
    const int a = RowOf(table, "a;"), b = RowOf(table, "b;"), c = RowOf(table, "c;"), d = RowOf(table, "d;");
    ASSERT_TRUE(a >= 0 && b >= 0 && c >= 0 && d >= 0);
    struct Expect {
        int row;
        int column;
        bool highlighted;
    };
    const Expect cells[] = {
        {a, CQueueCompareDlg::LeftInterval, false}, {a, CQueueCompareDlg::RightJob, false},
        {b, CQueueCompareDlg::RightInterval, true}, {b, CQueueCompareDlg::RightBroken, true},
        {b, CQueueCompareDlg::LeftNext, false},     {b, CQueueCompareDlg::RightJob, false},
        {c, CQueueCompareDlg::LeftJob, true},       {c, CQueueCompareDlg::RightJob, false},
        {d, CQueueCompareDlg::RightJob, true},      {d, CQueueCompareDlg::LeftInterval, false},
    };
    for (const Expect& e : cells)
        EXPECT_EQ(dialog.Highlighted(e.row, e.column), e.highlighted) << e.row << "," << e.column;
    EXPECT_EQ(table->item(b, CQueueCompareDlg::RightBroken)->text(), "Y");
    EXPECT_TRUE(table->item(c, CQueueCompareDlg::RightJob)->text().isEmpty());
    EXPECT_EQ(dialog.summaryLabel()->text().toStdString(),
              "1 the same, 1 differing, 1 only in scott@DEMO (not connected), 1 only in scott@LEGACY (not connected).");

    // A list that changes is compared again; a selected row stays selected.
    table->selectRow(b);
    Install(right, {Job(1, "a;", "SYSDATE + 1"), Job(7, "b;", "SYSDATE + 1"), Job(8, "d;", "SYSDATE + 1"),
                    Job(9, "c;", "SYSDATE + 1")});
    ASSERT_TRUE(qvtest::WaitUntil([&] { return dialog.Rows().size() == 4 && !dialog.Highlighted(RowOf(table, "b;"), CQueueCompareDlg::RightInterval); }));
    EXPECT_EQ(table->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table->selectionModel()->selectedRows().at(0).row(), RowOf(table, "b;"));
    // Neither queue is connected: nothing can be copied.
    EXPECT_FALSE(dialog.copyRightButton()->isEnabled());

    // The other queue can be switched; an empty one leaves every job alone.
    dialog.otherCombo()->setCurrentIndex(1);
    EXPECT_EQ(dialog.Right(), &third);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_TRUE(dialog.summaryLabel()->text().startsWith("0 the same, 0 differing, 3 only in"));
}

TEST(QueueCompareDlg, CopyingTheSameRowsSaysThereIsNothingToCopy)
{
    CJobListCtrl left, right;
    Install(left, {Job(1, "a;", "SYSDATE + 1")});
    Install(right, {Job(1, "a;", "SYSDATE + 1")});
    CQueueCompareDlg dialog(&left, {&right});
    dialog.table()->selectRow(0);
    VkModalScript modal;
    modal.AnswerMessage(IDOK);
    EXPECT_FALSE(dialog.CopySelected(true));
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_TRUE(modal.Messages()[0].text.startsWith("The selected rows have nothing to copy"));
}

TEST(QueueCompareDlg, TheCommandNeedsAnotherOpenQueue)
{
    VkModalScript modal;
    auto alone = std::make_unique<CJobListCtrl>();
    CQueueCompareCommands::Attach(*alone);
    EXPECT_TRUE(CQueueCompareCommands::OtherQueues(*alone).empty());
    modal.AnswerMessage(IDOK);
    alone->OnCommand(ID_JL_COMPARE);
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_EQ(modal.Messages()[0].text, "Open another queue window to compare this queue with.");

    // With a second queue the dialog opens, offering the other one only; a
    // closed queue drops out.
    auto other = std::make_unique<CJobListCtrl>();
    CQueueCompareCommands::Attach(*other);
    ASSERT_EQ(CQueueCompareCommands::OtherQueues(*alone), std::vector<CJobListCtrl*>{other.get()});
    int offered = -1;
    modal.AnswerDialog([&](QDialog* d) {
        auto* dialog = dynamic_cast<CQueueCompareDlg*>(d);
        offered = dialog ? dialog->otherCombo()->count() : -1;
        return int(QDialog::Rejected);
    });
    alone->OnCommand(ID_JL_COMPARE);
    EXPECT_EQ(offered, 1);
    other.reset();
    EXPECT_TRUE(CQueueCompareCommands::OtherQueues(*alone).empty());
    EXPECT_EQ(modal.Unexpected(), 0);
}
