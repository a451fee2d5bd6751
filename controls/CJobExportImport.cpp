#include "controls/CJobExportImport.h"

#include "controls/CExportJobsDlg.h"
#include "controls/CImportJobsDlg.h"
#include "controls/CJobExportFile.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobListMenu.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QApplication>

namespace {

// The list's interaction hold for as long as it lives.
class InteractionHold {
public:
    explicit InteractionHold(CJobListCtrl& list) : m_list(list) { m_list.BeginInteraction(); }
    ~InteractionHold() { m_list.EndInteraction(); }
    InteractionHold(const InteractionHold&) = delete;
    InteractionHold& operator=(const InteractionHold&) = delete;

private:
    CJobListCtrl& m_list;
};

} // namespace

CJobExportImport::CJobExportImport(CJobListCtrl* list) : QObject(list), m_list(list)
{
    m_save = [list](const CJobListData& job, bool forceSubmit, QObject* context, TwReplyCallback reply) {
        return list->SaveJob(job, forceSubmit, context, std::move(reply));
    };
    connect(list, &CJobListCtrl::commandRequested, this, [this](UINT command) { OnCommand(command); });
}

CJobExportImport::~CJobExportImport()
{
    if (m_import)
        QApplication::restoreOverrideCursor();
}

bool CJobExportImport::OnCommand(UINT command)
{
    switch (command) {
    case ID_JL_EXPORT:
        Export();
        return true;
    case ID_JL_IMPORT:
        Import();
        return true;
    default:
        return false;
    }
}

bool CJobExportImport::Export()
{
    InteractionHold hold(*m_list);
    const std::vector<int> selected = m_list->SelectedRows();
    CExportJobsDlg dlg(m_list->QueueCaption(), !selected.empty(), m_list);
    if (VkModalService::DoModal(&dlg) != QDialog::Accepted)
        return false;
    std::vector<CJobListData> jobs;
    if (dlg.SelectedOnly()) {
        for (int row : selected)
            jobs.push_back(m_list->Model().Job(row));
    } else {
        for (int row = 0; row < m_list->Model().rowCount(); ++row)
            jobs.push_back(m_list->Model().Job(row));
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string error;
    const bool written = CJobExportFile::Write(dlg.Path(), jobs, &error);
    QApplication::restoreOverrideCursor();
    if (!written) {
        const std::string text =
            QVCtrlStrings().Format(IDS_JX_EXPORT_FAILED, dlg.Path().string().c_str(), error.c_str());
        VkModalService::MessageBox(m_list, QString::fromStdString(text), QVCtrlString(IDS_QV_CAPTION),
                                   MB_OK | MB_ICONEXCLAMATION);
    }
    return written;
}

bool CJobExportImport::Import()
{
    // One import at a time: the second would interleave with the first.
    if (m_import)
        return false;
    CImportJobsDlg dlg(m_list->QueueCaption(), m_list);
    {
        InteractionHold hold(*m_list);
        if (VkModalService::DoModal(&dlg) != QDialog::Accepted)
            return false;
    }
    // The saves run through the worker: holding new lists back would stop
    // the worker at the next list and every save behind it, so the
    // automatic refresh is paused instead.
    CJobQueueWorker& worker = m_list->Worker();
    m_pausedInterval = worker.RefreshInterval();
    worker.SetRefreshInterval(TwRequestWorker::kNeverRefresh);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_import = new CJobImportRun(std::move(dlg.Jobs()), dlg.Options(), dlg.Path(), m_save, m_list, this);
    connect(m_import, &CJobImportRun::finished, this, &CJobExportImport::OnImportFinished);
    m_import->Start();
    return true;
}

void CJobExportImport::OnImportFinished()
{
    CJobImportRun* run = m_import;
    if (!run)
        return;
    QApplication::restoreOverrideCursor();
    CJobQueueWorker& worker = m_list->Worker();
    // A new interval chosen meanwhile stays.
    if (worker.RefreshInterval() == TwRequestWorker::kNeverRefresh)
        worker.SetRefreshInterval(m_pausedInterval);
    if (run->Saved() > 0)
        m_list->RequestRefresh();
    m_import = nullptr;
    emit importFinished(run);
    run->deleteLater();
}
