#include "app/CArtwork.h"
#include "app/CMainFrame.h"
#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneResources.h"
#include "app/CQuorvaneStrings.h"
#include "framework/TwCommandIds.h"
#include "framework/TwFrameMenu.h"
#include "framework/TwPaletteSettingsDlg.h"
#include "framework/TwSplashWnd.h"
#include "generic/VkCommandActions.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalScript.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>

#include <map>
#include <QToolBar>

namespace {

class CQuorvaneAppTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        app = std::make_unique<CQuorvaneApp>();
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = static_cast<CMainFrame*>(app->MainFrame());
    }
    void TearDown() override
    {
        if (QWidget* help = VkHelpWindow())
            delete help;
        app.reset();
        EXPECT_EQ(unexpected.Unexpected(), 0);
        FreshRootTest::TearDown();
    }
    QMenu* Popup(const QString& title) const
    {
        for (QAction* a : frame->CurrentMenuPopups())
            if (a->text() == title)
                return a->menu();
        return nullptr;
    }
    static QStringList Items(QMenu* menu)
    {
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }

    VkModalScript unexpected;
    std::unique_ptr<CQuorvaneApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(CQuorvaneAppTest, FrameMenuWhileNoQueueIsOpen)
{
    QStringList tops;
    for (QAction* a : frame->CurrentMenuPopups())
        tops << a->text();
    EXPECT_EQ(tops, (QStringList{"&File", "&View", "&Help"}));
    ASSERT_NE(Popup("&File"), nullptr);
    EXPECT_EQ(Items(Popup("&File")),
              (QStringList{"&New", "&Open...", "-", "&Save", "Save &As...", "-",
                           "New &Connection...\tCtrl+N", "-", "S&ettings...", "-", "&Recent", "-", "E&xit"}));
    EXPECT_EQ(Items(Popup("&View")), (QStringList{"&Toolbar", "&Status Bar", "-", "Schema &Explorer", "SQL &Grid"}));
    EXPECT_EQ(Items(Popup("&Help")), (QStringList{"&Help Topics", "-", "&About Quorvane..."}));
    EXPECT_EQ(frame->windowTitle(), "Quorvane - Palette1 (0 Queues)");
    EXPECT_EQ(frame->objectName(), "TwQuillMainFrame");
}

TEST_F(CQuorvaneAppTest, QueueMenuTableMirrorsTheResource)
{
    const VkMenuTable& menu = QvQueueMenu();
    EXPECT_TRUE(VkMenuTableIsBalanced(menu));
    QStringList tops;
    int depth = 0;
    for (const VkMenuDef& def : menu) {
        if (def.kind == VkMenuDef::Popup && depth++ == 0)
            tops << def.text;
        else if (def.kind == VkMenuDef::EndPopup)
            --depth;
    }
    EXPECT_EQ(tops, (QStringList{"&File", "&Edit", "&View", "&Queue", "&Jobs", "&Window", "&Help"}));
    // Every command a menu, accelerator or button sends has its prompt.
    QList<UINT> ids;
    for (UINT id : VkMenuTableCommands(menu))
        ids << id;
    for (UINT id : VkMenuTableCommands(app->FrameMenu()))
        ids << id;
    for (const VkAccelDef& a : QvAccelerators())
        ids << a.id;
    for (UINT id : QvToolBar())
        if (id)
            ids << id;
    for (UINT id : ids) {
        if (id == ID_RECENT_NONE)
            continue;
        EXPECT_TRUE(QvStrings().Has(id)) << id;
    }
}

TEST_F(CQuorvaneAppTest, ToolBarButtonsHaveTheirOwnIconsAndTips)
{
    QToolBar* bar = frame->ToolBar();
    ASSERT_NE(bar, nullptr);
    QList<UINT> order;
    QSet<qint64> pictures;
    int buttons = 0;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) {
            order << 0;
            continue;
        }
        const UINT id = VkCommandActions::CommandId(a);
        order << id;
        ++buttons;
        ASSERT_FALSE(a->icon().isNull()) << id;
        const QImage image = a->icon().pixmap(16, 16).toImage();
        pictures.insert(image.cacheKey() ^ qHash(QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                                            image.sizeInBytes())));
        const VkCommandPrompt prompt = VkSplitPrompt(QvStrings().Load(id));
        EXPECT_EQ(a->toolTip().toStdString(), prompt.toolTip) << id;
        EXPECT_EQ(a->statusTip().toStdString(), prompt.status) << id;
    }
    QList<UINT> expected;
    for (UINT id : QvToolBar())
        expected << id;
    EXPECT_EQ(order, expected);
    EXPECT_EQ(pictures.size(), buttons); // no two buttons look alike

    // Hidden commands are disabled: nothing handles them yet.
    for (QAction* a : bar->actions()) {
        if (VkCommandActions::CommandId(a) == 32778) {
            EXPECT_FALSE(a->isEnabled());
        }
    }
}

TEST_F(CQuorvaneAppTest, SplashPictureAndIcons)
{
    EXPECT_TRUE(TwSplashWnd::m_pic.IsLoaded());
    EXPECT_EQ(TwSplashWnd::m_pic.Size(), QSize(420, 240));
    EXPECT_FALSE(QvFrameIcon().isNull());
    EXPECT_FALSE(QvQueueIcon().isNull());
    EXPECT_FALSE(frame->windowIcon().isNull());
}

TEST_F(CQuorvaneAppTest, HelpTopicsOpenTheShippedHelp)
{
    app->Actions()->Execute(ID_HELP_FINDER);
    QWidget* help = VkHelpWindow();
    ASSERT_NE(help, nullptr) << app->HelpFilePath();
    EXPECT_EQ(help->windowTitle(), "Quorvane Help");
    EXPECT_EQ(app->HelpFilePath().filename(), "quorvane.chm");
    EXPECT_EQ(app->HelpFilePath().parent_path().filename(), "Help");
}

TEST_F(CQuorvaneAppTest, PaletteSettingsHelpButtonShowsItsTopic)
{
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* box = d->findChild<QDialogButtonBox*>();
        EXPECT_NE(box, nullptr);
        if (box)
            box->button(QDialogButtonBox::Help)->click();
        return QDialog::Rejected;
    });
    app->Actions()->Execute(ID_PALETTE_PROPERTIES);
    ASSERT_NE(VkHelpWindow(), nullptr);
    EXPECT_EQ(VkHelpWindow()->windowTitle(), "Palette Settings");
}

TEST(CQuorvaneProgram, ScreenshotWritesANonBlankPicture)
{
    qvtest::TempRoot root;
    const auto png = root.path() / "main.png";
    std::string output;
    const int status = qvtest::RunCommand("QT_QPA_PLATFORM=offscreen QUORVANE_ROOT='" + root.path().string() + "' '" +
                                              qvtest::BinPath("quorvane").string() + "' --screenshot '" +
                                              png.string() + "'",
                                          &output, true);
    ASSERT_EQ(status, 0) << output;
    QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 300);
    EXPECT_GE(image.height(), 200);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20); // menus, tool bar and status bar, not one flat colour

    // A path that cannot be written is a failure, not a crash.
    const int bad = qvtest::RunCommand("QT_QPA_PLATFORM=offscreen QUORVANE_ROOT='" + root.path().string() + "' '" +
                                           qvtest::BinPath("quorvane").string() +
                                           "' --screenshot /nonexistent-dir/x.png",
                                       &output, true);
    EXPECT_NE(bad, 0);
}

TEST(CQuorvaneProgram, EmbeddedStartEndsWithoutAWindow)
{
    qvtest::TempRoot root;
    std::string output;
    const int status = qvtest::RunCommand("QT_QPA_PLATFORM=offscreen QUORVANE_ROOT='" + root.path().string() + "' '" +
                                              qvtest::BinPath("quorvane").string() + "' -Embedding",
                                          &output, true);
    EXPECT_EQ(status, 0) << output;
}

} // namespace

namespace {

// Every key a menu item shows sends that item's command, in both menus.
TEST(CQuorvaneMenuKeys, MenusShowOnlyKeysThatRunTheirItem)
{
    std::map<QString, UINT> accelerators;
    for (const VkAccelDef& accel : QvAccelerators())
        accelerators[QKeySequence(QString::fromLatin1(accel.key)).toString()] = accel.id;
    int keysShown = 0;
    for (const VkMenuTable* table : {&QvQueueMenu(), &TwFrameMenu()}) {
        for (const VkMenuDef& item : *table) {
            if (item.kind != VkMenuDef::Item)
                continue;
            const QString text = QString::fromLatin1(item.text);
            const qsizetype tab = text.indexOf('\t');
            if (tab < 0)
                continue;
            ++keysShown;
            const QString key = QKeySequence(text.mid(tab + 1)).toString();
            ASSERT_TRUE(accelerators.count(key)) << text.toStdString();
            EXPECT_EQ(accelerators[key], item.id) << text.toStdString();
        }
    }
    EXPECT_GE(keysShown, 7);
}

} // namespace
