#include "framework/TwQuillApp.h"

#include "framework/TwAppStoreSettings.h"
#include "framework/TwArtwork.h"
#include "framework/TwCommandIds.h"
#include "framework/TwExplorerTool.h"
#include "framework/TwFrameMenu.h"
#include "framework/TwMDIClientWnd.h"
#include "framework/TwMainFrame.h"
#include "framework/TwPalette.h"
#include "framework/TwPaletteSettingsDlg.h"
#include "framework/TwRecentPalettes.h"
#include "framework/TwSettings.h"
#include "framework/TwSplashWnd.h"
#include "framework/TwStrings.h"
#include "framework/TwWorkArea.h"
#include "generic/VkAboutBox.h"
#include "generic/VkCommandActions.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"
#include "platform/ComRuntime.h"
#include "platform/VkRegHealth.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>

TwQuillApp* TwQuillApp::s_app = nullptr;

namespace {

// Hands every event of the program to PreTranslateMessage first.
class AppEventHook : public QObject {
public:
    explicit AppEventHook(TwQuillApp* app) : m_app(app) {}
    bool eventFilter(QObject* target, QEvent* event) override { return m_app->PreTranslateMessage(target, event); }

private:
    TwQuillApp* m_app;
};

} // namespace

TwQuillApp::TwQuillApp()
{
    s_app = this;
    m_router.SetChain([this] { return CommandChain(); });
    MapAppCommands();
}

TwQuillApp::~TwQuillApp()
{
    if (m_eventHook && qApp)
        qApp->removeEventFilter(m_eventHook.get());
    m_eventHook.reset();
    // The explorer's worker ends before the frame that holds its window.
    m_explorer.reset();
    // Documents go before the windows that show them.
    for (VkMultiDocTemplate* tpl : m_templates)
        delete tpl;
    m_templates.clear();
    delete m_mainFrame;
    if (s_app == this)
        s_app = nullptr;
}

QString TwQuillApp::Title()
{
    return s_app ? s_app->m_title : QString();
}

TwMDIClientWnd* TwQuillApp::MDIFrame() const
{
    return m_mainFrame ? m_mainFrame->MDIClient() : nullptr;
}

VkMenuTable TwQuillApp::FrameMenu() const
{
    return TwFrameMenu();
}

std::string TwQuillApp::CommandPrompt(UINT) const
{
    return {};
}

QImage TwQuillApp::AboutBitmap() const
{
    return TwAboutBitmap();
}

bool TwQuillApp::InitOle()
{
    m_comInitialised = SUCCEEDED(CoInitialize(nullptr));
    return m_comInitialised;
}

std::unique_ptr<TwSettings> TwQuillApp::OpenSettings(const QString& company, const QString& appKey)
{
    return std::make_unique<TwAppStoreSettings>(company.toStdString(), appKey.toStdString());
}

bool TwQuillApp::InitInstance(const QStringList& args)
{
    // 1. The current palette.
    m_palette.reset(OnWantNewPalette());
    // 3. The help file: "Help" beside the program's folder.
    m_helpFilePath = VkReplaceLastFolder(VkProgramFolder(), "Help") / m_helpFileName.toStdString();
    // 4. The command line.
    m_cmdInfo.Parse(args);
    TwSplashWnd::EnableSplashScreen(m_cmdInfo.m_bShowSplash && m_cmdInfo.m_screenshotPath.isEmpty());
    // 5. The component runtime.
    if (!InitOle()) {
        VkModalService::MessageBox(nullptr, TwString(IDS_TW_OLE_INIT_FAILED), m_title, MB_OK | MB_ICONSTOP);
        return false;
    }
    // The registry the settings live in: a damaged hive or a folder that
    // cannot be written is named, and the user chooses to go on without it.
    if (!CheckRegistry())
        return false;
    // 6, 7. Settings.
    m_settings = OpenSettings(m_company, m_title);
    if (!m_settings)
        m_settings = std::make_unique<TwMemorySettings>();
    const auto name = [](UINT id) { return TwStrings().Load(id); };
    m_startRect = m_settings->GetRect(nullptr, name(IDS_TW_APPDIMS).c_str(), nullptr);
    const bool maximized = m_settings->GetBool(nullptr, name(IDS_TW_MAXIMIZED).c_str(), true);
    const QString lastPalette =
        QString::fromStdString(m_settings->GetString(nullptr, name(IDS_TW_LAST_PALETTE).c_str(), ""));
    m_autoLoadPalette = m_settings->GetBool(nullptr, name(IDS_TW_AUTO_LOAD_PALETTE).c_str(), true);
    m_autoSavePalette = m_settings->GetBool(nullptr, name(IDS_TW_AUTO_SAVE_PALETTE).c_str(), true);
    m_startWithNewPalette = false;
    // 8. Which palette to start with.
    if (!m_autoLoadPalette || QFileInfo(lastPalette).fileName().isEmpty()) {
        m_startWithNewPalette = true;
        // A user who placed the frame but never saved a palette keeps the
        // placement; without one, step 14 maximizes.
        if (!m_autoLoadPalette)
            m_startMaximized = true;
    } else {
        m_palette->SetPath(lastPalette);
        if (!QFileInfo(lastPalette).isFile()) {
            // The palette keeps the path but is still a new one.
            m_palette->MarkDefault();
            m_startWithNewPalette = true;
        }
    }
    // 10. Templates.
    RegisterDocTemplates();
    // 11. The main frame.
    m_actions = new VkCommandActions(&m_router, [this](UINT id) { return CommandPrompt(id); }, this);
    m_actions->SetIcons([this](UINT id) { return CommandIcon(id); });
    m_mainFrame = CreateMainFrame();
    if (!m_mainFrame || !m_mainFrame->LoadFrame())
        return false;
    for (VkMultiDocTemplate* tpl : m_templates)
        tpl->SetMdiArea(MDIFrame());
    m_actions->StartIdleUpdates(250);
    m_eventHook = std::make_unique<AppEventHook>(this);
    qApp->installEventFilter(m_eventHook.get());
    // 13. Embedded or automated: no window.
    if (m_cmdInfo.IsEmbeddedOrAutomated())
        return true;
    // 14. Placement, splash, show.
    if (!m_startRect.isEmpty()) {
        m_mainFrame->setGeometry(TwFitToWorkArea(m_startRect));
        if (maximized)
            m_startMaximized = true;
    } else {
        // Never placed by the user (a palette written at set-up opens on a
        // first start): the whole screen, as a first start has it.
        m_startMaximized = true;
    }
    TwSplashWnd::ShowSplashScreen(m_mainFrame);
    if (m_startMaximized)
        m_mainFrame->showMaximized();
    else
        m_mainFrame->show();
    // 15. The explorer tool window.
    RestoreExplorerTool();
    // 16. The last palette.
    if (!m_startWithNewPalette)
        LoadStartupPalette();
    // 17, 18.
    m_mainFrame->SetTitlePostfix(m_palette->Title());
    UpdateRecentPaletteMenu(QString(), QString());
    SetMenuText(ID_APP_ABOUT, QStringLiteral("&About %1...").arg(m_title));
    return true;
}

bool TwQuillApp::CheckRegistry()
{
    for (const VkRegProblem& problem : VkCheckRegistry()) {
        const std::string text = VkRegProblemText(problem);
        if (problem.kind != VkRegProblem::Damaged) {
            const std::string question = TwStrings().Format(IDS_TW_REGISTRY_UNWRITABLE, text.c_str());
            if (VkModalService::MessageBox(nullptr, QString::fromStdString(question), m_title,
                                           MB_YESNO | MB_ICONWARNING)
                != IDYES)
                return false;
            continue;
        }
        const std::string aside = VkHiveAsideName(problem.path).string();
        const std::string question = TwStrings().Format(IDS_TW_REGISTRY_DAMAGED, text.c_str(), aside.c_str());
        if (VkModalService::MessageBox(nullptr, QString::fromStdString(question), m_title, MB_YESNO | MB_ICONWARNING)
            != IDYES)
            return false;
        std::filesystem::path kept;
        std::string error;
        if (!VkSetHiveAside(problem.path, &kept, &error)) {
            const std::string notice =
                TwStrings().Format(IDS_TW_REGISTRY_NOT_SET_ASIDE, problem.path.c_str(), error.c_str());
            VkModalService::MessageBox(nullptr, QString::fromStdString(notice), m_title, MB_OK | MB_ICONWARNING);
        }
    }
    return true;
}

int TwQuillApp::ExitInstance()
{
    if (m_settings) {
        const auto name = [](UINT id) { return TwStrings().Load(id); };
        // Only a palette that was read from or written to its file is worth
        // opening next time; otherwise the last one stays.
        if (m_palette && !m_palette->IsDefault() && QFileInfo(m_palette->Path()).isFile())
            m_settings->SetString(nullptr, name(IDS_TW_LAST_PALETTE).c_str(), m_palette->Path().toStdString());
        m_settings->SetBool(nullptr, name(IDS_TW_AUTO_LOAD_PALETTE).c_str(), m_autoLoadPalette);
        m_settings->SetBool(nullptr, name(IDS_TW_AUTO_SAVE_PALETTE).c_str(), m_autoSavePalette);
        m_settings->Close();
    }
    if (m_eventHook && qApp)
        qApp->removeEventFilter(m_eventHook.get());
    if (m_comInitialised) {
        CoUninitialize();
        m_comInitialised = false;
    }
    return 0;
}

void TwQuillApp::RestoreExplorerTool()
{
    if (!m_mainFrame)
        return;
    if (!m_explorer)
        m_explorer = std::make_unique<TwExplorerTool>(m_mainFrame);
    if (m_settings)
        m_explorer->SerializeSettings(true, *m_settings);
}

void TwQuillApp::OnToolsOracleexplorer()
{
    if (!m_explorer && m_mainFrame)
        m_explorer = std::make_unique<TwExplorerTool>(m_mainFrame);
    if (m_explorer)
        m_explorer->ToggleShowState();
}

void TwQuillApp::HandleFrameMinimize(bool minimized)
{
    if (m_explorer)
        m_explorer->HandleMinimize(minimized);
}

void TwQuillApp::SaveExplorerTool()
{
    if (m_explorer && m_explorer->Window() && m_settings)
        m_explorer->SerializeSettings(false, *m_settings);
}

void TwQuillApp::DestroyExplorerTool()
{
    if (m_explorer)
        m_explorer->Destroy();
}

bool TwQuillApp::SaveAllModified()
{
    // A palette never saved and without queues holds nothing to keep.
    const bool empty = m_palette && m_palette->IsDefault() && OpenDocumentCount() == 0 &&
                       (!FirstTemplate() || FirstTemplate()->DocumentCount() == 0);
    if (m_autoSavePalette && !empty)
        SavePalette(false);
    return true;
}

bool TwQuillApp::LoadStartupPalette()
{
    if (!m_palette)
        return false;
    if (m_palette->Load(*this, false, MDIFrame()))
        return true;
    // The file stays as it is for the user to look at; a new palette takes
    // its place so that saving on exit cannot overwrite it.
    m_palette.reset(OnWantNewPalette());
    m_startWithNewPalette = true;
    return false;
}

bool TwQuillApp::SavePalette(bool askForPath)
{
    if (!m_palette || !m_palette->Save(*this, askForPath))
        return false;
    UpdateRecentPaletteMenu(m_palette->Path(), m_palette->Title());
    return true;
}

QString TwQuillApp::FileDialogFolder() const
{
    return m_fileDialogFolder.isEmpty() ? QString::fromStdString(VkPersonalFolder().string()) : m_fileDialogFolder;
}

void TwQuillApp::ReportPaletteError(const QString& text)
{
    VkModalService::MessageBox(nullptr, text, m_title, MB_OK | MB_ICONEXCLAMATION);
}

void TwQuillApp::UpdateRecentPaletteMenu(const QString& path, const QString& title)
{
    if (!m_settings)
        return;
    const std::vector<TwRecentPalette> entries = TwRecentPalettes::Update(*m_settings, path, title);
    m_recentPaths.clear();
    for (const TwRecentPalette& entry : entries)
        m_recentPaths.push_back(entry.path);
    if (!m_mainFrame || !m_actions)
        return;
    for (QMenu* recent : m_mainFrame->RecentPopups()) {
        recent->clear();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int n = static_cast<int>(i) + 1;
            recent->addAction(m_actions->CreateAction(ID_RECENT_PALETTE_FIRST - 1 + n,
                                                      TwRecentPalettes::MenuText(n, entries[i]), recent));
        }
        if (entries.empty())
            recent->addAction(m_actions->CreateAction(0, TwString(IDS_TW_NONE), recent));
    }
    m_actions->RequestUpdate();
}

bool TwQuillApp::OpenPalette(std::unique_ptr<TwPalette> candidate)
{
    if (!candidate || !CanCloseAll())
        return false;
    std::vector<QPointer<VkDocument>> previous;
    if (VkMultiDocTemplate* tpl = FirstTemplate())
        for (VkDocument* doc : tpl->Documents())
            previous.push_back(doc);
    if (!candidate->Load(*this, false, MDIFrame()))
        return false;
    for (const QPointer<VkDocument>& doc : previous)
        if (doc)
            doc->OnCloseDocument();
    m_palette = std::move(candidate);
    if (m_mainFrame) {
        m_mainFrame->update();
        if (MDIFrame())
            MDIFrame()->viewport()->update();
    }
    AfterDocumentOpened();
    UpdateRecentPaletteMenu(m_palette->Path(), m_palette->Title());
    OnPaletteOpenSuccess(m_palette.get());
    return true;
}

void TwQuillApp::OnPaletteOpen()
{
    std::unique_ptr<TwPalette> candidate(OnWantNewPalette());
    if (!candidate->InteractPalettePath(*this))
        return;
    OpenPalette(std::move(candidate));
}

void TwQuillApp::OnRecentPaletteOpen(UINT id)
{
    const std::size_t index = id - ID_RECENT_PALETTE_FIRST;
    if (id < ID_RECENT_PALETTE_FIRST || index >= m_recentPaths.size())
        return;
    std::unique_ptr<TwPalette> candidate(OnWantNewPalette());
    candidate->SetPath(m_recentPaths[index]);
    OpenPalette(std::move(candidate));
}

void TwQuillApp::OnPaletteSave()
{
    SavePalette(false);
}

void TwQuillApp::OnPaletteSaveas()
{
    SavePalette(true);
}

bool TwQuillApp::PreTranslateMessage(QObject*, QEvent* event)
{
    return TwSplashWnd::PreTranslateAppMessage(event);
}

void TwQuillApp::WinHelpA(const char* data, UINT command)
{
    switch (command) {
    case HELP_CONTEXT:
        command = HH_DISPLAY_TOPIC;
        data = nullptr;
        break;
    case HELP_CONTENTS:
        command = HH_DISPLAY_TOC;
        break;
    case HELP_FINDER:
        command = HH_DISPLAY_TOPIC;
        break;
    default:
        break;
    }
    VkHtmlHelp(m_mainFrame, m_helpFilePath, command, data);
}

void TwQuillApp::OnHelp()
{
    WinHelpA(nullptr, HELP_CONTEXT);
}

TwPalette* TwQuillApp::OnWantNewPalette()
{
    return new TwPalette;
}

std::vector<VkCommandTarget*> TwQuillApp::CommandChain() const
{
    std::vector<VkCommandTarget*> chain;
    if (TwMDIClientWnd* client = MDIFrame()) {
        if (QMdiSubWindow* active = client->activeSubWindow()) {
            for (VkMultiDocTemplate* tpl : m_templates)
                if (VkDocument* doc = tpl->DocumentOfFrame(active))
                    chain.push_back(doc);
            if (auto* frame = dynamic_cast<VkCommandTarget*>(active))
                chain.push_back(frame);
        }
    }
    if (m_mainFrame)
        chain.push_back(m_mainFrame);
    chain.push_back(const_cast<TwQuillApp*>(this));
    return chain;
}

void TwQuillApp::MapAppCommands()
{
    MapCommand(ID_PALETTE_NEW, [this] { OnPaletteNew(); });
    MapCommand(ID_PALETTE_PROPERTIES, [this] { OnPaletteProperties(); });
    MapCommand(ID_PALETTE_OPEN, [this] { OnPaletteOpen(); });
    MapCommand(ID_PALETTE_SAVE, [this] { OnPaletteSave(); });
    MapCommand(ID_PALETTE_SAVEAS, [this] { OnPaletteSaveas(); });
    MapCommand(ID_RECENT_PALETTE_FIRST, [this](UINT id) { OnRecentPaletteOpen(id); }, {}, ID_RECENT_PALETTE_LAST);
    MapCommand(ID_FILE_NEW, [this] { OnFileNew(); }, [this](VkCmdUI& ui) {
        ui.Enable(FirstTemplate() && FirstTemplate()->CanCreateDocuments());
    });
    auto anyOpen = [this](VkCmdUI& ui) { ui.Enable(OpenDocumentCount() != 0); };
    MapCommand(ID_VIEW_REFRESHALL, [this] { OnViewRefreshall(); }, anyOpen);
    MapCommand(ID_FILE_CLOSEALL, [this] { OnFileCloseall(); }, anyOpen);
    MapCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    MapCommand(ID_TOOLS_ORACLEEXPLORER, [this] { OnToolsOracleexplorer(); }, [this](VkCmdUI& ui) {
        ui.Enable(m_mainFrame != nullptr);
        ui.SetCheck(m_explorer && m_explorer->Visible());
    });
    MapCommand(ID_APP_EXIT, [this] {
        if (m_mainFrame)
            m_mainFrame->close();
    });
}

void TwQuillApp::AddDocTemplate(VkMultiDocTemplate* tpl)
{
    if (!tpl)
        return;
    tpl->setParent(this);
    if (MDIFrame())
        tpl->SetMdiArea(MDIFrame());
    m_templates.push_back(tpl);
}

VkMultiDocTemplate* TwQuillApp::FirstTemplate() const
{
    return m_templates.empty() ? nullptr : m_templates.front();
}

void TwQuillApp::DocumentCreated(VkDocument* doc)
{
    if (doc)
        m_counted.insert(doc);
}

void TwQuillApp::OnCloseDocument(VkDocument* doc)
{
    if (m_mainFrame)
        m_mainFrame->DoAutoTile();
    // Documents abandoned before they were kept were never counted.
    m_counted.erase(doc);
    if (m_mainFrame) {
        m_mainFrame->SetTitlePostfix(m_palette ? m_palette->Title() : QString());
        m_mainFrame->UpdateMenuSet();
    }
    if (m_counted.empty())
        UpdateRecentPaletteMenu(QString(), QString());
    if (m_actions)
        m_actions->RequestUpdate();
}

void TwQuillApp::OnFileNew()
{
    if (VkMultiDocTemplate* tpl = FirstTemplate())
        tpl->OpenDocumentFile(true);
    AfterDocumentOpened();
}

void TwQuillApp::AfterDocumentOpened()
{
    if (m_mainFrame) {
        m_mainFrame->DoAutoTile();
        m_mainFrame->SetTitlePostfix(m_palette ? m_palette->Title() : QString());
        m_mainFrame->UpdateMenuSet();
    }
    if (m_actions)
        m_actions->RequestUpdate();
}

void TwQuillApp::OnViewRefreshall()
{
    VkMultiDocTemplate* tpl = FirstTemplate();
    if (!tpl)
        return;
    const std::vector<VkDocument*> docs = tpl->Documents();
    for (VkDocument* doc : docs)
        RefreshDocument(doc);
}

void TwQuillApp::OnFileCloseall()
{
    if (!CanCloseAll())
        return;
    if (VkMultiDocTemplate* tpl = FirstTemplate())
        tpl->CloseAllDocuments();
}

void TwQuillApp::OnAppAbout()
{
    VkAboutBox about(AboutBitmap(), TwString(IDS_TW_NOTICE), m_versionText, m_longName, TwString(IDS_TW_WEB_ADDRESS),
                     m_mainFrame);
    about.DoModal();
}

void TwQuillApp::SetMenuText(UINT id, const QString& text)
{
    if (!m_mainFrame)
        return;
    for (QAction* popup : m_mainFrame->CurrentMenuPopups()) {
        for (QAction* item : popup->menu()->actions()) {
            if (VkCommandActions::CommandId(item) == id && !item->menu()) {
                item->setText(text);
                return;
            }
        }
    }
}

bool TwQuillApp::CanCloseAll()
{
    const QByteArray path = (m_palette ? m_palette->Path() : QString()).toUtf8();
    const QString text = QString::fromStdString(TwStrings().Format(IDS_TW_SAVE_PALETTE_FIRST, path.constData()));
    switch (VkModalService::MessageBox(m_mainFrame, text, m_title, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        // Going on after a failed or cancelled save would lose the queues
        // the user just asked to keep.
        return SavePalette(m_palette && m_palette->IsDefault());
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool TwQuillApp::ConfirmPaletteChange(std::unique_ptr<TwPalette> newPalette, bool ask)
{
    if (ask && !CanCloseAll())
        return false;
    if (VkMultiDocTemplate* tpl = FirstTemplate())
        tpl->CloseAllDocuments();
    m_palette = std::move(newPalette);
    if (MDIFrame())
        MDIFrame()->viewport()->update();
    return true;
}

bool TwQuillApp::DoPaletteProperties(TwPalette* palette, bool isNew)
{
    if (!palette)
        return false;
    TwPaletteSettingsDlg dialog(TwPaletteSettings::From(*palette, m_autoLoadPalette, m_autoSavePalette, isNew),
                                m_title, m_mainFrame);
    if (VkModalService::DoModal(&dialog) != QDialog::Accepted)
        return false;
    const TwPaletteSettings& chosen = dialog.Settings();
    m_autoLoadPalette = chosen.autoLoad;
    m_autoSavePalette = chosen.autoSave;
    chosen.ApplyTo(*palette);
    return true;
}

void TwQuillApp::DoPaletteNew(bool withoutAsking)
{
    std::unique_ptr<TwPalette> palette(OnWantNewPalette());
    if (!DoPaletteProperties(palette.get(), true))
        return;
    if (!ConfirmPaletteChange(std::move(palette), !withoutAsking))
        return;
    if (m_mainFrame) {
        m_mainFrame->update();
        if (MDIFrame())
            MDIFrame()->viewport()->update();
        m_mainFrame->SetTitlePostfix(m_palette->Title());
    }
    OnFileNew();
}

void TwQuillApp::OnPaletteNew()
{
    DoPaletteNew(false);
}

void TwQuillApp::OnPaletteProperties()
{
    if (!DoPaletteProperties(m_palette.get(), false))
        return;
    if (MDIFrame())
        MDIFrame()->viewport()->update();
    if (m_mainFrame)
        m_mainFrame->SetTitlePostfix(m_palette->Title());
}
