#include "controls/CRedirectorWnd.h"

#include <QEvent>

CRedirectorWnd::CRedirectorWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RedirectorWnd"));
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

void CRedirectorWnd::SetStretched(QWidget* child)
{
    m_stretched = child;
    if (child) {
        child->setParent(this);
        child->setGeometry(rect());
        child->show();
    }
}

bool CRedirectorWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void CRedirectorWnd::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_stretched)
        m_stretched->setGeometry(rect());
}
