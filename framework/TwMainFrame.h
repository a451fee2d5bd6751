#pragma once
// The main frame: MDI client, status bar with the message pane and the
// CAP, NUM and SCRL indicators, the frame title with the palette and the
// number of open queues, automatic tiling, and the first steps of closing.
// The program's frame adds the tool bar (CreateToolBars).

#include "framework/TwKeyStates.h"
#include "generic/VkCommand.h"
#include "generic/VkMenuTable.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMdiSubWindow;
class TwMDIClientWnd;
class TwQuillApp;

class TwMainFrame : public QMainWindow, public VkCommandTarget {
    Q_OBJECT
public:
    explicit TwMainFrame(TwQuillApp* app);
    ~TwMainFrame() override;

    // The application's main window, or null.
    static TwMainFrame* GetMainWnd();

    // Builds the client, status bar, menus, accelerators and tool bars;
    // false when something essential could not be made.
    bool LoadFrame();

    TwMDIClientWnd* MDIClient() const { return m_client; }
    QLabel* MessagePane() const { return m_messagePane; }
    QLabel* IndicatorPane(int index) const; // 0 CAP, 1 NUM, 2 SCRL

    // "%s - %s (%ld %ss)" / "(1 %s)" with the palette title as postfix;
    // the bare application title with an empty postfix.
    void SetTitlePostfix(const QString& postfix);
    const QString& FrameTitle() const { return m_title; }
    static QString TitleText(const QString& appTitle, const QString& postfix, long count, const QString& docName);

    bool AutoTile() const { return m_autoTile; }
    void DoAutoTile();
    void OnWindowAutotile();

    // The menu the frame shows: its own while no queue window is open, the
    // queue menu otherwise.
    void UpdateMenuSet();
    // The top-level popups of the menu shown now.
    QList<QAction*> CurrentMenuPopups() const;
    // The Recent popup of each menu set: in the File popup (the one that
    // starts with palette New), the item two above Exit.
    QList<QMenu*> RecentPopups() const;

    // Lights the CAP, NUM and SCRL indicators as states says; all dim when
    // the platform does not tell.
    void ShowKeyStates(const std::optional<TwKeyStates>& states);

    // The normal (restored) rectangle of the frame.
    QRect NormalRect() const;

protected:
    virtual bool CreateToolBars() = 0;

    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

    TwQuillApp* m_app;

private:
    void MapFrameCommands();
    void OnSplashClosed();

    TwMDIClientWnd* m_client = nullptr;
    QLabel* m_messagePane = nullptr;
    std::vector<QLabel*> m_indicators;
    QList<QPointer<QAction>> m_frameMenus;
    QList<QPointer<QAction>> m_docMenus;
    bool m_autoTile = false;
    QString m_title;
};
