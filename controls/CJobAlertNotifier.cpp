#include "controls/CJobAlertNotifier.h"

#include "controls/CJobRunHistory.h"
#include "controls/QVCtrlStrings.h"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>

CJobAlertNotifier::CJobAlertNotifier(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("JobAlertNotifier"));
}

QString CJobAlertNotifier::AlertLine(long job, unsigned changes, long failures)
{
    if (changes & CJobRunHistory::JustBroken)
        return QString::fromStdString(QVCtrlStrings().Format(IDS_JH_NOTIFY_BROKEN, job));
    if (changes & CJobRunHistory::Failed)
        return QString::fromStdString(QVCtrlStrings().Format(IDS_JH_NOTIFY_FAILED, job, failures));
    return QString();
}

QSystemTrayIcon* CJobAlertNotifier::Tray()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    const QString name = QStringLiteral("JobAlertTray");
    if (auto* tray = app->findChild<QSystemTrayIcon*>(name, Qt::FindDirectChildrenOnly))
        return tray;
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return nullptr;
    QIcon picture = QApplication::windowIcon();
    if (picture.isNull())
        picture = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    auto* tray = new QSystemTrayIcon(picture, app);
    tray->setObjectName(name);
    tray->show();
    return tray;
}

bool CJobAlertNotifier::Notify(const QString& title, const QString& text)
{
    emit alertRequested(title, text);
    QSystemTrayIcon* tray = Tray();
    if (!tray)
        return false;
    tray->showMessage(title, text, QSystemTrayIcon::Warning);
    return true;
}
