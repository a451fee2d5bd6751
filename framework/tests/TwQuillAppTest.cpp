#include "TwTestApp.h"

#include "framework/TwCommandIds.h"
#include "framework/TwPalette.h"
#include "framework/TwPaletteSettingsDlg.h"
#include "framework/TwSplashWnd.h"
#include "generic/VkCommandActions.h"
#include "generic/VkModalScript.h"
#include "generic/VkPostedMessage.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <fstream>

namespace {

using twtest::TestApp;

// Counts the key presses that reach a window.
class KeyCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress)
            ++keys;
        return false;
    }
    int keys = 0;
};

class TwQuillAppTest : public qvtest::FreshRootTest {
protected:
    void TearDown() override
    {
        app.reset();
        EXPECT_EQ(unexpected.Unexpected(), 0) << "a modal request nobody answered";
        FreshRootTest::TearDown();
    }
    bool Start(const QStringList& args = {}, const TwMemorySettings& settings = {})
    {
        app = std::make_unique<TestApp>(settings);
        return app->InitInstance(args);
    }
    // Delivers the splash's notice to the main window.
    void DeliverSplashClosed()
    {
        QCoreApplication::sendPostedEvents(app->MainFrame(), UWM_SPLASH_CLOSED);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    VkModalScript unexpected;
    std::unique_ptr<TestApp> app;
};

TEST_F(TwQuillAppTest, ADamagedRegistryIsNamedAndSetAsideOnlyWhenTheUserSaysSo)
{
    const std::filesystem::path hive = root() / "registry" / "HKEY_CURRENT_USER.hive";
    std::filesystem::create_directories(hive.parent_path());
    std::ofstream(hive, std::ios::binary) << std::string(4096, 'Z');
    {
        // No: the program ends and the file stays as it is.
        VkModalScript script;
        script.AnswerMessage(IDNO);
        EXPECT_FALSE(Start());
        ASSERT_EQ(script.Messages().size(), 1u);
        const QString text = script.Messages()[0].text;
        EXPECT_TRUE(text.contains(QString::fromStdString(hive.string()) + " is damaged")) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromStdString(hive.string()) + ".damaged\"")) << text.toStdString();
        EXPECT_EQ(std::filesystem::file_size(hive), 4096u);
        app.reset();
    }
    // Yes: kept aside under the name offered, and the program starts on defaults.
    VkModalScript script;
    script.AnswerMessage(IDYES);
    ASSERT_TRUE(Start());
    EXPECT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(hive.string() + ".damaged"), 4096u);
    EXPECT_NE(app->MainFrame(), nullptr);
}

TEST_F(TwQuillAppTest, ARegistryFolderThatCannotBeWrittenIsNamed)
{
    std::filesystem::remove_all(root() / "registry");
    std::ofstream(root() / "registry") << "a file where the folder belongs";
    VkModalScript script;
    script.AnswerMessage(IDYES);
    ASSERT_TRUE(Start());
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_TRUE(script.Messages()[0].text.contains(QString::fromStdString((root() / "registry").string())
                                                  + " cannot be written"))
        << script.Messages()[0].text.toStdString();
    // Nothing was moved or replaced.
    EXPECT_TRUE(std::filesystem::is_regular_file(root() / "registry"));
}

TEST_F(TwQuillAppTest, FirstStartIsMaximizedWithoutPaletteAndAsksForOneAfterTheSplash)
{
    ASSERT_TRUE(Start());
    TwMainFrame* frame = app->MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(frame->isMaximized());
    EXPECT_TRUE(app->StartWithNewPalette());
    EXPECT_EQ(app->paletteLoads, 0);
    EXPECT_TRUE(app->CurrentPalette()->IsDefault());
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Palette1 (0 Queues)");

    TwSplashWnd* splash = TwSplashWnd::Instance();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->TimeoutMs(), 5000);
    EXPECT_EQ(splash->objectName(), "TwSplashWnd");

    // Nothing is asked while the splash is up.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(unexpected.Dialogs().empty());

    // The first key closes it and goes no further.
    KeyCounter counter;
    frame->installEventFilter(&counter);
    VkModalScript script;
    QString caption;
    script.AnswerDialog([&](QDialog* d) {
        caption = d->windowTitle();
        auto* dlg = static_cast<TwPaletteSettingsDlg*>(d);
        dlg->titleEdit()->setText("Night runs");
        return QDialog::Accepted;
    });
    QTest::keyClick(frame, Qt::Key_A);
    EXPECT_EQ(counter.keys, 0);
    EXPECT_EQ(TwSplashWnd::Instance(), nullptr);
    EXPECT_TRUE(script.Dialogs().empty()); // not before the notice arrives
    DeliverSplashClosed();

    ASSERT_EQ(script.Dialogs().size(), 1u);
    EXPECT_EQ(caption, "NEW Palette Settings");
    EXPECT_EQ(app->CurrentPalette()->Title(), "Night runs");
    EXPECT_TRUE(script.Messages().empty()); // the start-up palette is replaced without asking
    // A new palette starts with the logon of a first queue.
    EXPECT_EQ(app->OpenDocumentCount(), 1);
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Night runs (1 Queue)");

    QTest::keyClick(frame, Qt::Key_B);
    EXPECT_EQ(counter.keys, 1);
    frame->removeEventFilter(&counter);
}

TEST_F(TwQuillAppTest, TimerAndMouseAlsoCloseTheSplash)
{
    ASSERT_TRUE(Start());
    TwSplashWnd* splash = TwSplashWnd::Instance();
    ASSERT_NE(splash, nullptr);
    VkModalScript script;
    script.AnswerDialog([](QDialog*) { return QDialog::Rejected; });
    // The timer's expiry.
    splash->HideSplashScreen();
    EXPECT_EQ(TwSplashWnd::Instance(), nullptr);
    DeliverSplashClosed();
    EXPECT_EQ(script.Dialogs().size(), 1u); // cancelled: the palette stays
    EXPECT_EQ(app->CurrentPalette()->Title(), "Palette1");
    EXPECT_EQ(app->OpenDocumentCount(), 0);

    // A second start: a click anywhere closes it.
    app.reset();
    ASSERT_TRUE(Start());
    ASSERT_NE(TwSplashWnd::Instance(), nullptr);
    QTest::mouseClick(app->MainFrame(), Qt::LeftButton);
    EXPECT_EQ(TwSplashWnd::Instance(), nullptr);
    script.AnswerDialog([](QDialog*) { return QDialog::Rejected; });
    DeliverSplashClosed();
    EXPECT_EQ(script.Dialogs().size(), 2u);
}

TEST_F(TwQuillAppTest, WithoutTheSplashNoPaletteDialogComes)
{
    ASSERT_TRUE(Start({"-nologo"}));
    EXPECT_EQ(TwSplashWnd::Instance(), nullptr);
    EXPECT_TRUE(app->StartWithNewPalette());
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(unexpected.Dialogs().empty());
}

TEST_F(TwQuillAppTest, EmbeddedOrAutomatedStartShowsNothing)
{
    for (const char* flag : {"-Embedding", "/Embedding", "-Automation", "/automation"}) {
        app.reset();
        TwMemorySettings settings;
        settings.SetRect(nullptr, "AppDims", QRect(10, 10, 500, 400));
        ASSERT_TRUE(Start({flag}, settings)) << flag;
        EXPECT_FALSE(app->MainFrame()->isVisible()) << flag;
        EXPECT_EQ(TwSplashWnd::Instance(), nullptr) << flag;
        EXPECT_EQ(app->paletteLoads, 0) << flag;
        EXPECT_NE(app->MainFrame()->geometry(), QRect(10, 10, 500, 400)) << flag;
    }
}

TEST_F(TwQuillAppTest, SavedPlacementAndLastPalette)
{
    const auto palette = root() / "Shift.qvp";
    std::ofstream(palette) << "x";
    TwMemorySettings settings;
    settings.SetRect(nullptr, "AppDims", QRect(20, 30, 400, 300));
    settings.SetBool(nullptr, "Maximized", false);
    settings.SetString(nullptr, "Last Palette", palette.string());
    ASSERT_TRUE(Start({"-nologo"}, settings));
    EXPECT_FALSE(app->MainFrame()->isMaximized());
    EXPECT_EQ(app->MainFrame()->geometry().size(), QSize(400, 300));
    EXPECT_FALSE(app->StartWithNewPalette());
    EXPECT_FALSE(app->CurrentPalette()->IsDefault());
    EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), palette.string());
    EXPECT_EQ(app->paletteLoads, 1);

    // A last palette that is gone: placement kept, a new palette after the splash.
    app.reset();
    std::filesystem::remove(palette);
    ASSERT_TRUE(Start({"-nologo"}, settings));
    EXPECT_FALSE(app->MainFrame()->isMaximized());
    EXPECT_TRUE(app->StartWithNewPalette());
    EXPECT_TRUE(app->CurrentPalette()->IsDefault());
    EXPECT_EQ(app->CurrentPalette()->Path().toStdString(), palette.string());
    EXPECT_EQ(app->paletteLoads, 0);

    // Auto load off: the reset palette, maximized.
    app.reset();
    settings.SetBool(nullptr, "Auto Load Palette", false);
    std::ofstream(palette) << "x";
    ASSERT_TRUE(Start({"-nologo"}, settings));
    EXPECT_TRUE(app->StartWithNewPalette());
    EXPECT_TRUE(app->MainFrame()->isMaximized());
    EXPECT_EQ(app->CurrentPalette()->Title(), "Palette1");
}

TEST_F(TwQuillAppTest, ComponentRuntimeFailureEndsStartUpWithMessage100)
{
    app = std::make_unique<TestApp>();
    app->oleWorks = false;
    VkModalScript script;
    script.AnswerMessage(IDOK);
    EXPECT_FALSE(app->InitInstance({}));
    ASSERT_EQ(script.Messages().size(), 1u);
    EXPECT_EQ(script.Messages()[0].text,
              "OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    EXPECT_EQ(script.Messages()[0].caption, "Quorvane");
    EXPECT_EQ(app->MainFrame(), nullptr);
}

TEST_F(TwQuillAppTest, CommandEnablingFollowsHandlersAndOpenQueues)
{
    ASSERT_TRUE(Start({"-nologo"}));
    const VkCommandRouter& router = app->Router();
    struct Case {
        UINT id;
        bool withoutQueues;
        bool withQueue;
    };
    const Case cases[] = {
        {ID_PALETTE_NEW, true, true},        {ID_PALETTE_PROPERTIES, true, true},
        {ID_FILE_NEW, true, true},           {ID_VIEW_REFRESHALL, false, true},
        {ID_FILE_CLOSEALL, false, true},     {ID_APP_ABOUT, true, true},
        {ID_WINDOW_AUTOTILE, true, true},    {ID_WINDOW_CASCADE, false, true},
        {ID_PALETTE_OPEN, true, true},       {ID_PALETTE_SAVE, true, true},
        {ID_PALETTE_SAVEAS, true, true},     {ID_RECENT_PALETTE_FIRST + 3, true, true},
        {ID_RECENT_NONE, false, false},      // "None" does nothing
        {ID_TOOLS_ORACLEEXPLORER, true, true},
        {32778, false, false},               // a queue command nobody handles
    };
    for (const Case& k : cases)
        EXPECT_EQ(router.Update(k.id).IsEnabled(), k.withoutQueues) << k.id;
    app->OnFileNew();
    for (const Case& k : cases)
        EXPECT_EQ(router.Update(k.id).IsEnabled(), k.withQueue) << k.id;

    // The active document comes first in the chain.
    VkDocument* doc = app->FirstTemplate()->Documents().front();
    int ran = 0;
    doc->MapCommand(32778, [&] { ++ran; });
    EXPECT_TRUE(router.Update(32778).IsEnabled());
    EXPECT_TRUE(router.Execute(32778));
    EXPECT_EQ(ran, 1);

    app->OnViewRefreshall();
    ASSERT_EQ(app->refreshed.size(), 1u);
    EXPECT_EQ(app->refreshed[0], doc);
}

TEST_F(TwQuillAppTest, AbandonedQueuesAreNotCounted)
{
    ASSERT_TRUE(Start({"-nologo"}));
    twtest::TestDoc::s_accept = false;
    app->OnFileNew();
    EXPECT_EQ(app->OpenDocumentCount(), 0);
    EXPECT_EQ(app->FirstTemplate()->DocumentCount(), 0);
    EXPECT_EQ(app->MainFrame()->windowTitle(), "Quorvane - Palette1 (0 Queues)");
    EXPECT_FALSE(app->Router().Update(ID_VIEW_REFRESHALL).IsEnabled());
}

TEST_F(TwQuillAppTest, AboutItemTextAndSetMenuText)
{
    ASSERT_TRUE(Start({"-nologo"}));
    auto aboutText = [&]() -> QString {
        for (QAction* a : app->Actions()->Actions(ID_APP_ABOUT))
            if (a->isVisible() && a->parent() && qobject_cast<QMenu*>(a->parent()) &&
                static_cast<QMenu*>(a->parent())->menuAction()->isVisible())
                return a->text();
        return {};
    };
    EXPECT_EQ(aboutText(), "&About Quorvane...");
    app->SetMenuText(ID_APP_ABOUT, "&About it...");
    EXPECT_EQ(aboutText(), "&About it...");
    app->SetMenuText(4242, "nothing"); // not in the menu: no change, no message
    EXPECT_EQ(aboutText(), "&About it...");

    VkModalScript script;
    QString longName;
    script.AnswerDialog([&](QDialog* d) {
        if (auto* label = d->findChild<QLabel*>("longName"))
            longName = label->text();
        return QDialog::Accepted;
    });
    app->Actions()->Execute(ID_APP_ABOUT);
    EXPECT_EQ(longName, "Quorvane for Oracle");
}

TEST_F(TwQuillAppTest, PaletteSettingsCommandChangesTitleAndFlags)
{
    ASSERT_TRUE(Start({"-nologo"}));
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<TwPaletteSettingsDlg*>(d);
        EXPECT_EQ(dlg->windowTitle(), "Palette Settings");
        dlg->titleEdit()->setText("Ops");
        dlg->autoLoadCheck()->setChecked(false);
        return QDialog::Accepted;
    });
    app->Actions()->Execute(ID_PALETTE_PROPERTIES);
    EXPECT_EQ(app->CurrentPalette()->Title(), "Ops");
    EXPECT_FALSE(app->AutoLoadPalette());
    EXPECT_EQ(app->MainFrame()->windowTitle(), "Quorvane - Ops (0 Queues)");

    // New palette, asking: Cancel in the save question keeps the palette.
    script.AnswerDialog([](QDialog*) { return QDialog::Accepted; });
    script.AnswerMessage(IDCANCEL);
    app->Actions()->Execute(ID_PALETTE_NEW);
    EXPECT_EQ(app->CurrentPalette()->Title(), "Ops");
    EXPECT_EQ(script.Messages().size(), 1u);
}

} // namespace
