#include "controls/CJobCopyTarget.h"

#include "controls/CCopyJobDlg.h"
#include "controls/CJobListActions.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "generic/VkModalService.h"

#include <QApplication>
#include <QPointer>

CJobCopyTarget::CJobCopyTarget(CJobListCtrl* list) : QObject(list), m_list(list)
{
    list->Actions().SetPasteTarget(this);
}

CJobCopyTarget::~CJobCopyTarget()
{
    for (; m_waits > 0; --m_waits)
        QApplication::restoreOverrideCursor();
}

std::string CJobCopyTarget::Host() const
{
    return m_list->Worker().Host();
}

CJobCopyChoice CJobCopyTarget::AskCopy(size_t count, const std::string& fromHost, const std::string& toHost)
{
    CCopyJobDlg dlg(count, true, m_list);
    dlg.SetFrom(QString::fromStdString(fromHost));
    dlg.SetTo(QString::fromStdString(toHost));
    CJobCopyChoice choice;
    choice.accepted = VkModalService::DoModal(&dlg) == QDialog::Accepted;
    choice.makeBroken = choice.accepted && dlg.MakeBroken();
    return choice;
}

void CJobCopyTarget::BeginWait()
{
    m_list->viewport()->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++m_waits;
}

void CJobCopyTarget::EndWait()
{
    if (m_waits > 0) {
        --m_waits;
        QApplication::restoreOverrideCursor();
    }
}

bool CJobCopyTarget::SaveNewJob(const CJobListData& job, std::function<void(LONG number)> done)
{
    // Always a new job: the numbers of the source queue mean nothing here.
    return m_list->SaveJob(job, true, this, [done = std::move(done)](TwRequestOutcome& outcome) {
        if (done)
            done(outcome.failed ? 0 : static_cast<LONG>(outcome.number));
    });
}

bool CJobCopyTarget::RequestRefresh()
{
    return m_list->RequestRefresh();
}
