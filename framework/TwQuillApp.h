#pragma once
// The base application: product strings, start-up and shut-down, the
// current palette, the shell's commands and help. The program derives its
// application from it and supplies the document template, the main frame,
// its resources and the refresh of one queue.

#include "framework/TwCommandLineInfo.h"
#include "framework/TwPalette.h"
#include "generic/VkCommand.h"
#include "generic/VkMenuTable.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QEvent;
class TwMainFrame;
class TwExplorerTool;
class TwMDIClientWnd;
class TwPalette;
class TwSettings;
class VkCommandActions;
class VkDocument;
class VkMultiDocTemplate;

class TwQuillApp : public QObject, public VkCommandTarget {
    Q_OBJECT
public:
    TwQuillApp();
    ~TwQuillApp() override;

    // The one application object.
    static TwQuillApp* App() { return s_app; }
    static QString Title();

    // Start-up; false ends the program. args without the program name.
    virtual bool InitInstance(const QStringList& args);
    // Writes the application's settings and closes the store; the exit code.
    virtual int ExitInstance();
    // Saves the palette when auto save is on; false keeps the program open.
    virtual bool SaveAllModified();
    // Offered every event first: the splash, then Qt's own handling.
    virtual bool PreTranslateMessage(QObject* target, QEvent* event);
    // The classic help call, mapped to the HTML help window.
    virtual void WinHelpA(const char* data, UINT command);

    // Slot order of the original interface.
    virtual void DoPaletteNew(bool withoutAsking);
    virtual void RegisterDocTemplates() = 0;
    virtual TwMainFrame* CreateMainFrame() = 0;
    virtual void RefreshDocument(VkDocument* doc) = 0;
    virtual TwPalette* OnWantNewPalette();
    virtual void OnPaletteOpenSuccess(TwPalette*) {}
    virtual void OnHelp();

    // Resources the program supplies.
    virtual VkMenuTable FrameMenu() const;
    virtual VkMenuTable DocumentMenu() const { return {}; }
    virtual VkAccelTable Accelerators() const { return {}; }
    // The prompt of a command ("status\ntip") from the program's strings.
    virtual std::string CommandPrompt(UINT id) const;
    virtual QIcon FrameIcon() const { return {}; }
    // The tool bar picture of a command; null for none.
    virtual QIcon CommandIcon(UINT) const { return {}; }
    virtual QImage AboutBitmap() const;

    TwMainFrame* MainFrame() const { return m_mainFrame; }
    TwMDIClientWnd* MDIFrame() const;
    TwPalette* CurrentPalette() const { return m_palette.get(); }
    TwSettings* Settings() const { return m_settings.get(); }
    VkCommandActions* Actions() const { return m_actions; }
    const VkCommandRouter& Router() const { return m_router; }
    const TwCommandLineInfo& CommandLine() const { return m_cmdInfo; }

    const QString& DocumentName() const { return m_docName; }
    const std::filesystem::path& HelpFilePath() const { return m_helpFilePath; }
    bool StartWithNewPalette() const { return m_startWithNewPalette; }
    bool AutoLoadPalette() const { return m_autoLoadPalette; }
    bool AutoSavePalette() const { return m_autoSavePalette; }
    // The rectangle and state read at start-up.
    QRect StartRect() const { return m_startRect; }
    bool StartMaximized() const { return m_startMaximized; }

    void SetMenuText(UINT id, const QString& text);
    // Closes the documents (asking first when ask) and makes newPalette the
    // current one; false, dropping newPalette, when the user keeps them.
    bool ConfirmPaletteChange(std::unique_ptr<TwPalette> newPalette, bool ask);
    // Asks whether to save the current palette first: true for No, and for
    // Yes once the palette is saved; false for Cancel or a save that did
    // not happen.
    bool CanCloseAll();
    bool DoPaletteProperties(TwPalette* palette, bool isNew);

    // Templates; the first is the queue template.
    void AddDocTemplate(VkMultiDocTemplate* tpl);
    VkMultiDocTemplate* FirstTemplate() const;
    // The queue documents that finished their creation.
    int OpenDocumentCount() const { return static_cast<int>(m_counted.size()); }
    // Called by a queue document once it is created and kept.
    void DocumentCreated(VkDocument* doc);
    // Called by every queue document after it closed.
    void OnCloseDocument(VkDocument* doc);
    // Re-tiles, retitles and updates the menus after a queue window opened.
    void AfterDocumentOpened();

    // True while a palette is opening its queue windows (they log on with
    // what the palette holds instead of asking).
    bool IsPaletteLoading() const { return m_paletteLoads > 0 || (m_palette && m_palette->IsLoading()); }
    void SetPaletteLoading(bool loading) { m_paletteLoads += loading ? 1 : -1; }
    // The folder file dialogs start in: the documents folder at first,
    // then the folder last chosen.
    QString FileDialogFolder() const;
    void SetFileDialogFolder(const QString& folder) { m_fileDialogFolder = folder; }
    // Shows a failed palette load or save (text says which file and why).
    virtual void ReportPaletteError(const QString& text);
    // The paths of the Recent menu, in menu order.
    const std::vector<QString>& RecentPalettePaths() const { return m_recentPaths; }
    // Makes candidate current with its file's queue windows; the current
    // palette and its windows stay when the question is cancelled or the
    // file cannot be read.
    bool OpenPalette(std::unique_ptr<TwPalette> candidate);

    // Commands.
    void OnFileNew();
    void OnViewRefreshall();
    void OnFileCloseall();
    void OnAppAbout();
    void OnPaletteNew();
    void OnPaletteProperties();
    void OnPaletteOpen();
    void OnPaletteSave();
    void OnPaletteSaveas();
    void OnRecentPaletteOpen(UINT id);

    // The explorer tool window (null before the main frame exists).
    TwExplorerTool* ExplorerTool() const { return m_explorer.get(); }
    // View > Schema Explorer: shows or hides the explorer tool window.
    void OnToolsOracleexplorer();
    // The main frame was resized or minimized.
    virtual void HandleFrameMinimize(bool minimized);
    // The main frame is closing: the explorer's settings are written...
    virtual void SaveExplorerTool();
    // ...and, once nothing keeps the program open, its window goes.
    virtual void DestroyExplorerTool();

protected:
    // Initialises the component runtime (start-up step 5).
    virtual bool InitOle();
    // Opens the program's settings branch.
    virtual std::unique_ptr<TwSettings> OpenSettings(const QString& company, const QString& appKey);
    // Loads the current palette's file at start-up; a file that cannot be
    // read leaves a new palette instead, so that nothing overwrites it.
    virtual bool LoadStartupPalette();
    // Saves the current palette (asking for a path when asked) and puts it
    // first in the Recent menu.
    virtual bool SavePalette(bool askForPath);
public:
    // Rebuilds the Recent palettes menu with path (when not empty) first.
    virtual void UpdateRecentPaletteMenu(const QString& path, const QString& title);
protected:
    // Brings the explorer tool window back as it was at the last exit.
    virtual void RestoreExplorerTool();

    // The eight product strings, set by the program.
    QString m_helpFileName;
    QString m_title;
    QString m_company;
    QString m_docName;
    QString m_longName;
    QString m_versionText;
    QString m_paletteExt;
    QString m_paletteFilter;

private:
    // Names what keeps the registry from being used and asks whether to go
    // on with default settings (a damaged hive set aside); false to end.
    bool CheckRegistry();
    void MapAppCommands();
    std::vector<VkCommandTarget*> CommandChain() const;

    static TwQuillApp* s_app;

    TwCommandLineInfo m_cmdInfo;
    std::filesystem::path m_helpFilePath;
    std::unique_ptr<TwSettings> m_settings;
    std::unique_ptr<TwPalette> m_palette;
    std::unique_ptr<TwExplorerTool> m_explorer;
    std::vector<VkMultiDocTemplate*> m_templates;
    std::set<VkDocument*> m_counted;
    TwMainFrame* m_mainFrame = nullptr;
    VkCommandRouter m_router;
    VkCommandActions* m_actions = nullptr;
    std::unique_ptr<QObject> m_eventHook;
    QRect m_startRect;
    bool m_startMaximized = false;
    bool m_startWithNewPalette = false;
    bool m_autoLoadPalette = true;
    bool m_autoSavePalette = true;
    bool m_comInitialised = false;
    int m_paletteLoads = 0;
    QString m_fileDialogFolder;
    std::vector<QString> m_recentPaths;
};
