// The grid view widget against the demo database: the statement typed in
// the edit runs on the grid's worker and its rows land in the grid; the
// grid's warnings go through the modal service.

#include "framework/TwLogonDlg.h"
#include "generic/VkModalScript.h"
#include "gridview/TwGridViewReal.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGrid.h"
#include "gridview/TwQuillGridStatusCtrl.h"
#include "gridview/TwQuillGridWorker.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <functional>

namespace {

using qvtest::WaitUntil;

class GridView : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_view = std::make_unique<TwGridViewReal>();
    }

    void Login()
    {
        QSignalSpy logins(m_view.get(), &TwGridViewReal::loginFinished);
        m_view->SetLogon("DEMO", "scott", "tiger");
        ASSERT_TRUE(m_view->Login());
        ASSERT_TRUE(WaitUntil([&] { return logins.count() > 0; }));
        ASSERT_TRUE(m_view->Connected()) << m_view->Worker().LastMessage();
    }

    // Runs the edit's text and waits until the grid shows its end text.
    void RunAndWait(const QString& sql)
    {
        m_view->SqlEdit()->setPlainText(sql);
        QSignalSpy states(m_view.get(), &TwGridViewReal::runStateChanged);
        ASSERT_TRUE(m_view->Run());
        ASSERT_TRUE(WaitUntil([&] { return !states.isEmpty() && states.last().at(0).toInt() == GvIdle; }));
        std::string error;
        ASSERT_TRUE(qvtest::TestSql(m_view->Worker(), "select 1 from dual", error)) << error;
        QCoreApplication::processEvents();
    }

    QString Cell(int row, int column) const
    {
        QTableWidgetItem* item = m_view->Grid()->Table()->item(row, column);
        return item ? item->text() : QString();
    }

    VkModalScript m_script;
    std::unique_ptr<TwGridViewReal> m_view;
};

TEST_F(GridView, StartsWithTheDefaultStatementAndTitle)
{
    EXPECT_EQ(m_view->SqlEdit()->toPlainText(), "Select * from scott.emp");
    EXPECT_EQ(m_view->Title(), "Untitled");
    EXPECT_TRUE(m_view->Idle());
    EXPECT_FALSE(m_view->Running());
    EXPECT_FALSE(m_view->Paused());
    QSignalSpy titles(m_view.get(), &TwGridViewReal::titleChanged);
    m_view->SetTitle("Salaries");
    m_view->SetTitle("Salaries");
    EXPECT_EQ(titles.count(), 1);
}

TEST_F(GridView, RunShowsTheRowsAndTheEndTextAndKeepsTheSort)
{
    Login();
    RunAndWait("SELECT ENAME, SAL FROM EMP WHERE DEPTNO = 20");
    QTableWidget* table = m_view->Grid()->Table();
    ASSERT_EQ(table->columnCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "ENAME");
    EXPECT_EQ(table->columnWidth(1), 100);
    EXPECT_EQ(table->rowCount(), 5);
    EXPECT_EQ(m_view->Grid()->StatusCtrl()->StatusText(),
              QString::fromStdString(TwQlVwStrings().Format(IDS_GV_RETRIEVED, 5L)));
    EXPECT_FALSE(m_view->Grid()->StatusCtrl()->VersionText().isEmpty());

    // Sorted by name descending, a re-run keeps that order.
    table->sortItems(0, Qt::DescendingOrder);
    RunAndWait("SELECT ENAME, SAL FROM EMP WHERE DEPTNO = 20 ORDER BY ENAME");
    EXPECT_EQ(Cell(0, 0), "SMITH");
    EXPECT_EQ(Cell(4, 0), "ADAMS");
    EXPECT_EQ(m_script.Unexpected(), 0);
}

TEST_F(GridView, DuplicateColumnNamesWarnThroughTheModalService)
{
    Login();
    m_script.AnswerMessage(IDOK);
    RunAndWait("SELECT ENAME, ENAME FROM EMP WHERE DEPTNO = 10");
    ASSERT_EQ(m_script.Messages().size(), 1u);
    EXPECT_EQ(m_script.Messages()[0].caption, "Tarnwick");
    EXPECT_EQ(m_script.Messages()[0].text, TwQlVwString(IDS_GV_DUPLICATE_COLUMNS));
    EXPECT_EQ(m_script.Messages()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(m_view->Grid()->Table()->rowCount(), 3);
    EXPECT_EQ(m_script.Unexpected(), 0);
}

TEST_F(GridView, CellSqlFillsItsCellEvenWhenTheGridIsSorted)
{
    Login();
    RunAndWait("SELECT DEPTNO, DNAME FROM DEPT ORDER BY DEPTNO");
    EXPECT_EQ(Cell(0, 0), "10"); // the server's order until the user sorts
    m_view->Grid()->Table()->sortItems(0, Qt::DescendingOrder);
    // Delivered row 0 is department 10, shown last when sorted descending.
    m_view->Worker().SetCellSqlItems({{0, 1, "", "", "SELECT COUNT(*) FROM EMP WHERE DEPTNO = 10"}});
    RunAndWait("SELECT DEPTNO, DNAME FROM DEPT ORDER BY DEPTNO");
    EXPECT_EQ(Cell(3, 0), "10");
    EXPECT_EQ(Cell(3, 1), "3");
    EXPECT_EQ(Cell(0, 1), "OPERATIONS");
}

TEST_F(GridView, ResetEmptiesTheTextAndTheGridAndHidingTheEditKeepsTheGrid)
{
    Login();
    RunAndWait("SELECT * FROM DEPT");
    ASSERT_EQ(m_view->Grid()->Table()->rowCount(), 4);
    m_view->Reset();
    EXPECT_TRUE(m_view->SqlEdit()->toPlainText().isEmpty());
    EXPECT_EQ(m_view->Worker().SqlText(), "");
    EXPECT_EQ(m_view->Grid()->Table()->rowCount(), 0);
    EXPECT_EQ(m_view->Grid()->Table()->columnCount(), 0);
    m_view->SetSQLVisible(false);
    EXPECT_FALSE(m_view->SQLVisible());
    m_view->SetSQLVisible(true);
    EXPECT_TRUE(m_view->SQLVisible());
}

TEST_F(GridView, ResetDuringARunAbortsItSoTheGridStaysEmpty)
{
    Login();
    m_view->Worker().SetRowHook([this](long rows) {
        if (rows == 10)
            m_view->Worker().TogglePause();
    });
    QSignalSpy states(m_view.get(), &TwGridViewReal::runStateChanged);
    m_view->SqlEdit()->setPlainText("SELECT * FROM AUDIT_LOG");
    ASSERT_TRUE(m_view->Run());
    ASSERT_TRUE(WaitUntil([&] { return m_view->Paused(); }));
    m_view->Reset();
    ASSERT_TRUE(WaitUntil([&] { return !states.isEmpty() && states.last().at(0).toInt() == GvIdle; }));
    std::string error;
    ASSERT_TRUE(qvtest::TestSql(m_view->Worker(), "select 1 from dual", error)) << error;
    QCoreApplication::processEvents();
    EXPECT_EQ(m_view->Grid()->Table()->rowCount(), 0);
    EXPECT_EQ(m_view->Grid()->StatusCtrl()->StatusText(), TwQlVwString(IDS_GV_ABORTED));
}

TEST_F(GridView, LoginWithoutDetailsShowsHowToGiveThem)
{
    QSignalSpy logins(m_view.get(), &TwGridViewReal::loginFinished);
    ASSERT_TRUE(m_view->Login());
    ASSERT_TRUE(WaitUntil([&] { return logins.count() > 0; }));
    EXPECT_FALSE(m_view->Connected());
    ASSERT_TRUE(WaitUntil([&] {
        return m_view->Grid()->StatusCtrl()->StatusText() == TwQlVwString(IDS_GV_NO_DETAILS);
    }));
    EXPECT_EQ(m_view->Grid()->StatusCtrl()->Image(), IDB_TW_NOT_CONNECTED);
    EXPECT_EQ(m_view->Grid()->StatusCtrl()->StatusTip(), TwQlVwString(IDS_GV_NOT_CONNECTED_TIP));

    // Given details, a double-click on the status bar connects.
    m_view->SetLogon("DEMO", "scott", "tiger");
    QTest::mouseDClick(m_view->Grid()->StatusCtrl(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return logins.count() > 1; }));
    EXPECT_TRUE(m_view->Connected()) << m_view->Worker().LastMessage();
    EXPECT_EQ(m_view->Grid()->StatusCtrl()->Image(), IDB_TW_DONE);
    // Connected, a double-click does nothing.
    QTest::mouseDClick(m_view->Grid()->StatusCtrl(), Qt::LeftButton);
    std::string error;
    ASSERT_TRUE(qvtest::TestSql(m_view->Worker(), "select 1 from dual", error)) << error;
    QCoreApplication::processEvents();
    EXPECT_EQ(logins.count(), 2);
}

} // namespace

namespace {

// Without the connection the state holds no logon details, so a Login
// after loading it reports how to give them.
TEST_F(GridView, PersistWithoutConnectionLeavesNoDetailsForLogin)
{
    Login();
    RunAndWait("SELECT DNAME FROM DEPT");
    m_view->Worker().SetMaximumRows(70);
    const std::vector<BYTE> bytes = m_view->SaveState(false);

    auto copy = std::make_unique<TwGridViewReal>();
    std::string error;
    ASSERT_TRUE(copy->LoadState(bytes, false, error)) << error;
    EXPECT_EQ(copy->SqlEdit()->toPlainText(), "SELECT DNAME FROM DEPT");
    EXPECT_EQ(copy->Worker().MaximumRows(), 70);
    EXPECT_TRUE(copy->Worker().Host().empty());
    EXPECT_TRUE(copy->Worker().UserName().empty());
    ASSERT_EQ(copy->Grid()->Table()->rowCount(), 4);
    EXPECT_TRUE(copy->Grid()->Table()->item(0, 0)->text().isEmpty());
    EXPECT_EQ(copy->Grid()->Table()->horizontalHeaderItem(0)->text(), "DNAME");

    QSignalSpy logins(copy.get(), &TwGridViewReal::loginFinished);
    ASSERT_TRUE(copy->Login());
    ASSERT_TRUE(WaitUntil([&] { return logins.count() > 0; }));
    EXPECT_FALSE(copy->Connected());
    EXPECT_EQ(copy->Worker().LastMessage(), TwQlVwStrings().Load(IDS_GV_NO_DETAILS));

    // With the connection, the copy logs on by itself.
    auto connected = std::make_unique<TwGridViewReal>();
    ASSERT_TRUE(connected->LoadState(m_view->SaveState(true), true, error)) << error;
    EXPECT_EQ(connected->Worker().UserName(), "scott");
    EXPECT_EQ(connected->Grid()->Table()->item(0, 0)->text(), "ACCOUNTING");
    // Damaged bytes change nothing.
    EXPECT_FALSE(connected->LoadState({1, 2, 3}, true, error));
    EXPECT_EQ(connected->Worker().UserName(), "scott");
}

} // namespace

namespace {

// A cell's SQL is attached, changed and removed through the "Cell PL/SQL"
// dialog, and the next run fills the cell from it.
TEST_F(GridView, CellSqlDialogAttachesAndDeletesACellsSql)
{
    Login();
    RunAndWait("SELECT DEPTNO, DNAME FROM DEPT ORDER BY DEPTNO");
    m_script.AnswerDialog([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Cell PL/SQL");
        EXPECT_EQ(dialog->findChild<QLineEdit*>("cellText")->text(), "ACCOUNTING");
        dialog->findChild<QLineEdit*>("cellText")->setText("staff");
        dialog->findChild<QLineEdit*>("description")->setText("people in 10");
        dialog->findChild<QPlainTextEdit*>("sql")->setPlainText("SELECT COUNT(*) FROM EMP WHERE DEPTNO = 10");
        return static_cast<int>(QDialog::Accepted);
    });
    ASSERT_TRUE(m_view->Grid()->EditCellSql(0, 1));
    EXPECT_EQ(Cell(0, 1), "staff");
    ASSERT_EQ(m_view->Worker().CellSqlItems().size(), 1u);
    EXPECT_EQ(m_view->Worker().CellSqlItems()[0].description, "people in 10");
    RunAndWait("SELECT DEPTNO, DNAME FROM DEPT ORDER BY DEPTNO");
    EXPECT_EQ(Cell(0, 1), "3");

    // Cancel keeps it, Delete removes it.
    m_script.AnswerDialog([](QDialog*) { return static_cast<int>(QDialog::Rejected); });
    EXPECT_FALSE(m_view->Grid()->EditCellSql(0, 1));
    EXPECT_EQ(m_view->Worker().CellSqlItems().size(), 1u);
    m_script.AnswerDialog([](QDialog* dialog) {
        EXPECT_EQ(dialog->findChild<QPlainTextEdit*>("sql")->toPlainText(),
                  "SELECT COUNT(*) FROM EMP WHERE DEPTNO = 10");
        dialog->findChild<QPushButton*>("delete")->click();
        return dialog->result();
    });
    EXPECT_TRUE(m_view->Grid()->EditCellSql(0, 1));
    EXPECT_TRUE(m_view->Worker().CellSqlItems().empty());
    RunAndWait("SELECT DEPTNO, DNAME FROM DEPT ORDER BY DEPTNO");
    EXPECT_EQ(Cell(0, 1), "ACCOUNTING");
    EXPECT_EQ(m_script.Unexpected(), 0);
}

} // namespace

namespace {

TEST_F(GridView, InteractiveLoginConnectsWithTheDetailsGivenAndCancelChangesNothing)
{
    m_script.AnswerDialog([](QDialog*) { return static_cast<int>(QDialog::Rejected); });
    EXPECT_FALSE(m_view->Interactive_Login());
    EXPECT_TRUE(m_view->Worker().UserName().empty());

    m_script.AnswerDialog([](QDialog* dialog) {
        auto* logon = qobject_cast<TwLogonDlg*>(dialog);
        EXPECT_NE(logon, nullptr);
        if (!logon)
            return static_cast<int>(QDialog::Rejected);
        logon->userCombo()->setEditText("scott");
        logon->passwordEdit()->setText("tiger");
        logon->databaseCombo()->setEditText("DEMO");
        return static_cast<int>(QDialog::Accepted);
    });
    QSignalSpy logins(m_view.get(), &TwGridViewReal::loginFinished);
    ASSERT_TRUE(m_view->Interactive_Login());
    ASSERT_TRUE(WaitUntil([&] { return logins.count() > 0; }));
    EXPECT_TRUE(m_view->Connected()) << m_view->Worker().LastMessage();
    EXPECT_EQ(m_view->Worker().Host(), "DEMO");
    EXPECT_EQ(m_script.Unexpected(), 0);
}

} // namespace

namespace {

QAction* FindAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

TEST_F(GridView, ContextMenuReachesConnectionCellSqlRefreshAndProperties)
{
    std::unique_ptr<QMenu> empty(m_view->ContextMenu(-1, -1));
    ASSERT_NE(FindAction(empty.get(), "Change Connection..."), nullptr);
    EXPECT_FALSE(FindAction(empty.get(), "Cell PL/SQL...")->isEnabled());
    EXPECT_FALSE(FindAction(empty.get(), "Refresh\tF5")->isEnabled());

    Login();
    RunAndWait("SELECT DNAME FROM DEPT");
    std::unique_ptr<QMenu> onCell(m_view->ContextMenu(1, 0));
    EXPECT_TRUE(FindAction(onCell.get(), "Cell PL/SQL...")->isEnabled());
    EXPECT_TRUE(FindAction(onCell.get(), "Refresh\tF5")->isEnabled());
    m_script.AnswerDialog([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Cell PL/SQL");
        return static_cast<int>(QDialog::Rejected);
    });
    FindAction(onCell.get(), "Cell PL/SQL...")->trigger();
    m_script.AnswerDialog([](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Properties");
        return static_cast<int>(QDialog::Rejected);
    });
    FindAction(onCell.get(), "Properties...")->trigger();
    EXPECT_TRUE(m_script.Exhausted());
    EXPECT_EQ(m_script.Unexpected(), 0);
}

} // namespace
