#include "generic/VkPostedMessage.h"

#include <QCoreApplication>

VkMessageEvent::VkMessageEvent(UINT message, WPARAM wParam, LPARAM lParam,
                               std::unique_ptr<VkMessageRecord> record)
    : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam), m_record(std::move(record))
{
}

bool VkIsPostableMessage(UINT message)
{
    return message >= static_cast<UINT>(QEvent::User) && message <= static_cast<UINT>(QEvent::MaxUser);
}

bool VkPostMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam,
                   std::unique_ptr<VkMessageRecord> record)
{
    if (!receiver || !VkIsPostableMessage(message))
        return false;
    QCoreApplication::postEvent(receiver, new VkMessageEvent(message, wParam, lParam, std::move(record)));
    return true;
}

bool VkSendMessage(QObject* receiver, UINT message, WPARAM wParam, LPARAM lParam,
                   std::unique_ptr<VkMessageRecord> record)
{
    if (!receiver || !VkIsPostableMessage(message))
        return false;
    VkMessageEvent event(message, wParam, lParam, std::move(record));
    return QCoreApplication::sendEvent(receiver, &event);
}
