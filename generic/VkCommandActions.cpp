#include "generic/VkCommandActions.h"

#include "generic/VkStringTable.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include <vector>

namespace {
const char* const kCommandProperty = "vkCommandId";
}

VkCommandActions::VkCommandActions(const VkCommandRouter* router, PromptLookup prompts, QObject* parent)
    : QObject(parent), m_router(router), m_prompts(std::move(prompts))
{
}

VkCommandActions::~VkCommandActions() = default;

QAction* VkCommandActions::CreateAction(UINT id, const QString& text, QObject* parent)
{
    auto* action = new QAction(text, parent);
    action->setProperty(kCommandProperty, static_cast<uint>(id));
    // Shortcut texts after the tab are shown by the menu; the keys themselves
    // belong to the accelerator table.
    const std::string prompt = m_prompts ? m_prompts(id) : std::string();
    const VkCommandPrompt parts = VkSplitPrompt(prompt);
    action->setStatusTip(QString::fromStdString(parts.status));
    if (!parts.toolTip.empty())
        action->setToolTip(QString::fromStdString(parts.toolTip));
    if (m_icons) {
        QIcon icon = m_icons(id);
        if (!icon.isNull())
            action->setIcon(icon);
    }
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    connect(action, &QObject::destroyed, this, [this](QObject* gone) { Forget(gone); });
    m_actions.emplace(id, action);
    return action;
}

void VkCommandActions::Forget(QObject* gone)
{
    for (auto it = m_actions.begin(); it != m_actions.end();) {
        if (it->second.isNull() || it->second.data() == gone)
            it = m_actions.erase(it);
        else
            ++it;
    }
}

QList<QAction*> VkCommandActions::BuildMenuBar(QMenuBar* menuBar, const VkMenuTable& table, bool append)
{
    if (!append)
        menuBar->clear();
    QList<QAction*> added;
    std::vector<QMenu*> stack;
    for (const VkMenuDef& def : table) {
        switch (def.kind) {
        case VkMenuDef::Popup: {
            const QString text = QString::fromUtf8(def.text ? def.text : "");
            QMenu* menu = stack.empty() ? menuBar->addMenu(text) : stack.back()->addMenu(text);
            if (stack.empty())
                added.push_back(menu->menuAction());
            connect(menu, &QMenu::aboutToShow, this, [this] { UpdateAll(); });
            stack.push_back(menu);
            break;
        }
        case VkMenuDef::EndPopup:
            if (!stack.empty())
                stack.pop_back();
            break;
        case VkMenuDef::Separator:
            if (!stack.empty())
                stack.back()->addSeparator();
            break;
        case VkMenuDef::Item: {
            QWidget* owner = stack.empty() ? static_cast<QWidget*>(menuBar) : stack.back();
            QAction* action = CreateAction(def.id, QString::fromUtf8(def.text ? def.text : ""), owner);
            owner->addAction(action);
            if (stack.empty())
                added.push_back(action);
            break;
        }
        }
    }
    UpdateAll();
    return added;
}

QList<QAction*> VkCommandActions::AddAccelerators(QWidget* window, const VkAccelTable& table)
{
    QList<QAction*> added;
    for (const VkAccelDef& def : table) {
        QAction* action = CreateAction(def.id, QString(), window);
        action->setShortcut(QKeySequence(QString::fromUtf8(def.key)));
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        added.push_back(action);
    }
    UpdateAll();
    return added;
}

void VkCommandActions::BuildToolBar(QToolBar* toolBar, const VkToolBarTable& table)
{
    toolBar->clear();
    for (UINT id : table) {
        if (id == 0) {
            toolBar->addSeparator();
            continue;
        }
        QAction* action = CreateAction(id, QString(), toolBar);
        if (action->toolTip().isEmpty())
            action->setToolTip(action->statusTip());
        action->setText(action->toolTip());
        toolBar->addAction(action);
    }
    UpdateAll();
}

QList<QAction*> VkCommandActions::Actions(UINT id) const
{
    QList<QAction*> found;
    auto [first, last] = m_actions.equal_range(id);
    for (auto it = first; it != last; ++it)
        if (!it->second.isNull())
            found.push_back(it->second.data());
    return found;
}

UINT VkCommandActions::CommandId(const QAction* action)
{
    return action ? action->property(kCommandProperty).toUInt() : 0;
}

void VkCommandActions::UpdateAction(QAction* action, const VkCmdUI& ui)
{
    action->setEnabled(ui.IsEnabled());
    if (ui.IsCheckable() || action->isCheckable()) {
        action->setCheckable(ui.IsCheckable());
        action->setChecked(ui.IsChecked());
    }
}

void VkCommandActions::UpdateAll()
{
    m_updatePending = false;
    UINT lastId = 0;
    VkCmdUI ui(0);
    for (auto& [id, action] : m_actions) {
        if (action.isNull())
            continue;
        if (id != lastId || ui.Id() != id) {
            ui = m_router ? m_router->Update(id) : VkCmdUI(id);
            lastId = id;
        }
        UpdateAction(action.data(), ui);
    }
}

void VkCommandActions::RequestUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_updatePending)
            UpdateAll();
    });
}

void VkCommandActions::StartIdleUpdates(int intervalMs)
{
    if (intervalMs <= 0) {
        if (m_idle)
            m_idle->stop();
        return;
    }
    if (!m_idle) {
        m_idle = new QTimer(this);
        connect(m_idle, &QTimer::timeout, this, [this] { UpdateAll(); });
    }
    m_idle->start(intervalMs);
}

bool VkCommandActions::Execute(UINT id)
{
    const bool ran = m_router && m_router->Execute(id);
    UpdateAll();
    return ran;
}
