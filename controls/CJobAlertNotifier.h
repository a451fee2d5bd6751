#pragma once
// The desktop notification of a queue's job alerts: a message from the
// system tray where the desktop has one. Every request is announced first by
// alertRequested (tests, in this module or beyond it, watch that, not the
// tray: each job list has one, named "JobAlertNotifier"); without a tray the
// request goes no further, quietly. Interface thread only.
//
// The tray icon is Qt's own class, one for the process, a child of the
// application: this module may be unloaded before the application ends.

#include <QObject>
#include <QString>

class QSystemTrayIcon;

class CJobAlertNotifier : public QObject {
    Q_OBJECT

public:
    explicit CJobAlertNotifier(QObject* parent);

    // The alert line of one job's changes since the last refresh; empty
    // when it neither failed nor broke.
    static QString AlertLine(long job, unsigned changes, long failures);

    // Announces the alert, then shows it; true when a tray took it.
    bool Notify(const QString& title, const QString& text);

signals:
    void alertRequested(const QString& title, const QString& text);

private:
    // The process's tray icon, made for the first alert; null without a tray.
    static QSystemTrayIcon* Tray();
};
