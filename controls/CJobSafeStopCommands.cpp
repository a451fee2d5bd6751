#include "controls/CJobSafeStopCommands.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobListMenu.h"
#include "controls/CJobSafeStop.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QPointer>

namespace {

int Ask(CJobListCtrl& list, const std::string& text, UINT style)
{
    return VkModalService::MessageBox(&list, QString::fromStdString(text), QVCtrlString(IDS_QV_CAPTION), style);
}

} // namespace

void CJobSafeStopCommands::Attach(CJobListCtrl& list)
{
    QPointer<CJobListCtrl> guarded(&list);
    QObject::connect(&list, &CJobListCtrl::commandRequested, &list, [guarded](UINT command) {
        if (guarded && command == ID_JL_STOP_SAFELY)
            StopSafely(*guarded);
    });
}

bool CJobSafeStopCommands::StopSafely(CJobListCtrl& list)
{
    if (auto* running = list.findChild<CJobSafeStop*>(QString(), Qt::FindDirectChildrenOnly)) {
        const std::string busy = QVCtrlStrings().Format(IDS_SS_BUSY, long(running->JobNumber()));
        if (running->Cancel())
            return false;
        Ask(list, busy, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    const std::vector<int> rows = list.SelectedRows();
    if (rows.empty())
        return false;
    const CJobListData job = list.Model().Job(rows.front());
    const int answer = Ask(list, QVCtrlStrings().Format(IDS_SS_QUESTION, long(job.m_jobNumber)),
                           MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer != IDYES && answer != IDNO)
        return false;
    QPointer<CJobListCtrl> guarded(&list);
    CJobSafeStop::Server server{
        [guarded](const std::string& query, QObject* context, TwReplyCallback reply) {
            return guarded && guarded->Worker().Evaluate(query, context, std::move(reply));
        },
        [guarded](const std::string& statement, const CJobListData& target, QObject* context, TwReplyCallback reply) {
            return guarded && guarded->Worker().Change(statement, target, context, std::move(reply));
        }};
    // A child of the list: it goes with the list, and while it exists the
    // command offers to cancel it.
    auto* stop = new CJobSafeStop(server, job, answer == IDNO, 60000, &list);
    QObject::connect(stop, &CJobSafeStop::progress, &list, [guarded, stop](const QString& text) {
        if (guarded)
            guarded->ShowStatus(text.toStdString(), !stop->Finished());
    });
    QObject::connect(stop, &CJobSafeStop::finished, &list, [guarded, stop](bool ok, const QString& message) {
        stop->deleteLater();
        stop->setParent(nullptr);
        // Each change re-read the job's row already; a refresh would only
        // replace the outcome on the status bar.
        if (!guarded)
            return;
        if (!ok && stop->CurrentStep() == CJobSafeStop::Step::Failed)
            Ask(*guarded, message.toStdString(), MB_OK | MB_ICONEXCLAMATION);
    });
    if (!stop->Start())
        return false;
    return true;
}
