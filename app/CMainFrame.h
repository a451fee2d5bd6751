#pragma once
// The program's main frame: the framework's frame plus the tool bar.

#include "framework/TwMainFrame.h"

class QToolBar;

class CMainFrame : public TwMainFrame {
    Q_OBJECT
public:
    explicit CMainFrame(TwQuillApp* app);

    QToolBar* ToolBar() const { return m_toolBar; }

protected:
    bool CreateToolBars() override;
    // Grid windows, which no palette keeps, close after the queues.
    void closeEvent(QCloseEvent* event) override;

private:
    QToolBar* m_toolBar = nullptr;
};
