#include "framework/TwMainFrame.h"

#include "framework/TwCommandIds.h"
#include "framework/TwMDIClientWnd.h"
#include "framework/TwQuillApp.h"
#include "framework/TwSettings.h"
#include "framework/TwSplashWnd.h"
#include "framework/TwStrings.h"
#include "generic/VkCommandActions.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkPostedMessage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

TwMainFrame::TwMainFrame(TwQuillApp* app) : m_app(app)
{
    setObjectName(QStringLiteral("TwQuillMainFrame"));
    if (TwSettings* settings = app ? app->Settings() : nullptr)
        m_autoTile = settings->GetBool(nullptr, TwStrings().Load(IDS_TW_AUTOTILE).c_str(), false);
    if (app)
        setWindowIcon(app->FrameIcon());
}

TwMainFrame::~TwMainFrame()
{
    // Child windows going away must not reach a half-destroyed frame.
    if (m_client)
        m_client->disconnect(this);
}

TwMainFrame* TwMainFrame::GetMainWnd()
{
    TwQuillApp* app = TwQuillApp::App();
    return app ? app->MainFrame() : nullptr;
}

bool TwMainFrame::LoadFrame()
{
    m_client = new TwMDIClientWnd([this]() -> const TwPalette* { return m_app ? m_app->CurrentPalette() : nullptr; },
                                  this);
    setCentralWidget(m_client);
    connect(m_client, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        UpdateMenuSet();
        if (m_app && m_app->Actions())
            m_app->Actions()->RequestUpdate();
    });

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    m_messagePane = new QLabel(TwString(IDS_TW_IDLE_MESSAGE), bar);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    m_messagePane->setMinimumWidth(150);
    bar->addWidget(m_messagePane, 1);
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(QString::fromLatin1(text), bar);
        pane->setObjectName(QString::fromLatin1(text));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
        bar->addPermanentWidget(pane);
        m_indicators.push_back(pane);
    }
    ShowKeyStates(TwKeyStates::Query());
    // The lock keys change outside the program too; look now and then.
    auto* keyWatch = new QTimer(this);
    connect(keyWatch, &QTimer::timeout, this, [this] { ShowKeyStates(TwKeyStates::Query()); });
    keyWatch->start(300);

    if (m_app && m_app->Actions()) {
        VkCommandActions* actions = m_app->Actions();
        // Both menus live in one bar; the set that applies is shown.
        for (QAction* a : actions->BuildMenuBar(menuBar(), m_app->FrameMenu()))
            m_frameMenus.push_back(a);
        for (QAction* a : actions->BuildMenuBar(menuBar(), m_app->DocumentMenu(), true))
            m_docMenus.push_back(a);
        actions->AddAccelerators(this, m_app->Accelerators());
    }
    MapFrameCommands();
    if (!CreateToolBars())
        return false;
    UpdateMenuSet();
    SetTitlePostfix(QString());
    return true;
}

QList<QMenu*> TwMainFrame::RecentPopups() const
{
    QList<QMenu*> popups;
    for (const QList<QPointer<QAction>>* set : {&m_frameMenus, &m_docMenus}) {
        for (const QPointer<QAction>& top : *set) {
            QMenu* file = top ? top->menu() : nullptr;
            if (!file || file->actions().isEmpty() || VkCommandActions::CommandId(file->actions().first()) != ID_PALETTE_NEW)
                continue;
            const QList<QAction*> items = file->actions();
            for (int i = 0; i < items.size(); ++i) {
                if (VkCommandActions::CommandId(items[i]) == ID_APP_EXIT && i >= 2 && items[i - 2]->menu())
                    popups.push_back(items[i - 2]->menu());
            }
            break;
        }
    }
    return popups;
}

QLabel* TwMainFrame::IndicatorPane(int index) const
{
    return index >= 0 && index < static_cast<int>(m_indicators.size()) ? m_indicators[index] : nullptr;
}

void TwMainFrame::ShowKeyStates(const std::optional<TwKeyStates>& states)
{
    const bool on[] = {states && states->capsLock, states && states->numLock, states && states->scrollLock};
    for (std::size_t i = 0; i < m_indicators.size() && i < 3; ++i)
        m_indicators[i]->setEnabled(on[i]);
}

void TwMainFrame::MapFrameCommands()
{
    MapCommand(ID_WINDOW_AUTOTILE, [this] { OnWindowAutotile(); },
               [this](VkCmdUI& ui) { ui.SetCheck(m_autoTile ? 1 : 0); });
    auto hasChild = [this](VkCmdUI& ui) { ui.Enable(m_client && m_client->activeSubWindow()); };
    MapCommand(ID_WINDOW_CASCADE, [this] { m_client->cascadeSubWindows(); }, hasChild);
    MapCommand(ID_WINDOW_TILE_HORZ, [this] { m_client->tileSubWindows(); }, hasChild);
    MapCommand(ID_WINDOW_ARRANGE, [this] {
        for (QMdiSubWindow* w : m_client->subWindowList())
            if (w->isMinimized())
                w->showMinimized(); // Qt lines minimized windows up at the bottom
    }, hasChild);
    MapCommand(ID_WINDOW_NEW, [this] {
        VkMultiDocTemplate* tpl = m_app ? m_app->FirstTemplate() : nullptr;
        if (tpl)
            if (VkDocument* doc = tpl->DocumentOfFrame(m_client->activeSubWindow()))
                tpl->CreateNewFrame(doc);
    }, hasChild);
    auto toggle = [this](auto getBar) {
        return [this, getBar] {
            if (QWidget* w = getBar())
                w->setVisible(!w->isVisible());
        };
    };
    auto checked = [](auto getBar) {
        return [getBar](VkCmdUI& ui) {
            QWidget* w = getBar();
            ui.Enable(w != nullptr);
            ui.SetCheck(w && !w->isHidden() ? 1 : 0);
        };
    };
    auto toolBar = [this]() -> QWidget* { return findChild<QToolBar*>(); };
    auto status = [this]() -> QWidget* { return statusBar(); };
    MapCommand(ID_VIEW_TOOLBAR, toggle(toolBar), checked(toolBar));
    MapCommand(ID_VIEW_STATUS_BAR, toggle(status), checked(status));
    MapCommand(ID_HELP_FINDER, [this] { m_app->WinHelpA(nullptr, HELP_FINDER); });
    MapCommand(ID_DEFAULT_HELP, [this] { m_app->WinHelpA(nullptr, HELP_FINDER); });
    MapCommand(ID_HELP, [this] { m_app->WinHelpA(nullptr, HELP_CONTEXT); });
    MapCommand(ID_CONTEXT_HELP, [] { QWhatsThis::enterWhatsThisMode(); });
}

void TwMainFrame::UpdateMenuSet()
{
    const bool docs = m_client && !m_client->subWindowList().isEmpty() && !m_docMenus.isEmpty();
    for (const QPointer<QAction>& a : m_frameMenus)
        if (a)
            a->setVisible(!docs);
    for (const QPointer<QAction>& a : m_docMenus)
        if (a)
            a->setVisible(docs);
}

QList<QAction*> TwMainFrame::CurrentMenuPopups() const
{
    QList<QAction*> popups;
    for (QAction* a : menuBar()->actions())
        if (a->isVisible() && a->menu())
            popups.push_back(a);
    return popups;
}

QString TwMainFrame::TitleText(const QString& appTitle, const QString& postfix, long count, const QString& docName)
{
    if (postfix.isEmpty())
        return appTitle;
    const QByteArray t = appTitle.toUtf8(), p = postfix.toUtf8(), d = docName.toUtf8();
    const std::string text = count == 1
        ? TwStrings().Format(IDS_TW_FRAME_TITLE_ONE, t.constData(), p.constData(), d.constData())
        : TwStrings().Format(IDS_TW_FRAME_TITLE_MANY, t.constData(), p.constData(), count, d.constData());
    return QString::fromStdString(text);
}

void TwMainFrame::SetTitlePostfix(const QString& postfix)
{
    const long count = m_app && m_app->FirstTemplate() ? m_app->FirstTemplate()->DocumentCount() : 0;
    m_title = TitleText(TwQuillApp::Title(), postfix, count, m_app ? m_app->DocumentName() : QString());
    setWindowTitle(m_title);
}

void TwMainFrame::DoAutoTile()
{
    if (m_autoTile && m_client)
        m_client->TileVertically();
}

void TwMainFrame::OnWindowAutotile()
{
    m_autoTile = !m_autoTile;
    DoAutoTile();
}

QRect TwMainFrame::NormalRect() const
{
    const QRect normal = normalGeometry();
    return normal.isValid() ? normal : geometry();
}

void TwMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_app)
        m_app->HandleFrameMinimize(isMinimized());
    DoAutoTile();
}

void TwMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Minimizing changes the state without a resize.
    if (event->type() == QEvent::WindowStateChange && m_app)
        m_app->HandleFrameMinimize(isMinimized());
}

void TwMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_app && !m_app->AutoSavePalette() && !m_app->CanCloseAll()) {
        event->ignore();
        return;
    }
    if (TwSettings* settings = m_app ? m_app->Settings() : nullptr) {
        const QRect normal = NormalRect();
        if (normal.isValid()) {
            settings->SetRect(nullptr, TwStrings().Load(IDS_TW_APPDIMS).c_str(), normal);
            settings->SetBool(nullptr, TwStrings().Load(IDS_TW_MAXIMIZED).c_str(), isMaximized());
        }
        settings->SetBool(nullptr, TwStrings().Load(IDS_TW_AUTOTILE).c_str(), m_autoTile);
    }
    if (m_app) {
        m_app->SaveExplorerTool();
        if (!m_app->SaveAllModified()) {
            event->ignore();
            return;
        }
        m_app->DestroyExplorerTool();
        if (VkMultiDocTemplate* tpl = m_app->FirstTemplate())
            tpl->CloseAllDocuments();
    }
    QMainWindow::closeEvent(event);
}

bool TwMainFrame::event(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(UWM_SPLASH_CLOSED)) {
        OnSplashClosed();
        return true;
    }
    if (event->type() == QEvent::WindowTitleChange && !m_title.isEmpty() && windowTitle() != m_title) {
        // A maximized child appends its own name; only the stored title
        // ever shows.
        QMainWindow::event(event);
        setWindowTitle(m_title);
        return true;
    }
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (m_messagePane)
            m_messagePane->setText(tip.isEmpty() ? TwString(IDS_TW_IDLE_MESSAGE) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void TwMainFrame::OnSplashClosed()
{
    if (m_app && m_app->StartWithNewPalette())
        m_app->DoPaletteNew(true);
}
