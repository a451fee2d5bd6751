#include "controls/CQueueConnection.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CPropertiesDlg.h"
#include "controls/CQueueLogonDlg.h"
#include "controls/CSchedulerMainDlg.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QPointer>

bool CQueueConnection::Connect(CJobListCtrl& list, bool askForDetails)
{
    // A worker that is shutting down takes no connection: do not ask for one.
    if (list.Worker().Stopping())
        return false;
    if (askForDetails) {
        CQueueLogonDlg dlg(QVCtrlString(IDS_QD_TITLE_PREFIX), &list);
        dlg.SetAdministratorView(list.AdministratorView());
        dlg.SetOfferAdministratorView(true);
        if (VkModalService::DoModal(&dlg) != QDialog::Accepted)
            return false;
        list.SetLogon(dlg.Host(), dlg.User(), dlg.Password());
        list.SetAdministratorView(dlg.AdministratorView());
    }
    return list.Connect();
}

bool CQueueConnection::Reconnect(CJobListCtrl& list)
{
    return list.Reconnect();
}

bool CQueueConnection::Properties(CSchedulerMainDlg& queue)
{
    CJobListCtrl& list = queue.List();
    CPropertiesDlg dlg;
    dlg.Values() = CQueueProperties::FromQueue(list.Worker().RefreshInterval(), queue.StatusBarShown(),
                                               list.Model().FlashEffects(), list.QueueCaption().toStdString(),
                                               list.NotifyAlerts());
    if (VkModalService::DoModal(&dlg) != QDialog::Accepted)
        return false;
    const CQueueProperties& values = dlg.Values();
    const CQueueProperties::RefreshChange change = values.Apply(list.Worker().RefreshInterval());
    if (change.changed)
        list.Worker().SetRefreshInterval(change.interval);
    if (change.refreshNow)
        list.RequestRefresh();
    queue.ShowStatusBar(values.showStatusBar);
    list.Model().SetFlashEffects(values.flashAlerts);
    list.SetNotifyAlerts(values.notifyAlerts);
    return true;
}

void CQueueConnection::Attach(CSchedulerMainDlg& queue)
{
    QPointer<CSchedulerMainDlg> guarded(&queue);
    QObject::connect(&queue.List(), &CJobListCtrl::commandRequested, &queue, [guarded](UINT command) {
        if (guarded)
            OnCommand(*guarded, command);
    });
}

bool CQueueConnection::OnCommand(CSchedulerMainDlg& queue, UINT command)
{
    switch (command) {
    case ID_JL_CHANGE_CONNECTION:
        Connect(queue.List(), true);
        return true;
    case ID_JL_RECONNECT:
        Reconnect(queue.List());
        return true;
    case ID_JL_PROPERTIES:
        Properties(queue);
        return true;
    default:
        return false;
    }
}
