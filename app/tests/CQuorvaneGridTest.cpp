// SQL grid windows through the running program: View > SQL Grid with the
// registered grid control on the demo databases, its title, its closing,
// and palettes saved while a grid window is open.

#include "app/CGridDoc.h"
#include "app/CGridView.h"
#include "app/CMainFrame.h"
#include "app/CQuillView.h"
#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneDoc.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwCommandIds.h"
#include "framework/TwLogonDlg.h"
#include "framework/TwMDIClientWnd.h"
#include "generic/VkCommandActions.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkModalScript.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using qvtest::WaitUntil;

int Threads()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class GridWindows : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        std::string output;
        if (qvtest::RunCommand("'" + qvtest::BinPath("oradmin").string() + "' demo", &output, true) != 0)
            FAIL() << "the demo databases could not be provisioned:\n" << output;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        ASSERT_TRUE(qvtest::RegisterModule("QVCtrl"));
        ASSERT_TRUE(qvtest::RegisterModule("TwQlVw"));
        app = std::make_unique<CQuorvaneApp>();
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = static_cast<CMainFrame*>(app->MainFrame());
        frame->resize(1000, 700);
        frame->show();
    }
    void TearDown() override
    {
        app.reset();
        FreshRootTest::TearDown();
    }

    // Answers the next logon dialog; a null user cancels it.
    void AnswerLogon(const char* user, const char* password = "", const char* database = "")
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<TwLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg || !user)
                return int(QDialog::Rejected);
            dlg->userCombo()->lineEdit()->setText(QString::fromLatin1(user));
            dlg->passwordEdit()->setText(QString::fromLatin1(password));
            const int index = dlg->databaseCombo()->findText(QString::fromLatin1(database));
            EXPECT_GE(index, 0) << database;
            dlg->databaseCombo()->setCurrentIndex(index);
            emit dlg->databaseCombo()->activated(index);
            return int(QDialog::Accepted);
        });
    }
    // View > SQL Grid as the menu runs it; the new document or null.
    CGridDoc* NewGrid(const char* user, const char* password = "", const char* database = "")
    {
        AnswerLogon(user, password, database);
        const int before = Grids()->DocumentCount();
        EXPECT_TRUE(app->Router().Update(ID_VIEW_SQLGRID).IsEnabled());
        EXPECT_TRUE(app->Router().Execute(ID_VIEW_SQLGRID));
        if (Grids()->DocumentCount() == before)
            return nullptr;
        return static_cast<CGridDoc*>(Grids()->Documents().back());
    }
    CQuorvaneDoc* NewQueue(const char* user, const char* password, const char* database)
    {
        AnswerLogon(user, password, database);
        const int before = app->FirstTemplate()->DocumentCount();
        app->Router().Execute(ID_FILE_NEW);
        if (app->FirstTemplate()->DocumentCount() == before)
            return nullptr;
        return static_cast<CQuorvaneDoc*>(app->FirstTemplate()->Documents().back());
    }
    VkMultiDocTemplate* Grids() const { return app->GridTemplate(); }
    static CGridView* View(CGridDoc* doc) { return doc->Views().at(0); }
    static QTableWidget* Table(CGridDoc* doc) { return View(doc)->findChild<QTableWidget*>(); }
    static QPlainTextEdit* SqlEdit(CGridDoc* doc) { return View(doc)->findChild<QPlainTextEdit*>(); }
    // The menu items the menu bar shows now, by their text without "&".
    QStringList ViewMenuItems() const
    {
        QStringList items;
        for (QAction* top : frame->menuBar()->actions())
            if (top->isVisible() && top->menu() && top->text().remove('&') == "View")
                for (QAction* item : top->menu()->actions())
                    items << item->text().remove('&');
        return items;
    }

    VkModalScript modal;
    std::unique_ptr<CQuorvaneApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(GridWindows, ViewSqlGridLogsOnRunsAQueryAndShowsItsRows)
{
    // The command is on the View menu with no window open and with one.
    EXPECT_TRUE(ViewMenuItems().contains("SQL Grid")) << ViewMenuItems().join('|').toStdString();
    const int threadsBefore = Threads();

    CGridDoc* grid = NewGrid("scott", "tiger", "DEMO");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(modal.Dialogs().size(), 1u);
    ASSERT_NE(grid->Control(), nullptr);
    ASSERT_TRUE(grid->Control()->HasControl());
    // A grid window is no queue: palettes and queue counts leave it out.
    EXPECT_EQ(app->FirstTemplate()->DocumentCount(), 0);
    EXPECT_EQ(app->OpenDocumentCount(), 0);
    ASSERT_EQ(grid->Frames().size(), 1u);
    EXPECT_TRUE(grid->Frames().at(0)->isVisible());
    EXPECT_EQ(grid->GetTitle(), "Untitled");
    EXPECT_EQ(grid->Frames().at(0)->windowTitle(), "Untitled");
    EXPECT_TRUE(ViewMenuItems().contains("SQL Grid"));

    ASSERT_TRUE(WaitUntil([&] { return grid->Control()->Connected(); }));
    EXPECT_EQ(grid->Control()->UserName(), "scott");
    EXPECT_EQ(grid->Control()->Database(), "DEMO");

    SqlEdit(grid)->setPlainText("select * from emp");
    grid->Control()->Run();
    ASSERT_TRUE(WaitUntil([&] { return Table(grid)->rowCount() == 14 && grid->Control()->Idle(); }));
    EXPECT_EQ(Table(grid)->columnCount(), 8);
    EXPECT_EQ(Table(grid)->horizontalHeaderItem(1)->text(), "ENAME");

    // Refresh (F5) runs it again while the grid is active.
    app->MDIFrame()->setActiveSubWindow(grid->Frames().at(0));
    EXPECT_TRUE(app->Router().Update(133).IsEnabled());
    EXPECT_FALSE(app->Router().Update(ID_WINDOW_NEW).IsEnabled());

    // The control's title becomes the window's through OnTitleChange.
    grid->Control()->SetTitle("Employees");
    ASSERT_TRUE(WaitUntil([&] { return grid->GetTitle() == "Employees"; }));
    EXPECT_EQ(grid->Frames().at(0)->windowTitle(), "Employees");

    // Closing the window ends the grid's worker with it, asking nothing.
    QPointer<CGridDoc> guard(grid);
    grid->Frames().at(0)->close();
    EXPECT_EQ(Grids()->DocumentCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return guard.isNull() && Threads() <= threadsBefore; }))
        << Threads() << " threads, " << threadsBefore << " before";
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(GridWindows, ACancelledLogonOpensNoWindow)
{
    EXPECT_EQ(NewGrid(nullptr), nullptr);
    EXPECT_EQ(Grids()->DocumentCount(), 0);
    EXPECT_TRUE(app->MDIFrame()->subWindowList().isEmpty());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(GridWindows, WithoutTheRegisteredControlItSaysSoAndOpensNoWindow)
{
    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("regsvr").string() + "' /u /s '" +
                                 qvtest::LibPath("TwQlVw.so").string() + "'"),
              0);
    modal.AnswerMessage(IDOK);
    EXPECT_TRUE(app->Router().Execute(ID_VIEW_SQLGRID));
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_TRUE(modal.Messages()[0].text.contains("not registered")) << modal.Messages()[0].text.toStdString();
    EXPECT_EQ(modal.Dialogs().size(), 0u);
    EXPECT_EQ(Grids()->DocumentCount(), 0);
    EXPECT_TRUE(app->MDIFrame()->subWindowList().isEmpty());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(GridWindows, APaletteSavedWithAGridOpenHoldsTheQueuesOnly)
{
    CQuorvaneDoc* queue = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(queue, nullptr);
    CGridDoc* grid = NewGrid("scott", "tiger", "DEMO");
    ASSERT_NE(grid, nullptr);
    CQuorvaneDoc* legacy = NewQueue("scott", "tiger", "LEGACY");
    ASSERT_NE(legacy, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        return queue->GetTitle() == "SCOTT (DEMO) - Connected" && legacy->GetTitle() == "SCOTT (LEGACY) - Connected" &&
               grid->Control()->Connected();
    }));
    // The grid lies between the queues and is the active window.
    app->MDIFrame()->setActiveSubWindow(grid->Frames().at(0));

    const std::string path = (root() / "mixed.qvp").string();
    modal.AnswerFile(QString::fromStdString(path));
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_SAVEAS));
    ASSERT_TRUE(std::filesystem::exists(path));

    // Two queue records, nothing of the grid: after the palette record the
    // count is 2 and each record is two window records and chunks.
    const std::string bytes = ReadAll(path);
    std::size_t pos = 12;
    const auto byte = [&] { return static_cast<unsigned char>(bytes.at(pos++)); };
    const auto dword = [&] {
        DWORD v = 0;
        for (int i = 0; i < 4; ++i)
            v |= DWORD(byte()) << (8 * i);
        return v;
    };
    const auto skipString = [&] {
        const std::size_t length = byte();
        pos += length;
    };
    skipString(); // title
    skipString(); // picture path
    ASSERT_EQ(dword(), 2u); // queue count
    for (int q = 0; q < 2; ++q) {
        pos += 2 * 52;
        for (DWORD length = dword(); length != 0; length = dword())
            pos += length;
    }
    EXPECT_EQ(pos, bytes.size());

    // Opening it again gives the two queues back; the grid window, which
    // is no part of the palette, stays as it was.
    modal.AnswerFile(QString::fromStdString(path));
    modal.AnswerMessage(IDNO);
    ASSERT_TRUE(app->Router().Execute(ID_PALETTE_OPEN));
    ASSERT_EQ(app->FirstTemplate()->DocumentCount(), 2);
    ASSERT_EQ(Grids()->DocumentCount(), 1);
    EXPECT_EQ(Grids()->Documents().front(), grid);
    ASSERT_TRUE(WaitUntil([&] {
        for (VkDocument* doc : app->FirstTemplate()->Documents())
            if (!doc->GetTitle().endsWith(" - Connected"))
                return false;
        return true;
    }));
    EXPECT_TRUE(grid->Control()->Connected());

    // Closing the program closes the grid window too.
    QPointer<CGridDoc> guard(grid);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(Grids()->DocumentCount(), 0);
    EXPECT_TRUE(WaitUntil([&] { return guard.isNull(); }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
