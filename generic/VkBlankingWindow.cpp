#include "generic/VkBlankingWindow.h"

#include <QPalette>

VkBlankingWindow::VkBlankingWindow(QWidget* target, const QColor& colour)
{
    if (!target)
        return;
    m_panel = new QWidget(target);
    m_panel->setObjectName(QStringLiteral("VkBlankingWindow"));
    m_panel->setAutoFillBackground(true);
    QPalette palette = m_panel->palette();
    palette.setColor(QPalette::Window, colour);
    m_panel->setPalette(palette);
    m_panel->setGeometry(target->rect());
    m_panel->raise();
    m_panel->show();
    m_panel->repaint();
}

VkBlankingWindow::~VkBlankingWindow()
{
    delete m_panel.data();
}
