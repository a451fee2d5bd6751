// The job dialog's History page: the runs newest first with their texts,
// the chart's bars, and reading the history file off the interface thread.

#include "controls/CJobDetail_HistoryTab.h"
#include "controls/CJobHistoryChart.h"
#include "controls/CJobHistoryStore.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>

#include <fstream>

namespace {

constexpr DATE kDay0 = 46000.0;

CJobObservation Obs(DATE last, LONG failures, LONG total, bool broken = false)
{
    CJobObservation o;
    o.job = 4;
    o.observed = last + 0.01;
    o.lastDate = last;
    o.failures = failures;
    o.totalTime = total;
    o.broken = broken;
    return o;
}

QStringList Row(QTableWidget* table, int row)
{
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << table->item(row, c)->text();
    return cells;
}

class HistoryTab : public qvtest::FreshRootTest {};

} // namespace

TEST_F(HistoryTab, RunsNewestFirstAndTheChartLeavesOutUnknownDurations)
{
    CJobDetail_HistoryTab tab;
    tab.ShowObservations({Obs(kDay0, 0, 0), Obs(kDay0 + 1, 0, 12), Obs(kDay0 + 1, 3, 20),
                          Obs(kDay0 + 1, 16, 30, true)});
    QTableWidget* table = tab.table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Start");
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Duration");
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "Result");
    EXPECT_EQ(Row(table, 0)[1], "not seen");
    EXPECT_EQ(Row(table, 0)[2], "Failed and broken (13 runs)");
    EXPECT_EQ(Row(table, 1)[2], "Failed (3 runs)");
    EXPECT_EQ(Row(table, 2)[1], "12 s");
    EXPECT_EQ(Row(table, 2)[2], "Succeeded");
    EXPECT_FALSE(Row(table, 2)[0].isEmpty());
    EXPECT_NE(Row(table, 2)[0], "not seen");
    EXPECT_EQ(tab.status()->text(), "Runs observed: 3");
    ASSERT_EQ(tab.chart()->Bars().size(), 1u);
    EXPECT_EQ(tab.chart()->ScaleTop(), 12);
    tab.chart()->resize(300, 120);
    EXPECT_FALSE(tab.chart()->grab().isNull());

    tab.ShowObservations({Obs(kDay0, 0, 0)});
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_EQ(tab.status()->text(), "No runs observed yet. Each refresh of the queue adds to the history.");
    EXPECT_EQ(tab.chart()->ScaleTop(), 0);
}

TEST_F(HistoryTab, LoadsTheQueuesHistoryOrSaysWhyItCannot)
{
    const std::filesystem::path file = root() / "runs.db";
    {
        CJobHistoryStore store;
        ASSERT_TRUE(store.Open(file));
        ASSERT_TRUE(store.Record("DEMO|SCOTT", {Obs(kDay0, 0, 0)}));
        ASSERT_TRUE(store.Record("DEMO|SCOTT", {Obs(kDay0 + 1, 0, 7)}));
        ASSERT_TRUE(store.Record("DEMO|OTHER", {Obs(kDay0 + 2, 0, 9)}));
    }
    CJobDetail_HistoryTab tab;
    QSignalSpy loaded(&tab, &CJobDetail_HistoryTab::loaded);
    tab.Load("DEMO|SCOTT", 4, file);
    EXPECT_TRUE(tab.Loading());
    EXPECT_EQ(tab.status()->text(), "Reading the run history...");
    ASSERT_TRUE(qvtest::WaitUntil([&] { return loaded.size() == 1; }));
    EXPECT_FALSE(tab.Loading());
    ASSERT_EQ(tab.table()->rowCount(), 1);
    EXPECT_EQ(Row(tab.table(), 0)[1], "7 s");

    // A damaged file: the page says so, the file is kept aside.
    const std::filesystem::path damaged = root() / "damaged.db";
    std::ofstream(damaged) << "no database at all";
    tab.Load("DEMO|SCOTT", 4, damaged);
    ASSERT_TRUE(qvtest::WaitUntil([&] { return loaded.size() == 2; }));
    EXPECT_EQ(tab.table()->rowCount(), 0);
    EXPECT_TRUE(tab.status()->text().startsWith("The run history cannot be read: The run history file "))
        << tab.status()->text().toStdString();
    EXPECT_TRUE(std::filesystem::exists(damaged.string() + ".damaged"));
}
