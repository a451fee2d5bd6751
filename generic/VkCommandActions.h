#pragma once
// The Qt face of numeric commands: actions for menu items, accelerators and
// tool bar buttons, each sending its identifier through a router and showing
// the router's enabled and checked state. Prompts come from a lookup (the
// module's string table): the status text becomes the action's status tip,
// the part after the line feed its tool tip.

#include "generic/VkCommand.h"
#include "generic/VkMenuTable.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <string>

class QAction;
class QTimer;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

class VkCommandActions : public QObject {
    Q_OBJECT
public:
    using PromptLookup = std::function<std::string(UINT id)>;
    using IconLookup = std::function<QIcon(UINT id)>;

    VkCommandActions(const VkCommandRouter* router, PromptLookup prompts, QObject* parent = nullptr);
    ~VkCommandActions() override;

    void SetIcons(IconLookup icons) { m_icons = std::move(icons); }

    // A new action for id with the given text, owned by parent.
    QAction* CreateAction(UINT id, const QString& text, QObject* parent);

    // Fills menuBar from the table (emptied first unless append); returns
    // the top-level items added.
    QList<QAction*> BuildMenuBar(QMenuBar* menuBar, const VkMenuTable& table, bool append = false);
    // Adds the table's accelerators to window as hidden actions; returns them.
    QList<QAction*> AddAccelerators(QWidget* window, const VkAccelTable& table);
    // Fills toolBar (emptied first) with icon buttons.
    void BuildToolBar(QToolBar* toolBar, const VkToolBarTable& table);

    // Every live action for id (menu items, accelerators, buttons).
    QList<QAction*> Actions(UINT id) const;
    // The identifier an action sends; 0 for foreign actions.
    static UINT CommandId(const QAction* action);

    // Brings every action's enabled and checked state up to date.
    void UpdateAll();
    // The same, once, when the event loop next runs.
    void RequestUpdate();

    // Keeps the states current while the program runs: an update every
    // intervalMs, as the platform does when idle. 0 stops it.
    void StartIdleUpdates(int intervalMs);

    // Runs id through the router and refreshes the states afterwards.
    bool Execute(UINT id);

private:
    void UpdateAction(QAction* action, const VkCmdUI& ui);
    void Forget(QObject* action);

    const VkCommandRouter* m_router;
    PromptLookup m_prompts;
    IconLookup m_icons;
    std::multimap<UINT, QPointer<QAction>> m_actions;
    bool m_updatePending = false;
    QTimer* m_idle = nullptr;
};
