#include "TwTestApp.h"

#include "framework/TwCommandIds.h"
#include "framework/TwPalette.h"
#include "framework/TwSplashWnd.h"
#include "generic/VkCommandActions.h"
#include "generic/VkModalScript.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QStatusTipEvent>

namespace {

using twtest::TestApp;

TEST(TwMainFrameTitle, FollowsThePaletteAndTheQueueCount)
{
    struct Case {
        const char* postfix;
        long count;
        const char* title;
    };
    const Case cases[] = {
        {"Night runs", 0, "Quorvane - Night runs (0 Queues)"},
        {"Night runs", 1, "Quorvane - Night runs (1 Queue)"},
        {"Night runs", 3, "Quorvane - Night runs (3 Queues)"},
        {"", 3, "Quorvane"},
        {"100% %s", 2, "Quorvane - 100% %s (2 Queues)"}, // no format injection
    };
    for (const Case& k : cases)
        EXPECT_EQ(TwMainFrame::TitleText("Quorvane", k.postfix, k.count, "Queue"), k.title) << k.postfix;
}

TEST(TwMDIClientWndTiles, SideBySideThenGrid)
{
    const QRect area(0, 0, 600, 400);
    EXPECT_TRUE(TwMDIClientWnd::VerticalTiles(area, 0).isEmpty());
    EXPECT_EQ(TwMDIClientWnd::VerticalTiles(area, 1), QList<QRect>{area});
    EXPECT_EQ(TwMDIClientWnd::VerticalTiles(area, 3),
              (QList<QRect>{QRect(0, 0, 200, 400), QRect(200, 0, 200, 400), QRect(400, 0, 200, 400)}));
    // Five windows: three columns, the last two split in two rows.
    const QList<QRect> five = TwMDIClientWnd::VerticalTiles(area, 5);
    ASSERT_EQ(five.size(), 5);
    EXPECT_EQ(five[0], QRect(0, 0, 200, 400));
    EXPECT_EQ(five[1], QRect(200, 0, 200, 200));
    EXPECT_EQ(five[4], QRect(400, 200, 200, 200));
    // Tiles cover the area without gaps for awkward sizes.
    for (int n = 1; n <= 9; ++n) {
        long covered = 0;
        for (const QRect& r : TwMDIClientWnd::VerticalTiles(QRect(3, 5, 641, 397), n))
            covered += long(r.width()) * r.height();
        EXPECT_EQ(covered, 641L * 397L) << n;
    }
}

class TwMainFrameTest : public qvtest::FreshRootTest {
protected:
    void Start(const TwMemorySettings& settings = {})
    {
        app = std::make_unique<TestApp>(settings);
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = app->MainFrame();
        frame->showNormal();
        frame->resize(900, 600);
    }
    QList<QMdiSubWindow*> Windows() const { return frame->MDIClient()->subWindowList(); }
    void TearDown() override
    {
        app.reset();
        EXPECT_EQ(unexpected.Unexpected(), 0) << "a modal request nobody answered";
        FreshRootTest::TearDown();
    }

    // Answers what no test scripted, so that nothing ever blocks.
    VkModalScript unexpected;
    std::unique_ptr<TestApp> app;
    TwMainFrame* frame = nullptr;
};

TEST_F(TwMainFrameTest, TitleCountsOpenQueues)
{
    Start();
    app->CurrentPalette()->SetTitle("Night runs");
    frame->SetTitlePostfix("Night runs");
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (0 Queues)");
    app->OnFileNew();
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (1 Queue)");
    app->OnFileNew();
    app->OnFileNew();
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (3 Queues)");
    Windows().front()->close();
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (2 Queues)");
    // A maximized child does not put its name into the main title.
    Windows().front()->showMaximized();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (2 Queues)");
    frame->SetTitlePostfix(QString());
    EXPECT_EQ(frame->windowTitle(), "Quorvane");
}

TEST_F(TwMainFrameTest, AutoTileRetilesOnResizeNewAndClose)
{
    Start();
    EXPECT_FALSE(frame->AutoTile());
    app->OnFileNew();
    app->OnFileNew();
    Windows()[0]->setGeometry(5, 5, 100, 100);
    Windows()[1]->setGeometry(50, 50, 100, 100);

    VkCommandActions* actions = app->Actions();
    QList<QAction*> toggles = actions->Actions(ID_WINDOW_AUTOTILE);
    ASSERT_FALSE(toggles.isEmpty());
    EXPECT_FALSE(toggles.front()->isChecked());
    actions->Execute(ID_WINDOW_AUTOTILE);
    EXPECT_TRUE(frame->AutoTile());
    EXPECT_TRUE(toggles.front()->isChecked());

    auto expectSideBySide = [&] {
        const QRect area = frame->MDIClient()->viewport()->rect();
        const QList<QMdiSubWindow*> windows = Windows();
        const QList<QRect> tiles = TwMDIClientWnd::VerticalTiles(area, windows.size());
        for (int i = 0; i < windows.size(); ++i)
            EXPECT_EQ(windows[i]->geometry(), tiles[i]) << i;
    };
    expectSideBySide();

    frame->resize(700, 500);
    expectSideBySide();
    app->OnFileNew();
    EXPECT_EQ(Windows().size(), 3);
    expectSideBySide();
    Windows()[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Windows().size(), 2);
    expectSideBySide();

    // Off: the arrangement stays as it is.
    actions->Execute(ID_WINDOW_AUTOTILE);
    EXPECT_FALSE(toggles.front()->isChecked());
    Windows()[0]->setGeometry(10, 10, 120, 80);
    frame->resize(800, 550);
    EXPECT_EQ(Windows()[0]->geometry(), QRect(10, 10, 120, 80));
}

TEST_F(TwMainFrameTest, ClosingWritesFrameSettings)
{
    TwMemorySettings initial;
    initial.SetBool(nullptr, "Auto Save Palette", true);
    initial.SetBool(nullptr, "AutoTile", true);
    Start(initial);
    EXPECT_TRUE(frame->AutoTile());
    frame->setGeometry(30, 40, 640, 480);
    const QRect normal = frame->NormalRect();
    app->OnFileNew(); // a queue: something to save
    EXPECT_TRUE(frame->close());

    TwMemorySettings* store = app->Store();
    std::string text;
    ASSERT_TRUE(store->Raw(nullptr, "AppDims", &text));
    EXPECT_EQ(text, TwMemorySettings::RectText(normal));
    ASSERT_TRUE(store->Raw(nullptr, "Maximized", &text));
    EXPECT_EQ(text, "0");
    ASSERT_TRUE(store->Raw(nullptr, "AutoTile", &text));
    EXPECT_EQ(text, "-1");
    EXPECT_EQ(app->paletteSaves, 1); // auto save on

    // The palette was never written (the test app only counts saves): the
    // next start must not look for it.
    app->ExitInstance();
    EXPECT_FALSE(store->Raw(nullptr, "Last Palette", &text));
    EXPECT_EQ(store->GetString(nullptr, "Auto Load Palette", ""), "-1");
    EXPECT_EQ(store->GetString(nullptr, "Auto Save Palette", ""), "-1");
    EXPECT_TRUE(store->IsClosed());
}

TEST_F(TwMainFrameTest, CancelInTheSaveQuestionKeepsTheProgramAndWritesNothing)
{
    TwMemorySettings initial;
    initial.SetBool(nullptr, "Auto Save Palette", false);
    Start(initial);
    app->OnFileNew();
    VkModalScript script;
    script.AnswerMessage(IDCANCEL);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(app->Store()->Has(nullptr, "AppDims"));
    EXPECT_FALSE(app->Store()->Has(nullptr, "AutoTile"));
    EXPECT_EQ(app->FirstTemplate()->DocumentCount(), 1);
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(script.Messages()[0].text,
              QString("Do you want to save the current Palette first (\"%1\")?").arg(app->CurrentPalette()->Path()));
    EXPECT_EQ(script.Messages()[0].style, MB_YESNOCANCEL | MB_ICONQUESTION);

    script.AnswerMessage(IDNO);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(app->FirstTemplate()->DocumentCount(), 0);
    EXPECT_TRUE(app->Store()->Has(nullptr, "AppDims"));
    EXPECT_EQ(app->paletteSaves, 0);
}

TEST_F(TwMainFrameTest, StatusBarPanesAndPrompts)
{
    Start();
    ASSERT_NE(frame->MessagePane(), nullptr);
    EXPECT_EQ(frame->MessagePane()->text(), "For Help, press F1");
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(frame->IndicatorPane(i), nullptr);
        EXPECT_EQ(frame->IndicatorPane(i)->text(), names[i]);
    }
    // The offscreen platform does not tell the lock keys: all dim.
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(frame->IndicatorPane(i)->isEnabled()) << i;
    frame->ShowKeyStates(TwKeyStates::FromIndicatorBits(0x1 | 0x4));
    EXPECT_TRUE(frame->IndicatorPane(0)->isEnabled());
    EXPECT_FALSE(frame->IndicatorPane(1)->isEnabled());
    EXPECT_TRUE(frame->IndicatorPane(2)->isEnabled());
    frame->ShowKeyStates(std::nullopt);
    EXPECT_FALSE(frame->IndicatorPane(0)->isEnabled());

    // Hovering a command shows its status text; leaving it, the idle text.
    QAction* autoTile = app->Actions()->Actions(ID_WINDOW_AUTOTILE).front();
    EXPECT_EQ(autoTile->toolTip(), "Auto Tile");
    QStatusTipEvent hover(autoTile->statusTip());
    QCoreApplication::sendEvent(frame, &hover);
    EXPECT_EQ(frame->MessagePane()->text(), "Automatically tile windows as the application is resized");
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(frame, &leave);
    EXPECT_EQ(frame->MessagePane()->text(), "For Help, press F1");
}

TEST_F(TwMainFrameTest, MenuFollowsOpenQueueWindows)
{
    Start();
    auto titles = [&] {
        QStringList t;
        for (QAction* a : frame->CurrentMenuPopups())
            t << a->text();
        return t;
    };
    EXPECT_EQ(titles(), (QStringList{"&File", "&View", "&Help"}));
    app->OnFileNew();
    EXPECT_EQ(titles(), (QStringList{"&Window", "&Help"}));
    VkModalScript script;
    script.AnswerMessage(IDNO);
    app->OnFileCloseall();
    EXPECT_EQ(titles(), (QStringList{"&File", "&View", "&Help"}));
}

} // namespace
