#include "framework/TwChildFrame.h"

#include "generic/VkWndRecord.h"

QIcon TwChildFrame::m_hIcon;

TwChildFrame::TwChildFrame(QWidget* parent) : QMdiSubWindow(parent)
{
    // The registered window class names live on as object names.
    setObjectName(QStringLiteral("QuorvaneChildFrame"));
    if (!m_hIcon.isNull())
        setWindowIcon(m_hIcon);
}

void TwChildFrame::RememberNormalGeometry()
{
    if (!isMaximized() && !isMinimized())
        setProperty(kVkNormalGeometryProperty, geometry());
}

void TwChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    RememberNormalGeometry();
}

void TwChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    RememberNormalGeometry();
}
