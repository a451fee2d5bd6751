#include "app/CMainFrame.h"

#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneResources.h"
#include "framework/TwQuillApp.h"
#include "generic/VkCommandActions.h"

#include <QCloseEvent>
#include <QToolBar>

CMainFrame::CMainFrame(TwQuillApp* app) : TwMainFrame(app) {}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    TwMainFrame::closeEvent(event);
    if (event->isAccepted())
        if (auto* app = dynamic_cast<CQuorvaneApp*>(m_app))
            app->CloseGridWindows();
}

bool CMainFrame::CreateToolBars()
{
    m_toolBar = new QToolBar(tr("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true); // the gripper
    m_toolBar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    if (m_app && m_app->Actions())
        m_app->Actions()->BuildToolBar(m_toolBar, QvToolBar());
    return true;
}
