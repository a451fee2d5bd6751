#include "controls/CJobAlertNotifier.h"

#include "controls/CJobRunHistory.h"
#include "controls/QVCtrlStrings.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QSystemTrayIcon>

namespace {

CJobAlertNotifier::Observer& TheObserver()
{
    static CJobAlertNotifier::Observer observer;
    return observer;
}

// One icon for the process, made when the first alert comes; it goes with
// the application.
QSystemTrayIcon* TrayIcon()
{
    static QPointer<QSystemTrayIcon> icon;
    if (icon)
        return icon;
    if (!qApp || !QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return nullptr;
    QIcon picture = QApplication::windowIcon();
    if (picture.isNull())
        picture = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    icon = new QSystemTrayIcon(picture, qApp);
    icon->show();
    return icon;
}

} // namespace

QString CJobAlertNotifier::AlertLine(long job, unsigned changes, long failures)
{
    if (changes & CJobRunHistory::JustBroken)
        return QString::fromStdString(QVCtrlStrings().Format(IDS_JH_NOTIFY_BROKEN, job));
    if (changes & CJobRunHistory::Failed)
        return QString::fromStdString(QVCtrlStrings().Format(IDS_JH_NOTIFY_FAILED, job, failures));
    return QString();
}

bool CJobAlertNotifier::Notify(const Alert& alert)
{
    if (TheObserver())
        TheObserver()(alert);
    QSystemTrayIcon* icon = TrayIcon();
    if (!icon)
        return false;
    icon->showMessage(alert.title, alert.text, QSystemTrayIcon::Warning);
    return true;
}

CJobAlertNotifier::Observer CJobAlertNotifier::SetObserver(Observer observer)
{
    Observer before = std::move(TheObserver());
    TheObserver() = std::move(observer);
    return before;
}
