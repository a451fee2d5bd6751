// The job list's rows without a window: columns, cell texts, colours,
// flashing, sorting and the changes a worker's messages make.

#include "controls/CJobListModel.h"
#include "generic/VkDateFormat.h"

#include <gtest/gtest.h>

#include <QColor>

namespace {

CJobListData Job(LONG number, const char* what = "null;", bool broken = false, BYTE running = 0, LONG failures = 0)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = what;
    job.m_broken = broken;
    job.m_running = running;
    job.m_failures = failures;
    return job;
}

std::vector<LONG> Order(const CJobListModel& model)
{
    std::vector<LONG> jobs;
    for (int row = 0; row < model.rowCount(); ++row)
        jobs.push_back(model.Job(row).m_jobNumber);
    return jobs;
}

QString Cell(const CJobListModel& model, int row, int id, int role = Qt::DisplayRole)
{
    return model.data(model.index(row, CJobListModel::ColumnIndex(id)), role).toString();
}

TEST(JobListModel, ColumnsAreCreatedInTheirOrderWithCaptionsWidthsAndTips)
{
    const struct {
        int id;
        const char* caption;
        int width;
        const char* tipStart;
    } expected[] = {
        {0, "ID", 50, "Identifier of job."},
        {1, "Last Run", 130, "Date on which this job last"},
        {2, "Next Run", 130, "Date that this job will next"},
        {3, "PL/SQL", 200, "Body of the anonymous"},
        {4, "Interval", 150, "A date function"},
        {5, "Broken", 65, "Broken state."},
        {6, "Running", 65, "Running state."},
        {8, "This Run", 130, "Date that this job started"},
        {7, "Failures", 70, "Number of times"},
        {9, "Login User", 100, "Login user"},
        {10, "Privileges User", 100, "User whose default"},
        {11, "Schema User", 100, "Default schema"},
        {12, "Total Time", 70, "Total clock time"},
    };
    CJobListModel model;
    ASSERT_EQ(model.columnCount(), 13);
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CJobListModel::Columns()[static_cast<size_t>(i)].id, expected[i].id);
        EXPECT_EQ(CJobListModel::Columns()[static_cast<size_t>(i)].width, expected[i].width);
        EXPECT_EQ(CJobListModel::ColumnIndex(expected[i].id), i);
        EXPECT_EQ(model.headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(), expected[i].caption);
        EXPECT_TRUE(model.headerData(i, Qt::Horizontal, Qt::ToolTipRole).toString().startsWith(expected[i].tipStart));
    }
    EXPECT_EQ(CJobListModel::ColumnIndex(13), -1);
}

TEST(JobListModel, CellsShowTheRecordAndTheBodyOnOneLine)
{
    CJobListData job = Job(42, "BEGIN\n\t  log_action('X');\r\n   refresh_stats;\nEND;", true, 1, 3);
    job.m_interval = "SYSDATE + 1";
    job.m_logUser = "SCOTT";
    job.m_privUser = "PRIV";
    job.m_schemaUser = "SCHEMA";
    job.m_totalTime = 250;
    VkDateFormat::Parts parts{2027, 3, 5, 9, 15, 42};
    ASSERT_TRUE(VkDateFormat::ToAutomationDate(parts, job.m_nextDate));

    CJobListModel model;
    model.InstallList({job});
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColJob), "42");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColWhat), "BEGIN log_action('X'); refresh_stats; END;");
    // The record keeps the text as it was; the tip shows it whole.
    EXPECT_EQ(model.Job(0).m_what, job.m_what);
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColWhat, Qt::ToolTipRole), QString::fromStdString(job.m_what));
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColInterval), "SYSDATE + 1");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColBroken), "Yes");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColRunning), "Yes");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColFailures), "3");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColLogUser), "SCOTT");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColPrivUser), "PRIV");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColSchemaUser), "SCHEMA");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColTotalTime), "250");
    const QString next = Cell(model, 0, CJobListModel::ColNextDate);
    EXPECT_TRUE(next.contains(QString::fromStdString(VkDateFormat::FormatDateToTimeFormat(job.m_nextDate)))) << next.toStdString();
    EXPECT_TRUE(next.startsWith(QString::fromStdString(VkDateFormat::FormatDateToShortDateFormat(job.m_nextDate))));
    // No date is an empty cell, not 30 December 1899.
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColLastDate), "");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColThisDate), "");

    model.InstallList({Job(1)});
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColBroken), "No");
    EXPECT_EQ(Cell(model, 0, CJobListModel::ColRunning), "No");
}

TEST(JobListModel, TextColourAndFlashingFollowTheJobsState)
{
    const struct {
        bool broken;
        BYTE running;
        LONG failures;
        QColor colour;
        bool flashing;
    } cases[] = {
        {false, 0, 0, QColor(), false},
        {true, 0, 0, QColor(220, 0, 0), true},
        {true, 1, 0, QColor(220, 0, 0), true}, // broken wins over running
        {true, 1, 5, QColor(220, 0, 0), true},
        {false, 1, 0, QColor(0, 180, 0), true},
        {false, 1, 2, QColor(0, 180, 0), true},
        {false, 0, 1, QColor(255, 135, 0), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.broken << int(c.running) << c.failures);
        CJobListModel model;
        model.InstallList({Job(1, "x;", c.broken, c.running, c.failures)});
        EXPECT_EQ(CJobListModel::TextColour(model.Job(0)), c.colour);
        EXPECT_EQ(model.IsFlashing(0), c.flashing);
        const QVariant fg = model.data(model.index(0, 0), Qt::ForegroundRole);
        EXPECT_EQ(fg.isValid(), c.colour.isValid());
        if (c.colour.isValid()) {
            EXPECT_EQ(fg.value<QColor>(), c.colour);
        }
    }
}

TEST(JobListModel, FlashingRowsSwapColoursInTheOnPhaseOnlyWithEffectsEnabled)
{
    CJobListModel model;
    model.SetBandColours(CJobListModel::BandColours(QColor(0, 84, 227)));
    model.InstallList({Job(1, "ok;"), Job(2, "bad;", true)});
    ASSERT_TRUE(model.HasFlashingRows());
    const QModelIndex plain = model.index(0, 0), broken = model.index(1, 0);
    const QColor band1 = model.data(broken, Qt::BackgroundRole).value<QColor>();

    model.ToggleFlashPhase();
    EXPECT_EQ(model.data(broken, Qt::BackgroundRole).value<QColor>(), QColor(220, 0, 0));
    EXPECT_EQ(model.data(broken, Qt::ForegroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_NE(model.data(plain, Qt::BackgroundRole).value<QColor>(), QColor(220, 0, 0));

    model.SetFlashEffects(false);
    EXPECT_EQ(model.data(broken, Qt::BackgroundRole).value<QColor>(), band1);
    EXPECT_EQ(model.data(broken, Qt::ForegroundRole).value<QColor>(), QColor(220, 0, 0));

    model.SetFlashEffects(true);
    model.ToggleFlashPhase();
    EXPECT_EQ(model.data(broken, Qt::BackgroundRole).value<QColor>(), band1);
}

TEST(JobListModel, BandsAlternateWithTheCaptionColoursHueAtTwoLuminosities)
{
    const QColor caption(10, 36, 106);
    const auto bands = CJobListModel::BandColours(caption);
    EXPECT_NE(bands[0], bands[1]);
    EXPECT_EQ(bands[0].hslHue(), caption.toHsl().hslHue());
    EXPECT_EQ(bands[0].lightness(), (230 * 255 + 120) / 240);
    EXPECT_EQ(bands[1].lightness(), (227 * 255 + 120) / 240);

    CJobListModel model;
    model.SetBandColours(bands);
    model.InstallList({Job(1), Job(2), Job(3)});
    EXPECT_EQ(model.data(model.index(0, 2), Qt::BackgroundRole).value<QColor>(), bands[0]);
    EXPECT_EQ(model.data(model.index(1, 2), Qt::BackgroundRole).value<QColor>(), bands[1]);
    EXPECT_EQ(model.data(model.index(2, 2), Qt::BackgroundRole).value<QColor>(), bands[0]);
}

TEST(JobListModel, SortingIsByTypedValueAndSurvivesANewList)
{
    CJobListModel model;
    CJobListData a = Job(10, "b;"), b = Job(9, "A;"), c = Job(100, "c;");
    a.m_totalTime = 5;
    b.m_totalTime = 40;
    c.m_totalTime = 300;
    model.InstallList({a, b, c});
    // Server order until a sort column is chosen.
    EXPECT_EQ(Order(model), (std::vector<LONG>{10, 9, 100}));

    const struct {
        int id;
        Qt::SortOrder order;
        std::vector<LONG> expected;
    } cases[] = {
        {CJobListModel::ColJob, Qt::AscendingOrder, {9, 10, 100}}, // numbers, not "10" < "9"
        {CJobListModel::ColJob, Qt::DescendingOrder, {100, 10, 9}},
        {CJobListModel::ColWhat, Qt::AscendingOrder, {9, 10, 100}}, // case-insensitive
        {CJobListModel::ColTotalTime, Qt::DescendingOrder, {100, 9, 10}},
        {CJobListModel::ColBroken, Qt::AscendingOrder, {9, 10, 100}}, // ties by job number
    };
    for (const auto& s : cases) {
        SCOPED_TRACE(s.id);
        model.sort(CJobListModel::ColumnIndex(s.id), s.order);
        EXPECT_EQ(Order(model), s.expected);
    }

    model.sort(CJobListModel::ColumnIndex(CJobListModel::ColJob), Qt::DescendingOrder);
    model.InstallList({Job(3), Job(7), Job(5)});
    EXPECT_EQ(Order(model), (std::vector<LONG>{7, 5, 3}));
    model.AddJob(Job(6), false);
    EXPECT_EQ(Order(model), (std::vector<LONG>{7, 5, 3, 6}));
    model.AddJob(Job(4), true);
    EXPECT_EQ(Order(model), (std::vector<LONG>{7, 6, 5, 4, 3}));
}

TEST(JobListModel, UpdatesCopyOneColumnOrAllAndRecomputeFlashing)
{
    CJobListModel model;
    CJobListData original = Job(5, "old;");
    original.m_interval = "SYSDATE + 1";
    model.InstallList({original, Job(6)});

    CJobListData incoming = Job(5, "new;", true, 1, 2);
    incoming.m_interval = "SYSDATE + 7";
    // One column: only that field changes.
    EXPECT_TRUE(model.UpdateJob(CJobListModel::ColInterval, incoming));
    EXPECT_EQ(model.Job(0).m_interval, "SYSDATE + 7");
    EXPECT_EQ(model.Job(0).m_what, "old;");
    EXPECT_FALSE(model.Job(0).m_broken);
    EXPECT_FALSE(model.IsFlashing(0));

    EXPECT_TRUE(model.UpdateJob(CJobListModel::ColRunning, incoming));
    EXPECT_EQ(model.Job(0).m_running, 1);
    EXPECT_TRUE(model.IsFlashing(0));

    // Every column, running and broken included.
    EXPECT_TRUE(model.UpdateJob(CJobListModel::kAllColumns, incoming));
    EXPECT_EQ(model.Job(0).m_what, "new;");
    EXPECT_TRUE(model.Job(0).m_broken);
    EXPECT_EQ(model.Job(0).m_failures, 2);

    // The row's previous state back: no longer flashing.
    EXPECT_TRUE(model.UpdateJob(CJobListModel::kAllColumns, original));
    EXPECT_FALSE(model.IsFlashing(0));
    EXPECT_EQ(model.Job(0).m_running, 0);

    // A job that is not shown changes nothing.
    EXPECT_FALSE(model.UpdateJob(CJobListModel::kAllColumns, Job(77)));
    EXPECT_EQ(model.rowCount(), 2);

    EXPECT_TRUE(model.RemoveJob(5));
    EXPECT_FALSE(model.RemoveJob(5));
    EXPECT_EQ(Order(model), (std::vector<LONG>{6}));
    EXPECT_EQ(model.FindRow(6), 0);
    EXPECT_EQ(model.FindRow(5), -1);
}

TEST(JobListModel, RowsAsTabSeparatedText)
{
    CJobListModel model;
    CJobListData job = Job(3, "a\n b;");
    job.m_logUser = "SCOTT";
    model.InstallList({job, Job(4)});
    const QString text = model.RowsAsText({0});
    const QStringList cells = text.chopped(2).split('\t');
    ASSERT_EQ(cells.size(), 13);
    EXPECT_EQ(cells[0], "3");
    EXPECT_EQ(cells[3], "a b;");
    EXPECT_EQ(cells[9], "SCOTT");
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_EQ(model.RowsAsText({}).count("\r\n"), 2);
}

} // namespace
