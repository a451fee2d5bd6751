#pragma once
// The message a settings store sends, synchronously, to every receiver
// registered for a value name after that value was set: message number
// 1579 (WM_USER + 555), wParam 0, lParam the zero-terminated value name.

#include "platform/WinTypes.h"

#include <QEvent>

#include <string>

class VkStoreChangedEvent : public QEvent {
public:
    static constexpr int kMessage = 0x0400 + 555;
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(kMessage);

    explicit VkStoreChangedEvent(std::string name) : QEvent(kType), m_name(std::move(name)) {}

    WPARAM WParam() const { return 0; }
    // Points to the value name, valid while the event is delivered.
    LPARAM LParam() const { return reinterpret_cast<LPARAM>(m_name.c_str()); }
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
};
