// The schema explorer tool window in the running program: the registered
// explorer control on the demo databases, shown and hidden by View > Schema
// Explorer, its settings carried from one start to the next.

#include "app/CMainFrame.h"
#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneScreenshot.h"
#include "framework/CExplorerCtrl.h"
#include "framework/TwAppStoreSettings.h"
#include "framework/TwCommandIds.h"
#include "framework/TwExplorerTool.h"
#include "framework/TwLogonDlg.h"
#include "generic/VkCommandActions.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QScreen>
#include <QTreeWidget>

#include <memory>

namespace {

using qvtest::WaitUntil;

const QString kNoHost = QStringLiteral("Schema Explorer - No host specified");
const QString kScottConnected = QStringLiteral("Schema Explorer - scott (DEMO) - Connected");

class ExplorerTool : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        ASSERT_TRUE(qvtest::RegisterModule("QVCtrl"));
        Start();
    }
    void TearDown() override { app.reset(); }

    void Start()
    {
        app = std::make_unique<CQuorvaneApp>();
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = static_cast<CMainFrame*>(app->MainFrame());
    }
    // Closes the program as the user does, writing its settings.
    void Stop()
    {
        EXPECT_TRUE(frame->close());
        app->ExitInstance();
        app.reset();
        frame = nullptr;
    }

    // Answers the explorer's next logon dialog; a null user cancels it.
    void AnswerLogon(const char* user, const char* password = "", const char* database = "")
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<TwLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg || !user)
                return int(QDialog::Rejected);
            EXPECT_EQ(dlg->windowTitle(), "Explorer Logon");
            dlg->userCombo()->lineEdit()->setText(QString::fromLatin1(user));
            dlg->passwordEdit()->setText(QString::fromLatin1(password));
            const int index = dlg->databaseCombo()->findText(QString::fromLatin1(database));
            EXPECT_GE(index, 0) << database;
            dlg->databaseCombo()->setCurrentIndex(index);
            emit dlg->databaseCombo()->activated(index);
            return int(QDialog::Accepted);
        });
    }

    TwExplorerTool* Tool() const { return app->ExplorerTool(); }
    QWidget* Window() const { return Tool() ? Tool()->Window() : nullptr; }
    QString Caption() const { return Window() ? Window()->windowTitle() : QString(); }
    bool Checked() const { return app->Router().Update(ID_TOOLS_ORACLEEXPLORER).IsChecked(); }
    bool Toggle() { return app->Router().Execute(ID_TOOLS_ORACLEEXPLORER); }
    QTreeWidget* Tree() const { return Window() ? Window()->findChild<QTreeWidget*>() : nullptr; }
    // Logged on and the schemas listed.
    bool ShowsSchemas() const
    {
        QTreeWidget* tree = Tree();
        return Caption() == kScottConnected && tree && tree->topLevelItemCount() == 2 &&
               tree->topLevelItem(0)->childCount() > 0;
    }
    // Shows the explorer through the menu and logs on as scott on DEMO.
    void ShowAndLogOn()
    {
        AnswerLogon("scott", "tiger", "DEMO");
        ASSERT_TRUE(Toggle());
        ASSERT_TRUE(WaitUntil([this] { return ShowsSchemas(); })) << Caption().toStdString();
    }

    VkModalScript modal;
    std::unique_ptr<CQuorvaneApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(ExplorerTool, StartUpMakesAHiddenWindowWithoutConnection)
{
    ASSERT_NE(Window(), nullptr);
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_FALSE(Tool()->Visible());
    EXPECT_TRUE(app->Router().Update(ID_TOOLS_ORACLEEXPLORER).IsEnabled());
    EXPECT_FALSE(Checked());
    EXPECT_EQ(Caption(), kNoHost);
    ASSERT_NE(Tool()->Control(), nullptr);
    EXPECT_TRUE(Tool()->Control()->HasControl());
    EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(Window()->parentWidget(), frame);
    EXPECT_TRUE(modal.Dialogs().empty());
}

TEST_F(ExplorerTool, FirstPlacementIsBesideTheFrameAndInsideTheWorkArea)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(work.width(), 700);
    ASSERT_GE(work.height(), 500);
    struct Case {
        QPoint frameAt;
        QPoint expected;
    };
    // The window goes 40 right and 180 down; what would leave the screen is
    // pushed back into it.
    const Case cases[] = {
        {{work.left(), work.top()}, {work.left() + 40, std::min(work.top() + 180, work.bottom() + 1 - 450)}},
        {{work.right() - 100, work.top()}, {work.right() + 1 - 350, std::min(work.top() + 180, work.bottom() + 1 - 450)}},
    };
    for (const Case& c : cases) {
        frame->showNormal();
        frame->setGeometry(QRect(c.frameAt, QSize(300, 200)));
        TwExplorerTool tool(frame);
        ASSERT_TRUE(tool.PrepareCreate());
        ASSERT_TRUE(tool.PrepareCreate()); // the same window again
        EXPECT_EQ(frame->findChildren<QWidget*>("ExplorerTool").size(), 2);
        const QRect placed = tool.Window()->geometry();
        EXPECT_EQ(placed.size(), QSize(350, 450));
        EXPECT_EQ(placed.topLeft(), c.expected) << c.frameAt.x();
        EXPECT_TRUE(work.contains(placed));
        EXPECT_EQ(tool.WindowRect(), placed);
        EXPECT_EQ(tool.Window()->windowTitle(), kNoHost);
    }
}

TEST_F(ExplorerTool, TheWindowCannotBeMadeSmallerThan150By150)
{
    AnswerLogon(nullptr);
    ASSERT_TRUE(Toggle());
    EXPECT_EQ(Window()->minimumSize(), QSize(150, 150));
    Window()->resize(100, 60);
    EXPECT_EQ(Window()->size(), QSize(150, 150));
    // The control follows the window.
    EXPECT_EQ(Tool()->Control()->width(), 150);
    EXPECT_GE(Tool()->Control()->height(), 150);
}

TEST_F(ExplorerTool, CaptionFollowsTheConnection)
{
    // A logon that fails: the user and database show, not connected.
    AnswerLogon("scott", "wrong", "DEMO");
    ASSERT_TRUE(Toggle());
    EXPECT_TRUE(Tool()->Visible());
    EXPECT_TRUE(Checked());
    ASSERT_TRUE(WaitUntil([this] { return Caption() == "Schema Explorer - scott (DEMO) - NOT Connected"; }))
        << Caption().toStdString();
    EXPECT_EQ(Tree()->topLevelItemCount(), 0);

    Tool()->SetConnectionTitle(TwExplorerTool::kConnecting);
    EXPECT_EQ(Caption(), "Schema Explorer - scott (DEMO) - Connecting");

    // Hidden and shown again: still not connected, so it asks again.
    ASSERT_TRUE(Toggle());
    EXPECT_FALSE(Checked());
    AnswerLogon("scott", "tiger", "DEMO");
    ASSERT_TRUE(Toggle());
    ASSERT_TRUE(WaitUntil([this] { return ShowsSchemas(); })) << Caption().toStdString();
    EXPECT_TRUE(modal.Exhausted());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(ExplorerTool, ACancelledLogonLeavesTheWindowShownWithoutHost)
{
    AnswerLogon(nullptr);
    ASSERT_TRUE(Toggle());
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Caption(), kNoHost);
    EXPECT_TRUE(modal.Exhausted());
}

TEST_F(ExplorerTool, TheCloseBoxHidesAndShowingAgainReusesWindowAndConnection)
{
    ShowAndLogOn();
    QWidget* window = Window();
    EXPECT_FALSE(window->close()); // refused: the window stays, hidden
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Tool()->Visible());
    EXPECT_FALSE(Checked());
    ASSERT_TRUE(Toggle());
    EXPECT_EQ(Window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Checked());
    // Connected already: no dialog, no new logon.
    EXPECT_EQ(modal.Dialogs().size(), 1u);
    EXPECT_EQ(modal.Unexpected(), 0);
    EXPECT_EQ(Caption(), kScottConnected);
    EXPECT_TRUE(Tool()->Control()->Connected());
}

TEST_F(ExplorerTool, MinimizingTheFrameHidesAShownExplorerAndRestoringShowsIt)
{
    frame->showNormal();
    ShowAndLogOn();
    frame->showMinimized();
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_TRUE(Tool()->Visible()); // the user's wish stays
    frame->showNormal();
    EXPECT_TRUE(Window()->isVisible());

    // A hidden explorer stays hidden.
    ASSERT_TRUE(Toggle());
    frame->showMinimized();
    frame->showNormal();
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_FALSE(Checked());
}

TEST_F(ExplorerTool, ARestartWithTheExplorerShownLogsOnWithTheSavedConnection)
{
    ShowAndLogOn();
    const QRect moved(60, 70, 400, 300);
    Window()->setGeometry(moved);
    Stop();
    {
        // The password is not stored in clear.
        TwAppStoreSettings settings("Tarnwick", "Quorvane");
        EXPECT_EQ(settings.GetString("OrExp", "Connect", "").find("tiger"), std::string::npos);
        EXPECT_EQ(settings.GetEncryptedString("OrExp", "Connect", ""), "scott|tiger|DEMO");
        EXPECT_TRUE(settings.GetBool("OrExp", "Visible", false));
        EXPECT_EQ(settings.GetRect("OrExp", "Dims", nullptr), moved);
        settings.Close();
    }

    VkModalScript noDialog;
    Start();
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(Window()->geometry(), moved);
    ASSERT_TRUE(WaitUntil([this] { return ShowsSchemas(); })) << Caption().toStdString();
    EXPECT_TRUE(noDialog.Dialogs().empty());
    EXPECT_EQ(noDialog.Unexpected(), 0);
}

TEST_F(ExplorerTool, AHiddenExplorerKeepsItsSavedConnectionAcrossAStartWithoutLogon)
{
    ShowAndLogOn();
    ASSERT_TRUE(Toggle()); // hidden when the program closes
    Stop();
    Start(); // never shown in this run
    EXPECT_FALSE(Window()->isVisible());
    Stop();
    TwAppStoreSettings settings("Tarnwick", "Quorvane");
    EXPECT_EQ(settings.GetEncryptedString("OrExp", "Connect", ""), "scott|tiger|DEMO");
    EXPECT_FALSE(settings.GetBool("OrExp", "Visible", true));
    settings.Close();
}

TEST_F(ExplorerTool, ADamagedConnectValueIsIgnoredAndTheDialogAsks)
{
    struct Case {
        const char* name;
        std::function<void(TwAppStoreSettings&)> write;
    };
    const Case cases[] = {
        {"two parts", [](TwAppStoreSettings& s) { s.SetEncryptedString("OrExp", "Connect", "scott|DEMO"); }},
        {"no separator", [](TwAppStoreSettings& s) { s.SetEncryptedString("OrExp", "Connect", "scott"); }},
        {"plain text", [](TwAppStoreSettings& s) { s.SetString("OrExp", "Connect", "scott|tiger|DEMO"); }},
        {"no record", [](TwAppStoreSettings& s) { s.SetLong("OrExp", "Connect", 17); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Stop();
        {
            TwAppStoreSettings settings("Tarnwick", "Quorvane");
            settings.SetBool("OrExp", "Visible", true);
            c.write(settings);
            settings.Close();
        }
        VkModalScript script;
        script.AnswerDialog([](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Explorer Logon");
            return int(QDialog::Rejected);
        });
        Start();
        EXPECT_TRUE(script.Exhausted());
        EXPECT_EQ(script.Dialogs().size(), 1u);
        EXPECT_TRUE(Tool()->SavedConnection().database.empty());
        EXPECT_TRUE(Window()->isVisible());
        EXPECT_EQ(Caption(), kNoHost);
    }
}

TEST_F(ExplorerTool, TheScreenshotShowsAndNamesAShownExplorer)
{
    frame->showNormal();
    frame->setGeometry(0, 0, 500, 300);
    ShowAndLogOn();
    Window()->setGeometry(200, 250, 300, 320);
    CQuorvaneScreenshot shot(app.get(), QString());
    EXPECT_TRUE(shot.LogonsFinished());
    const QStringList lines = shot.Describe();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], kScottConnected);

    QTemporaryDir dir;
    const QString path = dir.filePath("shot.png");
    ASSERT_TRUE(CQuorvaneScreenshot::Save(frame, Window(), path));
    const QImage picture(path);
    // Both windows where they stand: the explorer reaches below the frame.
    const QRect both = frame->geometry().united(Window()->geometry());
    EXPECT_GT(both.height(), frame->height());
    EXPECT_EQ(picture.size(), both.size());

    ASSERT_TRUE(Toggle());
    EXPECT_EQ(shot.Describe().size(), 1);
}

} // namespace
