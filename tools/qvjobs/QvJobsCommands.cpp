#include "tools/qvjobs/QvJobsCommands.h"

#include "controls/CImportJobsDlg.h"
#include "controls/CIntervalForecastRun.h"
#include "controls/CJobExportFile.h"
#include "controls/CJobImportRun.h"
#include "controls/CJobQueueDiff.h"
#include "controls/CJobSafeStop.h"
#include "controls/QVCtrlStrings.h"
#include "framework/VkOCIW32Lib.h"
#include "tools/qvjobs/QvJobsPassword.h"
#include "tools/qvjobs/QvJobsQueue.h"
#include "tools/qvjobs/QvJobsStrings.h"
#include "tools/qvjobs/QvJobsText.h"

#include <QEventLoop>

#include <algorithm>
#include <memory>

namespace {

const VkStringTable& Texts()
{
    return QvJobsStrings();
}

// A logged-on queue, or the exit status that says why there is none.
int Open(const QvJobsTarget& target, bool administratorView, std::unique_ptr<QvJobsQueue>& queue,
         std::ostream& err)
{
    if (!VkOracle::IsOracleAvailable()) {
        err << Texts().Load(IDS_QJ_NO_CLIENT) << '\n';
        return QvJobsFailed;
    }
    std::string password;
    if (!QvJobsPassword::Find(target, password)) {
        err << Texts().Format(IDS_QJ_NO_PASSWORD, target.user.c_str()) << '\n';
        return QvJobsLogonFailed;
    }
    queue = std::make_unique<QvJobsQueue>(target, administratorView);
    std::string error;
    if (!queue->Logon(password, error)) {
        err << Texts().Format(IDS_QJ_LOGON_FAILED, target.user.c_str(), target.database.c_str(), error.c_str())
            << '\n';
        return QvJobsLogonFailed;
    }
    return QvJobsOk;
}

bool Read(QvJobsQueue& queue, std::vector<CJobListData>& jobs, std::ostream& err)
{
    std::string error;
    if (queue.ReadJobs(jobs, error))
        return true;
    err << Texts().Format(IDS_QJ_LIST_FAILED, queue.Target().user.c_str(), queue.Target().database.c_str(),
                          error.c_str())
        << '\n';
    return false;
}

// The records of the numbers asked for, in that order; false (each missing
// one named) when the queue lacks any.
bool Pick(QvJobsQueue& queue, const std::vector<CJobListData>& jobs, const std::vector<LONG>& numbers,
          std::vector<CJobListData>& picked, std::ostream& err)
{
    bool whole = true;
    for (LONG number : numbers) {
        const auto found = std::find_if(jobs.begin(), jobs.end(),
                                        [number](const CJobListData& job) { return job.m_jobNumber == number; });
        if (found == jobs.end()) {
            err << Texts().Format(IDS_QJ_NOT_IN_QUEUE, long(number), queue.Target().user.c_str(),
                                  queue.Target().database.c_str())
                << '\n';
            whole = false;
        } else {
            picked.push_back(*found);
        }
    }
    return whole;
}

int List(QvJobsQueue& queue, const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> jobs;
    if (!Read(queue, jobs, err))
        return QvJobsFailed;
    QvJobsText::List(out, jobs, arguments.tsv);
    return QvJobsOk;
}

int Export(QvJobsQueue& queue, const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> jobs;
    if (!Read(queue, jobs, err))
        return QvJobsFailed;
    std::vector<CJobListData> picked;
    if (arguments.jobs.empty())
        picked = jobs;
    else if (!Pick(queue, jobs, arguments.jobs, picked, err))
        return QvJobsFailed;
    std::string error;
    if (!CJobExportFile::Write(arguments.file, picked, &error)) {
        err << Texts().Format(IDS_QJ_EXPORT_FAILED, arguments.file.c_str(), error.c_str()) << '\n';
        return QvJobsFailed;
    }
    out << Texts().Format(IDS_QJ_EXPORTED, long(picked.size()), arguments.file.c_str()) << '\n';
    return QvJobsOk;
}

int Import(QvJobsQueue& queue, const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> records;
    std::string error;
    if (!CJobExportFile::Read(arguments.file, records, &error)) {
        err << Texts().Format(IDS_QJ_READ_FAILED, arguments.file.c_str(), error.c_str()) << '\n';
        return QvJobsFailed;
    }
    // The numbers the queue has decide what --keep-numbers changes.
    std::vector<CJobListData> jobs;
    if (!Read(queue, jobs, err))
        return QvJobsFailed;
    CJobImportOptions options;
    options.regenerate = !arguments.keepNumbers;
    options.makeBroken = arguments.broken;
    long item = 0;
    CJobImportRun::Save save = [&](const CJobListData& job, bool forceSubmit, QObject* context,
                                   TwReplyCallback reply) {
        const long index = item++;
        return queue.Save(job, forceSubmit, context, [&err, index, reply](TwRequestOutcome& outcome) {
            if (outcome.failed)
                err << Texts().Format(IDS_QJ_IMPORT_ITEM_FAILED, index + 1, outcome.message.c_str()) << '\n';
            reply(outcome);
        });
    };
    CJobImportRun run(std::move(records), options, arguments.file, save, nullptr);
    QEventLoop loop;
    QObject::connect(&run, &CJobImportRun::finished, &loop, &QEventLoop::quit);
    run.Start();
    if (!run.IsFinished())
        loop.exec();
    out << Texts().Format(IDS_QJ_IMPORTED, long(run.Saved()), long(run.Failed())) << '\n';
    return run.Failed() == 0 ? QvJobsOk : QvJobsFailed;
}

int SafeStop(QvJobsQueue& queue, const CJobListData& job, std::ostream& out, std::ostream& err)
{
    CJobQueueWorker& worker = queue.Worker();
    CJobSafeStop::Server server{
        [&worker](const std::string& query, QObject* context, TwReplyCallback reply) {
            return worker.Evaluate(query, context, std::move(reply));
        },
        [&worker](const std::string& statement, const CJobListData& target, QObject* context, TwReplyCallback reply) {
            return worker.Change(statement, target, context, std::move(reply));
        }};
    CJobSafeStop stop(server, job, false);
    QEventLoop loop;
    bool succeeded = false;
    QString message;
    QObject::connect(&stop, &CJobSafeStop::finished, &loop, [&](bool ok, const QString& text) {
        succeeded = ok;
        message = text;
        loop.quit();
    });
    if (!stop.Start()) {
        err << Texts().Format(IDS_QJ_JOB_FAILED, long(job.m_jobNumber), QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED).c_str())
            << '\n';
        return QvJobsFailed;
    }
    if (!stop.Finished())
        loop.exec();
    (succeeded ? out : err) << message.toStdString() << '\n';
    return succeeded ? QvJobsOk : QvJobsFailed;
}

int JobAction(QvJobsQueue& queue, const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> jobs;
    if (!Read(queue, jobs, err))
        return QvJobsFailed;
    std::vector<CJobListData> picked;
    int status = Pick(queue, jobs, arguments.jobs, picked, err) ? QvJobsOk : QvJobsFailed;
    for (CJobListData& job : picked) {
        if (arguments.command == QvJobsCommand::Stop) {
            if (SafeStop(queue, job, out, err) != QvJobsOk)
                status = QvJobsFailed;
            continue;
        }
        std::string error;
        bool done = false;
        UINT doneText = 0;
        switch (arguments.command) {
        case QvJobsCommand::Run:
            // Through the change path, which waits for the run and hands
            // back the server's error; the list's own run does neither.
            done = queue.Request(ReqChange, QVCtrlStrings().Format(IDS_JW_SQL_RUN, long(job.m_jobNumber)), job, error);
            doneText = IDS_QJ_DONE_RUN;
            break;
        case QvJobsCommand::Break:
        case QvJobsCommand::Unbreak:
            // The worker toggles the flag the record has.
            job.m_broken = arguments.command == QvJobsCommand::Unbreak;
            done = queue.Request(ReqToggleBroken, std::string(), job, error);
            doneText = arguments.command == QvJobsCommand::Break ? IDS_QJ_DONE_BREAK : IDS_QJ_DONE_UNBREAK;
            break;
        case QvJobsCommand::Remove:
            done = queue.Request(ReqRemove, std::string(), job, error);
            doneText = IDS_QJ_DONE_REMOVE;
            break;
        default:
            break;
        }
        if (done) {
            out << Texts().Format(doneText, long(job.m_jobNumber)) << '\n';
        } else {
            err << Texts().Format(IDS_QJ_JOB_FAILED, long(job.m_jobNumber), error.c_str()) << '\n';
            status = QvJobsFailed;
        }
    }
    return status;
}

int Forecast(QvJobsQueue& queue, const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> jobs;
    if (!Read(queue, jobs, err))
        return QvJobsFailed;
    std::vector<CJobListData> picked;
    if (!Pick(queue, jobs, arguments.jobs, picked, err))
        return QvJobsFailed;
    const CJobListData& job = picked.front();
    CJobQueueWorker& worker = queue.Worker();
    const auto evaluate = [&worker](const std::string& query, QObject* context, TwReplyCallback reply) {
        return worker.Evaluate(query, context, std::move(reply));
    };
    QEventLoop loop;
    CIntervalForecastResult result;
    bool answered = false;
    const bool started = CIntervalForecastRun::Start(
        evaluate, &loop, job.m_interval, job.m_nextDate, arguments.runs, [&](const CIntervalForecastResult& r) {
            result = r;
            answered = true;
            loop.quit();
        });
    if (!started) {
        result.failed = true;
        result.error = QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED);
    } else if (!answered) {
        loop.exec();
    }
    for (const CIntervalWarning& warning : result.warnings)
        err << Texts().Format(IDS_QJ_WARNING, warning.message.c_str()) << '\n';
    if (result.failed) {
        err << Texts().Format(IDS_QJ_FORECAST_FAILED, long(job.m_jobNumber), result.error.c_str()) << '\n';
        return QvJobsFailed;
    }
    for (DATE run : result.runs)
        out << QvJobsText::Date(run) << '\n';
    return QvJobsOk;
}

int Diff(QvJobsQueue& left, QvJobsQueue& right, std::ostream& out, std::ostream& err)
{
    std::vector<CJobListData> a, b;
    if (!Read(left, a, err) || !Read(right, b, err))
        return QvJobsFailed;
    const std::vector<CJobDiffRow> rows = CJobQueueDiff::Compare(a, b);
    QvJobsText::Diff(out, a, b, rows);
    const bool differs = std::any_of(rows.begin(), rows.end(), [](const CJobDiffRow& row) { return row.Differs(); });
    return differs ? QvJobsDiffers : QvJobsOk;
}

} // namespace

int QvJobsCommands::Run(const QvJobsArguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.command == QvJobsCommand::Help) {
        out << Texts().Load(IDS_QJ_USAGE);
        return QvJobsOk;
    }
    std::unique_ptr<QvJobsQueue> queue;
    if (const int status = Open(arguments.targets.front(), arguments.all, queue, err); status != QvJobsOk)
        return status;
    switch (arguments.command) {
    case QvJobsCommand::List:
        return List(*queue, arguments, out, err);
    case QvJobsCommand::Export:
        return Export(*queue, arguments, out, err);
    case QvJobsCommand::Import:
        return Import(*queue, arguments, out, err);
    case QvJobsCommand::Forecast:
        return Forecast(*queue, arguments, out, err);
    case QvJobsCommand::Diff: {
        std::unique_ptr<QvJobsQueue> other;
        if (const int status = Open(arguments.targets.back(), false, other, err); status != QvJobsOk)
            return status;
        return Diff(*queue, *other, out, err);
    }
    default:
        return JobAction(*queue, arguments, out, err);
    }
}
