#pragma once
// Posted window messages: a Qt event whose type is the message number,
// carrying the two message parameters and an optional heap record. From the
// moment of posting the record belongs to the event and then to the
// receiver; a message that is never delivered deletes its record.

#include "platform/WinTypes.h"

#include <QEvent>

#include <memory>

class QObject;

constexpr UINT WM_USER = 0x0400;

// Base of the records that messages carry.
class VkMessageRecord {
public:
    virtual ~VkMessageRecord() = default;
};

class VkMessageEvent : public QEvent {
public:
    VkMessageEvent(UINT message, WPARAM wParam, LPARAM lParam, std::unique_ptr<VkMessageRecord> record);

    UINT Message() const { return static_cast<UINT>(type()); }
    WPARAM WParam() const { return m_wParam; }
    LPARAM LParam() const { return m_lParam; }
    bool HasRecord() const { return m_record != nullptr; }

    // Hands the record to the receiver; null when there is none or it is of
    // another type (the record then stays with the event and dies with it).
    template <typename T>
    std::unique_ptr<T> TakeRecord()
    {
        if (auto* typed = dynamic_cast<T*>(m_record.get())) {
            m_record.release();
            return std::unique_ptr<T>(typed);
        }
        return nullptr;
    }

private:
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::unique_ptr<VkMessageRecord> m_record;
};

// Message numbers must lie in Qt's user event range (1000 to 65535).
bool VkIsPostableMessage(UINT message);

// Posts message to receiver (thread-safe); false, deleting the record, when
// the receiver is null or the number cannot be posted.
bool VkPostMessage(QObject* receiver, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                   std::unique_ptr<VkMessageRecord> record = nullptr);
// Delivers at once, on the calling (receiver's) thread; the result of
// QCoreApplication::sendEvent.
bool VkSendMessage(QObject* receiver, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                   std::unique_ptr<VkMessageRecord> record = nullptr);
