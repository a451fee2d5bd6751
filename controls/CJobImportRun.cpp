#include "controls/CJobImportRun.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QMetaObject>
#include <QWidget>

CJobImportRun::CJobImportRun(std::vector<CJobListData> jobs, const CJobImportOptions& options,
                             std::filesystem::path path, Save save, QWidget* owner, QObject* parent)
    : QObject(parent), m_jobs(std::move(jobs)), m_options(options), m_path(std::move(path)),
      m_save(std::move(save)), m_owner(owner)
{
}

void CJobImportRun::Start()
{
    SaveNext();
}

void CJobImportRun::SaveNext()
{
    if (m_next >= m_jobs.size()) {
        Finish();
        return;
    }
    CJobListData& job = m_jobs[m_next];
    // A broken record is broken by the save right after it is created.
    if (m_options.makeBroken)
        job.m_broken = true;
    QPointer<CJobImportRun> self(this);
    const bool queued = m_save && m_save(job, m_options.regenerate, this, [self](TwRequestOutcome& outcome) {
        if (self)
            self->OnOutcome(outcome);
    });
    if (!queued) {
        // Answered as a failure on the next turn of the event loop, so a
        // queue that takes nothing does not recurse through every job.
        auto failed = std::make_shared<TwRequestOutcome>();
        failed->failed = true;
        QMetaObject::invokeMethod(
            this, [this, failed] { OnOutcome(*failed); }, Qt::QueuedConnection);
    }
}

void CJobImportRun::OnOutcome(const TwRequestOutcome& outcome)
{
    const size_t item = m_next++;
    if (!outcome.failed) {
        ++m_saved;
        m_numbers.push_back(static_cast<LONG>(outcome.number));
        SaveNext();
        return;
    }
    ++m_failed;
    // Without "Stop on error" a failure is skipped; its text is in the status bar.
    if (!m_options.stopOnError) {
        SaveNext();
        return;
    }
    const std::string text =
        QVCtrlStrings().Format(IDS_JX_IMPORT_ITEM_FAILED, static_cast<long>(item), m_path.string().c_str());
    VkModalService::MessageBox(m_owner, QString::fromStdString(text), QVCtrlString(IDS_QV_CAPTION),
                               MB_OK | MB_ICONEXCLAMATION);
    Finish();
}

void CJobImportRun::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished();
}
