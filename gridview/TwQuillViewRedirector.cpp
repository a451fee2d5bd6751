#include "gridview/TwQuillViewRedirector.h"

#include <QEvent>

TwQuillViewRedirector::TwQuillViewRedirector(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QuillViewRedirector"));
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

void TwQuillViewRedirector::SetStretched(QWidget* child)
{
    m_stretched = child;
    if (child) {
        child->setParent(this);
        child->setGeometry(rect());
        child->show();
    }
}

bool TwQuillViewRedirector::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void TwQuillViewRedirector::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_stretched)
        m_stretched->setGeometry(rect());
}
