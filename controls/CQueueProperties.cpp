#include "controls/CQueueProperties.h"

#include "platform/VkAscii.h"

CQueueProperties CQueueProperties::FromQueue(DWORD refreshInterval, bool statusBarShown, bool flashEffects,
                                             const std::string& heading, bool notifyAlerts)
{
    CQueueProperties values;
    const bool fixed = refreshInterval != kNever;
    values.refreshMode = fixed ? FixedInterval : Manual;
    // An interval beyond what the edit can hold shows as the largest one.
    values.interval = fixed ? static_cast<LONG>(refreshInterval > static_cast<DWORD>(kMaxInterval)
                                                    ? static_cast<DWORD>(kMaxInterval)
                                                    : refreshInterval)
                            : kDefaultInterval;
    values.showStatusBar = statusBarShown;
    values.flashAlerts = flashEffects;
    values.heading = heading;
    values.notifyAlerts = notifyAlerts;
    return values;
}

CQueueProperties::RefreshChange CQueueProperties::Apply(DWORD currentInterval) const
{
    RefreshChange change;
    if (refreshMode == FixedInterval) {
        // OK is refused below one second; never store such an interval.
        const DWORD wanted = static_cast<DWORD>(interval < kMinInterval ? kMinInterval : interval);
        change.interval = wanted;
        change.changed = wanted != currentInterval;
        change.refreshNow = change.changed;
    } else {
        change.interval = kNever;
        change.changed = currentInterval != kNever;
    }
    return change;
}

LONG CQueueProperties::ParseInterval(const std::string& text)
{
    long long value = 0;
    bool any = false;
    for (char c : text) {
        if (VkIsAsciiSpace(c))
            continue;
        if (!VkIsAsciiDigit(c))
            return 0;
        any = true;
        value = value * 10 + (c - '0');
        if (value > kMaxInterval)
            value = kMaxInterval;
    }
    return any ? static_cast<LONG>(value) : 0;
}
