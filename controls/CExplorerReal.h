#pragma once
// The explorer control's window: a tool bar (Host, Reset, Help) across the
// top and the schema tree filling the rest.

#include <QWidget>

#include <functional>

class COracleExplorerTree;
class QAction;
class QToolBar;

class CExplorerReal : public QWidget {
public:
    // Tool bar command identifiers.
    enum { ID_HOST = 100, ID_RESET = 101, ID_HELP = 103 };

    explicit CExplorerReal(QWidget* parent = nullptr);

    COracleExplorerTree* Tree() const { return m_tree; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QAction* Action(int id) const;

    // What "Host" does: the interactive log-on of the owning control. The
    // button is disabled while there is none.
    void SetHostHandler(std::function<void()> handler);

private:
    void OnCommand(int id);

    QToolBar* m_toolBar;
    COracleExplorerTree* m_tree;
    std::function<void()> m_host;
};
