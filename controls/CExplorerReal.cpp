#include "controls/CExplorerReal.h"

#include "controls/COracleExplorerTree.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

CExplorerReal::CExplorerReal(QWidget* parent)
    : QWidget(parent), m_toolBar(new QToolBar(this)), m_tree(new COracleExplorerTree(this))
{
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::pair<int, UINT> buttons[] = {{ID_HOST, IDS_EX_TOOL_HOST}, {ID_RESET, IDS_EX_TOOL_RESET}, {ID_HELP, IDS_EX_TOOL_HELP}};
    for (const auto& [id, text] : buttons) {
        const QStringList parts = QVCtrlString(text).split('\n');
        QAction* action = m_toolBar->addAction(parts.value(0));
        action->setToolTip(parts.value(1));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id = id] { OnCommand(id); });
    }
    Action(ID_HOST)->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_tree, 1);
}

QAction* CExplorerReal::Action(int id) const
{
    for (QAction* action : m_toolBar->actions()) {
        if (action->data().toInt() == id)
            return action;
    }
    return nullptr;
}

void CExplorerReal::SetHostHandler(std::function<void()> handler)
{
    m_host = std::move(handler);
    Action(ID_HOST)->setEnabled(static_cast<bool>(m_host));
}

void CExplorerReal::OnCommand(int id)
{
    switch (id) {
    case ID_HOST:
        if (m_host)
            m_host();
        break;
    case ID_RESET:
        m_tree->Reset();
        break;
    case ID_HELP:
        VkHtmlHelp(this, QVCtrlString(IDS_JL_HELP_FILE).toStdString(), HH_DISPLAY_TOC, nullptr);
        break;
    default:
        break;
    }
}
