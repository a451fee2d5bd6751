#include "controls/CJobDetailDlg.h"

#include "controls/CJobDetailQueue.h"
#include "controls/CIntervalForecastDlg.h"
#include "controls/CJobHistoryStore.h"
#include "controls/CJobDetailText.h"
#include "controls/CJobDetail_CredTab.h"
#include "controls/CJobDetail_HistoryTab.h"
#include "controls/CJobDetail_SQLTab.h"
#include "controls/CJobDetail_ScheduleTab.h"
#include "controls/CJobDetail_WhatTab.h"
#include "controls/CScheduleFormatter.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkAppStore.h"
#include "generic/VkDateFormat.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"
#include "framework/TwRememberedUsers.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSizeGrip>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

std::string S(UINT id)
{
    return QVCtrlStrings().Load(id);
}

} // namespace

CJobDetailDlg::CJobDetailDlg(CJobDetailQueue& queue, const CJobListData* job, QWidget* parent, const QDateTime& now,
                             const CScheduleFormatter* formatter)
    : QDialog(parent), m_queue(queue)
{
    setObjectName(QStringLiteral("JobDetailDlg"));
    if (job)
        m_job = *job;
    BuildControls(now, formatter);

    const std::string host = m_queue.Host();
    const std::string user = m_queue.UserName();
    if (ModifyMode()) {
        setWindowTitle(QVCtrlString(IDS_JD_TITLE_MODIFY));
        m_default->setText(QVCtrlString(IDS_JD_SAVE));
        const std::string number = QVCtrlStrings().Format(IDS_JD_JOB_NO, static_cast<long>(m_job->m_jobNumber));
        m_header->setText(QString::fromStdString(
            QVCtrlStrings().Format(IDS_JL_QUEUE_CAPTION_LEADING, number.c_str(), host.c_str(), user.c_str())));
        m_notOwner = CJobDetailText::NotOwner(*m_job, user);
        m_history = new CJobDetail_HistoryTab(m_tabs);
        m_tabs->addTab(m_history, QVCtrlString(IDS_JH_TAB));
        const std::string queueKey = CJobHistoryStore::QueueKey(host, user);
        const LONG jobNumber = m_job->m_jobNumber;
        m_history->Load(queueKey, jobNumber);
        // Runs the queue observes while the dialog is open show up too.
        m_queue.WhenRefreshed(m_history, [history = m_history, queueKey, jobNumber] {
            history->Load(queueKey, jobNumber);
        });
    } else {
        setWindowTitle(QVCtrlString(IDS_JD_TITLE_CREATE));
        m_createNew->hide();
        m_default->setText(QVCtrlString(IDS_JD_CREATE));
        m_header->setText(
            QString::fromStdString(QVCtrlStrings().Format(IDS_JL_QUEUE_CAPTION, host.c_str(), user.c_str())));
    }

    m_custom->setup(m_queue.SchemaNames(), user, m_queue.ServerMajorVersion());
    m_what->logOn(host, user, m_queue.Password());
    // The page built its first result before anyone listened.
    ApplySchedule(m_schedule->lastResult());
    if (ModifyMode())
        LoadJob();
    EnableRule();
    setMinimumSize(sizeHint());
}

CJobDetailDlg::~CJobDetailDlg()
{
    StoreRect();
}

void CJobDetailDlg::BuildControls(const QDateTime& now, const CScheduleFormatter* formatter)
{
    setSizeGripEnabled(true);
    m_header = new QLabel(this);
    m_header->setObjectName(QStringLiteral("Header"));
    m_tabs = new QTabWidget(this);
    // Created in the order of the original pages, shown in tab order.
    m_advanced = new CJobDetail_SQLTab(m_tabs);
    m_custom = new CJobDetail_CredTab(m_tabs);
    m_what = new CJobDetail_WhatTab(m_tabs);
    m_schedule = new CJobDetail_ScheduleTab(m_tabs, now, formatter);
    m_tabs->addTab(m_schedule, QVCtrlString(IDS_JD_TAB_SCHEDULE));
    m_tabs->addTab(m_what, QVCtrlString(IDS_JD_TAB_WHAT));
    m_tabs->addTab(m_custom, QVCtrlString(IDS_JD_TAB_CUSTOM));
    m_tabs->addTab(m_advanced, QVCtrlString(IDS_JD_TAB_ADVANCED));

    m_waitLabel = new QLabel(QVCtrlString(IDS_JD_WAITING), this);
    m_waitLabel->hide();
    m_createNew = new QPushButton(QVCtrlString(IDS_JD_CREATE_NEW), this);
    m_default = new QPushButton(this);
    m_default->setDefault(true);
    m_cancel = new QPushButton(QVCtrlString(IDS_JD_CANCEL), this);
    m_help = new QPushButton(QVCtrlString(IDS_JD_HELP), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_waitLabel);
    buttons->addStretch(1);
    buttons->addWidget(m_createNew);
    buttons->addWidget(m_default);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_header);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    connect(m_default, &QPushButton::clicked, this, &CJobDetailDlg::SaveDefault);
    connect(m_createNew, &QPushButton::clicked, this, &CJobDetailDlg::SaveAsNew);
    connect(m_cancel, &QPushButton::clicked, this, &CJobDetailDlg::reject);
    connect(m_help, &QPushButton::clicked, this, &CJobDetailDlg::Help);
    connect(m_schedule, &CJobDetail_ScheduleTab::scheduleChanged, this, &CJobDetailDlg::ApplySchedule);
    connect(m_what, &CJobDetail_WhatTab::whatChanged, this, &CJobDetailDlg::EnableRule);
    connect(m_what, &CJobDetail_WhatTab::checkSyntaxRequested, this, &CJobDetailDlg::CheckSyntax);
    connect(m_custom, &CJobDetail_CredTab::customChanged, this, &CJobDetailDlg::OnCustomChanged);
    connect(m_advanced, &CJobDetail_SQLTab::userEdited, this, &CJobDetailDlg::OnAdvancedEdited);
    connect(m_advanced, &CJobDetail_SQLTab::evaluateRequested, this, &CJobDetailDlg::EvaluateExpression);
    connect(m_advanced, &CJobDetail_SQLTab::forecastRequested, this, &CJobDetailDlg::Forecast);
}

void CJobDetailDlg::Forecast()
{
    CIntervalForecastDlg dlg(
        [this](const std::string& query, QObject* context, TwReplyCallback reply) {
            return m_queue.Evaluate(query, context, std::move(reply));
        },
        m_job ? m_job->m_jobNumber : -1, CJobDetailText::FromEditText(m_advanced->interval()),
        CJobDetailText::FromEditText(m_advanced->nextDate()),
        [this](const std::string& fixed) {
            m_advanced->setInterval(fixed);
            OnAdvancedEdited();
            return true;
        },
        this);
    VkModalService::DoModal(&dlg);
}

QString CJobDetailDlg::Header() const
{
    return m_header->text();
}

void CJobDetailDlg::LoadJob()
{
    m_schedule->setUserDefined();
    m_what->setWhat(CJobDetailText::ToEditText(m_job->m_what));
    m_advanced->setNextDate(CJobDetailText::NextDateLiteral(m_job->m_nextDate));
    m_advanced->setInterval(m_job->m_interval);
}

void CJobDetailDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_rectRestored)
        return;
    m_rectRestored = true;
    if (ModifyMode() && m_notOwner)
        Message(QVCtrlStrings().Format(IDS_JD_NOT_OWNER, m_queue.UserName().c_str()), MB_OK | MB_ICONSTOP);
    RestoreRect();
}

void CJobDetailDlg::RestoreRect()
{
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    const RECT stored = store.GetRect(S(IDS_JD_SETTINGS_SECTION).c_str(), S(IDS_JD_SETTINGS_SIZE).c_str(), nullptr);
    QRect rect(QPoint(stored.left, stored.top), QPoint(stored.right - 1, stored.bottom - 1));
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    // Fitted into the work area of the screen it falls on.
    QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        rect.setWidth(std::min(rect.width(), area.width()));
        rect.setHeight(std::min(rect.height(), area.height()));
        rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
        rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    }
    rect.setWidth(std::max(rect.width(), minimumWidth()));
    rect.setHeight(std::max(rect.height(), minimumHeight()));
    setGeometry(rect);
}

void CJobDetailDlg::StoreRect() const
{
    if (!m_rectRestored)
        return;
    const QRect rect = geometry();
    const RECT stored{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    store.SetRect(S(IDS_JD_SETTINGS_SECTION).c_str(), S(IDS_JD_SETTINGS_SIZE).c_str(), stored);
}

void CJobDetailDlg::ApplySchedule(const CScheduleResult& result)
{
    if (!result.userDefined) {
        m_advanced->setNextDate(CJobDetailText::ToEditText(CJobDetailText::Tabulate(result.nextDate)));
        m_advanced->setInterval(CJobDetailText::ToEditText(CJobDetailText::IntervalFromSchedule(result)));
    }
    EnableRule();
}

void CJobDetailDlg::EnableRule()
{
    if (m_waiting)
        return;
    const bool ready = !m_advanced->nextDate().empty() && !m_what->what().empty() && m_schedule->lastResult().valid;
    m_createNew->setEnabled(ready);
    m_default->setEnabled(ready && !m_notOwner);
}

void CJobDetailDlg::OnCustomChanged()
{
    if (m_waiting)
        return;
    // The Custom settings matter to a new job only: they enable the button
    // that submits one.
    if (ModifyMode())
        m_createNew->setEnabled(true);
    else
        m_default->setEnabled(true);
}

void CJobDetailDlg::OnAdvancedEdited()
{
    if (!m_schedule->lastResult().userDefined)
        m_schedule->setUserDefined();
    EnableRule();
}

std::string CJobDetailDlg::HelpTopic() const
{
    switch (m_tabs->currentIndex()) {
    case TabWhat: return S(IDS_JD_WHAT_HELP_TOPIC);
    case TabCustom: return S(IDS_JD_CUSTOM_HELP_TOPIC);
    case TabAdvanced: return S(IDS_JD_ADVANCED_HELP_TOPIC);
    case TabHistory: return S(IDS_JH_HELP_TOPIC);
    default: return S(IDS_JD_HELP_TOPIC);
    }
}

void CJobDetailDlg::Help()
{
    std::string file = S(IDS_JL_HELP_FILE);
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), HelpTopic());
}

int CJobDetailDlg::Message(const std::string& text, UINT style)
{
    return VkModalService::MessageBox(this, QString::fromStdString(text), QVCtrlString(IDS_QV_CAPTION), style);
}

// Requests and waiting.

void CJobDetailDlg::Request(const std::function<bool(QObject*, TwReplyCallback)>& start, Then then)
{
    const unsigned id = ++m_waitId;
    BeginWait();
    auto shared = std::make_shared<Then>(std::move(then));
    const bool queued = start(this, [this, id, shared](TwRequestOutcome& outcome) {
        if (id != m_waitId)
            return; // abandoned
        EndWait();
        (*shared)(outcome);
    });
    if (!queued && id == m_waitId) {
        EndWait();
        TwRequestOutcome failed;
        failed.failed = true;
        failed.message = S(IDS_JW_NOT_CONNECTED);
        (*shared)(failed);
    }
}

void CJobDetailDlg::BeginWait()
{
    m_waiting = true;
    m_tabs->setEnabled(false);
    m_default->setEnabled(false);
    m_createNew->setEnabled(false);
    m_help->setEnabled(false);
    m_waitLabel->show();
    setCursor(Qt::BusyCursor);
}

void CJobDetailDlg::EndWait()
{
    m_waiting = false;
    unsetCursor();
    m_waitLabel->hide();
    m_tabs->setEnabled(true);
    m_help->setEnabled(true);
    EnableRule();
}

void CJobDetailDlg::reject()
{
    if (m_waiting) {
        ++m_waitId;
        m_closeAfterSave = false;
        EndWait();
        return;
    }
    QDialog::reject();
}

// Check Syntax and Evaluate.

void CJobDetailDlg::CheckSyntax()
{
    if (m_waiting)
        return;
    Request(
        [this](QObject* context, TwReplyCallback reply) {
            return m_queue.TestSql(CJobDetailText::TestStatement(m_what->what()), context, std::move(reply));
        },
        [this](TwRequestOutcome& outcome) {
            if (outcome.failed)
                Message(QVCtrlStrings().Format(IDS_JD_TEST_FAILED, outcome.message.c_str()), MB_OK | MB_ICONEXCLAMATION);
            else
                Message(S(IDS_JD_SQL_VALID), MB_OK | MB_ICONINFORMATION);
        });
}

void CJobDetailDlg::ShowEvaluateProblem(int evaluation, const std::string& error)
{
    switch (static_cast<CJobDetailText::Evaluation>(evaluation)) {
    case CJobDetailText::Evaluation::Failed:
        Message(QVCtrlStrings().Format(IDS_JD_SELECT_FAILED, error.c_str()), MB_OK | MB_ICONEXCLAMATION);
        break;
    case CJobDetailText::Evaluation::NoData:
        Message(S(IDS_JD_NO_DATA), MB_OK | MB_ICONEXCLAMATION);
        break;
    case CJobDetailText::Evaluation::NotADate:
        Message(S(IDS_JD_NOT_A_DATE), MB_OK | MB_ICONEXCLAMATION);
        break;
    default:
        break;
    }
}

void CJobDetailDlg::EvaluateExpression(const std::string& expression)
{
    if (m_waiting)
        return;
    Request(
        [this, expression](QObject* context, TwReplyCallback reply) {
            return m_queue.Evaluate(CJobDetailText::EvaluateStatement(expression), context, std::move(reply));
        },
        [this](TwRequestOutcome& outcome) {
            DATE date = 0, serverNow = 0;
            const auto evaluation = CJobDetailText::Classify(outcome.failed ? nullptr : outcome.evaluation.get(),
                                                             &date, &serverNow);
            if (evaluation != CJobDetailText::Evaluation::Date) {
                ShowEvaluateProblem(static_cast<int>(evaluation), outcome.message);
                return;
            }
            CScheduleLocaleFormatter formatter;
            VkDateFormat::Parts at, server;
            VkDateFormat::FromAutomationDate(date, at);
            VkDateFormat::FromAutomationDate(serverNow, server);
            const std::string atDate = formatter.LongDateText(at.year, at.month, at.day);
            const std::string atTime = formatter.TimeText({at.hour, at.minute, at.second});
            const std::string serverDate = formatter.LongDateText(server.year, server.month, server.day);
            const std::string serverTime = formatter.TimeText({server.hour, server.minute, server.second});
            Message(QVCtrlStrings().Format(IDS_JD_EVALUATES_TO, atDate.c_str(), atTime.c_str(), serverDate.c_str(),
                                           serverTime.c_str()),
                    MB_OK | MB_ICONINFORMATION);
        });
}

// Saving.

void CJobDetailDlg::SaveDefault()
{
    if (m_waiting || (ModifyMode() && m_notOwner))
        return;
    m_closeAfterSave = true;
    Save(ModifyMode() ? m_job->m_jobNumber : -1);
}

void CJobDetailDlg::SaveAsNew()
{
    if (m_waiting)
        return;
    m_closeAfterSave = false;
    Save(-1);
}

void CJobDetailDlg::Save(LONG jobNumber)
{
    const CScheduleSettings settings = m_schedule->settings();
    if (settings.start == CScheduleSettings::StartOn && m_schedule->startMoment() < QDateTime::currentDateTime()) {
        if (Message(S(IDS_JD_PAST_START), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
            m_tabs->setCurrentIndex(TabSchedule);
            m_schedule->focusStartTime();
            return;
        }
    }
    if (!m_custom->parse()) {
        SaveEvaluated(jobNumber);
        return;
    }
    Request(
        [this](QObject* context, TwReplyCallback reply) {
            return m_queue.TestSql(CJobDetailText::TestStatement(m_what->what()), context, std::move(reply));
        },
        [this, jobNumber](TwRequestOutcome& outcome) {
            if (outcome.failed) {
                Message(QVCtrlStrings().Format(IDS_JD_TEST_FAILED, outcome.message.c_str()), MB_OK | MB_ICONEXCLAMATION);
                m_tabs->setCurrentIndex(TabWhat);
                m_what->selectAllAndFocus();
                return;
            }
            SaveEvaluated(jobNumber);
        });
}

void CJobDetailDlg::SaveEvaluated(LONG jobNumber)
{
    Request(
        [this](QObject* context, TwReplyCallback reply) {
            return m_queue.Evaluate(CJobDetailText::EvaluateStatement(m_advanced->nextDate()), context,
                                    std::move(reply));
        },
        [this, jobNumber](TwRequestOutcome& outcome) {
            DATE date = 0;
            const auto evaluation =
                CJobDetailText::Classify(outcome.failed ? nullptr : outcome.evaluation.get(), &date);
            // A next date that is no date would be saved as 30/12/1899 and
            // run the job at once: the save stops instead.
            if (evaluation != CJobDetailText::Evaluation::Date) {
                ShowEvaluateProblem(static_cast<int>(evaluation), outcome.message);
                m_tabs->setCurrentIndex(TabAdvanced);
                m_advanced->nextDateEdit()->setFocus();
                return;
            }
            CJobDetailText::Inputs inputs;
            inputs.jobNumber = jobNumber;
            inputs.what = m_what->what();
            inputs.interval = m_advanced->interval();
            inputs.nextDate = date;
            inputs.schema = m_custom->schema();
            inputs.parse = m_custom->parse();
            inputs.instance = m_custom->instance();
            inputs.instanceMustRun = m_custom->instanceMustRun();
            SaveRecord(CJobDetailText::Record(inputs));
        });
}

void CJobDetailDlg::SaveRecord(const CJobListData& job)
{
    Request([this, job](QObject* context,
                        TwReplyCallback reply) { return m_queue.SaveJob(job, context, std::move(reply)); },
            [this, job](TwRequestOutcome& outcome) {
                const long number = static_cast<long>(outcome.number);
                if (outcome.failed || number == 0) {
                    Message(outcome.message, MB_OK | MB_ICONEXCLAMATION);
                    m_closeAfterSave = false;
                    return;
                }
                // A changed job keeps its number; a job submitted anew (also
                // one that vanished while it was being modified) has a new one.
                if (job.m_jobNumber == -1 || number != job.m_jobNumber)
                    Message(QVCtrlStrings().Format(IDS_JD_CREATED, number), MB_OK | MB_ICONINFORMATION);
                else
                    Message(QVCtrlStrings().Format(IDS_JD_MODIFIED, number), MB_OK | MB_ICONINFORMATION);
                if (m_closeAfterSave)
                    accept();
            });
}
