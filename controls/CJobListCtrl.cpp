#include "controls/CJobListCtrl.h"

#include "controls/CJobAlertNotifier.h"
#include "controls/CJobListActions.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobSaveRule.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"
#include "platform/Archive.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaObject>
#include <QScrollBar>

#include <algorithm>

CJobListCtrl::CJobListCtrl(QWidget* parent)
    : QTableView(parent), m_worker(std::make_unique<CJobQueueWorker>(this))
{
    setObjectName(QStringLiteral("JobList"));
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setShowGrid(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    const auto& columns = CJobListModel::Columns();
    for (size_t i = 0; i < columns.size(); ++i)
        setColumnWidth(static_cast<int>(i), columns[i].width);
    setSortingEnabled(true);
    sortByColumn(CJobListModel::ColumnIndex(CJobListModel::ColJob), Qt::AscendingOrder);
    m_model.SetBandColours(CJobListModel::BandColours(palette().color(QPalette::Active, QPalette::Highlight)));

    m_flash.setInterval(kFlashMs);
    connect(&m_flash, &QTimer::timeout, this, &CJobListCtrl::FlashStep);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &CJobListCtrl::UpdateFlashTimer);
    connect(&m_model, &QAbstractItemModel::dataChanged, this, &CJobListCtrl::UpdateFlashTimer);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &CJobListCtrl::UpdateFlashTimer);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this, &CJobListCtrl::UpdateFlashTimer);

    m_menuRunner = [](QMenu& menu, const QPoint& pos) { return menu.exec(pos); };
    m_notifier = new CJobAlertNotifier(this);
    m_actions = new CJobListActions(this);
}

CJobListCtrl::~CJobListCtrl()
{
    // The worker posts to this window: it must end before the window does.
    m_worker->Stop([] { return false; });
}

void CJobListCtrl::Shutdown()
{
    m_worker->Stop();
}

void CJobListCtrl::SetLogon(const std::string& host, const std::string& user, const std::string& password)
{
    m_worker->SetLogon(host, user, password);
}

void CJobListCtrl::SetAdministratorView(bool on)
{
    m_adminView = on;
    m_worker->SetAdministratorView(on);
}

bool CJobListCtrl::Connect()
{
    return m_worker->Connect();
}

bool CJobListCtrl::Reconnect()
{
    if (m_worker->ConnectionState() != TwConnection::NotConnected)
        return false;
    return m_worker->Connect();
}

bool CJobListCtrl::RequestRefresh()
{
    return m_worker->PostRequest(ReqRefresh);
}

bool CJobListCtrl::event(QEvent* event)
{
    if (auto* message = dynamic_cast<VkMessageEvent*>(event)) {
        switch (message->Message()) {
        case JLM_STATUS:
        case JLM_NEWLIST:
        case JLM_QUEUE:
        case JLM_JOBUPDATE:
        case JLM_JOBREMOVED:
        case JLM_VERSION:
        case JLM_SERVERTIME:
            HandleMessage(*message);
            return true;
        case JLM_TESTSQL:
        case JLM_SAVEJOB:
        case JLM_EVALUATE:
            HandleDialogRequest(*message);
            return true;
        default:
            break;
        }
    }
    return QTableView::event(event);
}

void CJobListCtrl::HandleMessage(VkMessageEvent& message)
{
    switch (message.Message()) {
    case JLM_STATUS:
        if (auto status = message.TakeRecord<CJobStatusRecord>(); status && m_status)
            m_status->ApplyStatus(*status);
        break;
    case JLM_NEWLIST:
        InstallList(message.TakeRecord<CJobNewListRecord>());
        break;
    case JLM_QUEUE: {
        const auto text = message.TakeRecord<CJobTextRecord>();
        m_worker->PostRequest(static_cast<LONG>(message.WParam()), text ? &text->m_text : nullptr);
        break;
    }
    case JLM_JOBUPDATE:
        if (const auto update = message.TakeRecord<CJobUpdateRecord>())
            m_model.UpdateJob(static_cast<int>(message.WParam()), update->m_job);
        break;
    case JLM_JOBREMOVED:
        m_model.RemoveJob(static_cast<LONG>(message.WParam()));
        break;
    case JLM_VERSION:
        if (const auto version = message.TakeRecord<CJobTextRecord>(); version && m_status)
            m_status->SetVersion(version->m_text);
        break;
    case JLM_SERVERTIME:
        if (const auto time = message.TakeRecord<CJobDateRecord>(); time && m_status)
            m_status->SetServerTime(time->m_date, CJobListStatusCtrl::LocalNow());
        break;
    default:
        break;
    }
}

void CJobListCtrl::HandleDialogRequest(VkMessageEvent& message)
{
    auto request = message.TakeRecord<CJobDialogRequestRecord>();
    if (!request)
        return;
    const UINT number = message.Message();
    QPointer<QObject> replyTo = request->m_replyTo;
    TwReplyCallback reply = std::move(request->m_callback);
    if (!reply) {
        reply = [replyTo, number](TwRequestOutcome& outcome) {
            auto answer = std::make_unique<CJobDialogReplyRecord>();
            answer->m_outcome = std::move(outcome);
            if (replyTo)
                VkPostMessage(replyTo, number, 0, 0, std::move(answer));
        };
    }
    QObject* context = replyTo ? replyTo.data() : this;
    bool queued = false;
    if (number == JLM_TESTSQL)
        queued = m_worker->TestSql(request->m_text, context, reply);
    else if (number == JLM_EVALUATE)
        queued = m_worker->Evaluate(request->m_text, context, reply);
    else
        queued = SaveJob(request->m_job, false, context, reply);
    if (!queued) {
        // The sender still gets its answer, later, as it would from the worker.
        auto failed = std::make_shared<TwRequestOutcome>();
        failed->failed = true;
        failed->message = QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED);
        QMetaObject::invokeMethod(
            context, [reply, failed] { reply(*failed); }, Qt::QueuedConnection);
    }
}

void CJobListCtrl::ShowStatus(const std::string& text, bool busy)
{
    if (!m_status)
        return;
    CJobStatusRecord status;
    status.m_text = text;
    status.m_image = busy ? IDB_TW_BUSY : IDB_TW_DONE;
    status.m_frames = busy ? 4 : 1;
    status.m_animate = busy;
    m_status->ApplyStatus(status);
}

bool CJobListCtrl::SaveJob(const CJobListData& job, bool forceSubmit, QObject* context, TwReplyCallback reply)
{
    QPointer<CJobListCtrl> list(this);
    auto breakSaved = [list](const CJobListData& saved) {
        if (list)
            list->Worker().PostRequest(ReqToggleBroken, nullptr, &saved);
    };
    TwReplyCallback done = [list, reply = std::move(reply)](TwRequestOutcome& outcome) {
        // A job submitted anew is not in the list yet: the list reads it
        // (re-reading one job only updates rows the list has).
        if (list && !outcome.failed && outcome.number > 0 && list->FindRow(static_cast<LONG>(outcome.number)) < 0)
            list->RequestRefresh();
        if (reply)
            reply(outcome);
    };
    const bool known = !forceSubmit && m_model.FindRow(job.m_jobNumber) >= 0;
    return CJobSaveRule::Save(*m_worker, job, known, context, breakSaved, std::move(done));
}

void CJobListCtrl::InstallList(std::unique_ptr<CJobNewListRecord> list)
{
    if (!list) {
        m_model.Clear();
        return;
    }
    auto& installing = CJobQueueWorker::InstallingCounter();
    ++installing;
    setEnabled(false);
    const std::vector<LONG> selected = SelectedJobNumbers();
    const int horizontal = horizontalScrollBar()->value();
    const int vertical = verticalScrollBar()->value();
    const QModelIndex current = currentIndex();
    const LONG currentJob = current.isValid() ? m_model.Job(current.row()).m_jobNumber : -1;
    const int currentColumn = current.isValid() ? current.column() : 0;

    m_model.InstallList(std::move(list->m_jobs));
    m_model.SetChanges(list->m_marks);
    if (const int row = m_model.FindRow(currentJob); row >= 0)
        selectionModel()->setCurrentIndex(m_model.index(row, currentColumn), QItemSelectionModel::NoUpdate);
    SelectJobs(selected);

    // The scroll ranges follow the new rows only once measured.
    updateGeometries();
    horizontalScrollBar()->setValue(horizontal);
    verticalScrollBar()->setValue(vertical);
    setEnabled(true);
    --installing;
    RaiseAlerts(list->m_changes);
    TellHistoryProblem(list->m_historyProblem);
    emit listInstalled();
}

void CJobListCtrl::RaiseAlerts(const std::map<LONG, unsigned>& changes)
{
    if (!m_notifyAlerts)
        return;
    QStringList lines;
    for (const auto& [number, change] : changes) {
        const int row = m_model.FindRow(number);
        const long failures = row >= 0 ? static_cast<long>(m_model.Job(row).m_failures) : 0L;
        const QString line = CJobAlertNotifier::AlertLine(static_cast<long>(number), change, failures);
        if (!line.isEmpty())
            lines << line;
    }
    if (lines.isEmpty())
        return;
    const std::string caption = QueueCaption().toStdString();
    m_notifier->Notify(QString::fromStdString(QVCtrlStrings().Format(IDS_JH_NOTIFY_TITLE, caption.c_str())),
                       lines.join('\n'));
}

void CJobListCtrl::TellHistoryProblem(const std::string& problem)
{
    if (problem.empty())
        return;
    // Not from inside the installing: the message waits for the user.
    QPointer<CJobListCtrl> list(this);
    QMetaObject::invokeMethod(
        this,
        [list, problem] {
            if (list)
                VkModalService::MessageBox(list, QString::fromStdString(problem), QVCtrlString(IDS_QV_CAPTION),
                                           MB_OK | MB_ICONEXCLAMATION);
        },
        Qt::QueuedConnection);
}

std::vector<int> CJobListCtrl::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<LONG> CJobListCtrl::SelectedJobNumbers() const
{
    std::vector<LONG> jobs;
    for (int row : SelectedRows())
        jobs.push_back(m_model.Job(row).m_jobNumber);
    return jobs;
}

void CJobListCtrl::SelectJobs(const std::vector<LONG>& jobNumbers)
{
    QItemSelection selection;
    for (LONG job : jobNumbers) {
        const int row = m_model.FindRow(job);
        if (row >= 0)
            selection.select(m_model.index(row, 0), m_model.index(row, CJobListModel::kColumnCount - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CJobListCtrl::CountSelected(CountMode mode, int& with, int& without) const
{
    with = without = 0;
    for (int row : SelectedRows()) {
        const CJobListData& job = m_model.Job(row);
        const bool flag = mode == CountRunning ? job.m_running != 0 : job.m_broken;
        ++(flag ? with : without);
    }
}

QString CJobListCtrl::QueueCaption(const QString& leading) const
{
    const std::string host = m_worker->Host();
    const std::string user = m_worker->UserName();
    if (leading.isEmpty())
        return QString::fromStdString(QVCtrlStrings().Format(IDS_JL_QUEUE_CAPTION, host.c_str(), user.c_str()));
    const std::string lead = leading.toStdString();
    return QString::fromStdString(
        QVCtrlStrings().Format(IDS_JL_QUEUE_CAPTION_LEADING, lead.c_str(), host.c_str(), user.c_str()));
}

std::vector<CJobListMenuItem> CJobListCtrl::MenuItems() const
{
    CJobListMenuState state;
    state.connection = m_worker->ConnectionState();
    state.rows = m_model.rowCount();
    int without = 0;
    CountSelected(CountRunning, state.selectedRunning, without);
    state.selected = state.selectedRunning + without;
    CountSelected(CountBroken, state.selectedBroken, without);
    return CJobListMenu::Build(state);
}

void CJobListCtrl::FillMenu(QMenu& menu, const std::vector<CJobListMenuItem>& items)
{
    for (const CJobListMenuItem& item : items) {
        if (item.separator) {
            // Never two separators in a row, nor one at the top.
            if (!menu.actions().isEmpty() && !menu.actions().constLast()->isSeparator())
                menu.addSeparator();
        } else if (!item.children.empty()) {
            FillMenu(*menu.addMenu(item.text), item.children);
        } else {
            QAction* action = menu.addAction(item.text);
            action->setData(item.command);
            action->setEnabled(item.enabled);
        }
    }
}

void CJobListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (!isEnabled())
        return;
    QMenu menu(this);
    FillMenu(menu, MenuItems());
    BeginInteraction();
    QAction* chosen = m_menuRunner ? m_menuRunner(menu, event->globalPos()) : nullptr;
    EndInteraction();
    if (chosen && chosen->data().isValid())
        OnCommand(chosen->data().toUInt());
    event->accept();
}

void CJobListCtrl::OnCommand(UINT command)
{
    switch (command) {
    case ID_JL_NONE:
        break;
    case ID_JL_RECONNECT:
        Reconnect();
        break;
    default:
        emit commandRequested(command);
        break;
    }
}

void CJobListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        RequestRefresh();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (IsConnected() && !SelectedRows().empty())
            emit commandRequested(ID_JL_REMOVE);
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (IsConnected() && SelectedRows().size() == 1)
            emit commandRequested(ID_JL_MODIFY);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CJobListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (IsConnected() && SelectedRows().size() == 1)
        emit commandRequested(ID_JL_MODIFY);
}

QByteArray CJobListCtrl::SaveLayout() const
{
    return horizontalHeader()->saveState();
}

bool CJobListCtrl::RestoreLayout(const QByteArray& layout)
{
    if (layout.isEmpty() || !horizontalHeader()->restoreState(layout))
        return false;
    // Every column stays reachable whatever the saved state said.
    for (int i = 0; i < CJobListModel::kColumnCount; ++i)
        if (columnWidth(i) <= 0)
            setColumnWidth(i, CJobListModel::Columns()[static_cast<size_t>(i)].width);
    sortByColumn(horizontalHeader()->sortIndicatorSection(), horizontalHeader()->sortIndicatorOrder());
    return true;
}

void CJobListCtrl::BeginInteraction()
{
    m_worker->BeginInteraction();
}

void CJobListCtrl::EndInteraction()
{
    m_worker->EndInteraction();
}

void CJobListCtrl::FlashStep()
{
    m_model.ToggleFlashPhase();
}

void CJobListCtrl::UpdateFlashTimer()
{
    const bool needed = m_model.FlashEffects() && m_model.HasFlashingRows();
    if (needed && !m_flash.isActive())
        m_flash.start();
    else if (!needed && m_flash.isActive())
        m_flash.stop();
}

CJobListViewState CJobListCtrl::ViewState() const
{
    CJobListViewState state;
    if (testAttribute(Qt::WA_SetFont))
        state.font = font().toString();
    const QPalette& colours = palette();
    if (colours.isBrushSet(QPalette::Active, QPalette::Text))
        state.textColour = colours.color(QPalette::Active, QPalette::Text).rgba();
    if (colours.isBrushSet(QPalette::Active, QPalette::Base))
        state.backColour = colours.color(QPalette::Active, QPalette::Base).rgba();
    state.flashEffects = m_model.FlashEffects();
    state.columnLayout = SaveLayout();
    return state;
}

void CJobListCtrl::ApplyViewState(const CJobListViewState& state)
{
    QFont chosen;
    if (!state.font.isEmpty() && chosen.fromString(state.font))
        setFont(chosen);
    QPalette colours = palette();
    if (state.textColour)
        colours.setColor(QPalette::Text, QColor::fromRgba(state.textColour));
    if (state.backColour)
        colours.setColor(QPalette::Base, QColor::fromRgba(state.backColour));
    setPalette(colours);
    m_model.SetFlashEffects(state.flashEffects);
    RestoreLayout(state.columnLayout);
}

void CJobListCtrl::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        CJobListViewState state = ViewState();
        state.Serialize(ar);
        ar << m_worker->Host() << m_worker->UserName() << m_worker->Password();
        ar << static_cast<LONG>(m_adminView ? 1 : 0);
        ar << static_cast<DWORD>(m_worker->RefreshInterval());
        return;
    }
    CJobListViewState state;
    state.Serialize(ar);
    ApplyViewState(state);
    const std::string host = ar.ReadString();
    const std::string user = ar.ReadString();
    const std::string password = ar.ReadString();
    SetLogon(host, user, password);
    LONG adminView = 0;
    ar >> adminView;
    SetAdministratorView(adminView != 0);
    DWORD interval = 0;
    ar >> interval;
    m_worker->SetRefreshInterval(interval);
    m_worker->SetWarnAboutView(false);
}
