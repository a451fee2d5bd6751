#pragma once
// The values of a queue's properties dialog and what choosing them does to
// the queue: the refresh mode and interval, the status bar and the flashing
// of job alerts. Kept apart from the dialog so that the rules can be
// checked without a window.

#include "platform/WinTypes.h"

#include <climits>
#include <string>

struct CQueueProperties {
    enum RefreshMode { Manual = 0, FixedInterval = 1 };
    static constexpr LONG kDefaultInterval = 100;
    static constexpr LONG kMinInterval = 1;
    static constexpr LONG kMaxInterval = INT_MAX;
    // The queue's refresh interval for "no automatic refresh".
    static constexpr DWORD kNever = 0xFFFFFFFF;

    int refreshMode = FixedInterval;
    LONG interval = kDefaultInterval; // seconds; may be below 1 while typed
    bool showStatusBar = true;
    bool flashAlerts = true;
    bool notifyAlerts = true; // a desktop notification when a job fails or breaks
    std::string heading;

    // The dialog's values for a queue in this state.
    static CQueueProperties FromQueue(DWORD refreshInterval, bool statusBarShown, bool flashEffects,
                                      const std::string& heading, bool notifyAlerts = true);

    // OK is refused for a fixed interval below one second.
    bool OkAllowed() const { return refreshMode != FixedInterval || interval >= kMinInterval; }

    // What OK changes in the queue's refresh.
    struct RefreshChange {
        DWORD interval = kNever; // the queue's new refresh interval
        bool changed = false;    // interval differs from the current one
        bool refreshNow = false; // a changed fixed interval refreshes once at once
    };
    RefreshChange Apply(DWORD currentInterval) const;

    // The interval edit's text as seconds: digits only, clamped to the
    // largest interval; 0 for an empty or unreadable text.
    static LONG ParseInterval(const std::string& text);
};
