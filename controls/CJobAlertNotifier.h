#pragma once
// The desktop notification of job alerts: a message from the system tray
// where the desktop has one. Every request goes to the observer first (tests
// watch that, not the tray); without a tray the request is dropped quietly.
// Interface thread only.

#include <QString>

#include <functional>

class CJobAlertNotifier {
public:
    struct Alert {
        QString title;
        QString text;
    };
    using Observer = std::function<void(const Alert&)>;

    // The alert line of one job's changes since the last refresh; empty
    // when it neither failed nor broke.
    static QString AlertLine(long job, unsigned changes, long failures);

    // Shows the alert; true when a tray took it, false when there is none.
    static bool Notify(const Alert& alert);
    // Sees every request from now on (null: none); answers the one before.
    static Observer SetObserver(Observer observer);
};
