#include "gridview/TwGridViewReal.h"

#include "framework/TwLogonDlg.h"
#include "generic/VkModalService.h"
#include "gridview/TwPropertiesDlg.h"
#include "gridview/TwQlVwHelp.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridStatusCtrl.h"
#include "gridview/TwQuillGrid.h"
#include "gridview/TwQuillGridState.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTableWidget>
#include <QSplitter>
#include <QVBoxLayout>

TwGridViewReal::TwGridViewReal(QWidget* parent)
    : QWidget(parent),
      m_splitter(new QSplitter(Qt::Vertical, this)),
      m_edit(new QPlainTextEdit(m_splitter)),
      m_grid(new TwQuillGrid(m_splitter)),
      m_title(TwQlVwString(IDS_GV_DEFAULT_TITLE))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    m_splitter->addWidget(m_edit);
    m_splitter->addWidget(m_grid);
    m_splitter->setStretchFactor(1, 1);
    m_edit->setPlainText(QString::fromStdString(Worker().SqlText()));
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, [this] { Refresh(); });
    QTableWidget* table = m_grid->Table();
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, [this, table](const QPoint& at) {
        const QModelIndex index = table->indexAt(at);
        QMenu* menu = ContextMenu(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
        menu->exec(table->viewport()->mapToGlobal(at));
        menu->deleteLater();
    });
    connect(m_grid->StatusCtrl(), &TwQuillGridStatusCtrl::reconnectRequested, this, [this] {
        if (Worker().ConnectionState() == TwConnection::NotConnected)
            Login();
    });
    connect(m_grid, &TwQuillGrid::loginFinished, this, &TwGridViewReal::loginFinished);
    connect(m_grid, &TwQuillGrid::runStateChanged, this, &TwGridViewReal::runStateChanged);
}

TwGridViewReal::~TwGridViewReal() = default;

TwQuillGridWorker& TwGridViewReal::Worker()
{
    return m_grid->Worker();
}

void TwGridViewReal::SetLogon(const std::string& host, const std::string& user, const std::string& password)
{
    Worker().SetLogon(host, user, password);
}

bool TwGridViewReal::Login()
{
    return Worker().Connect();
}

bool TwGridViewReal::Interactive_Login()
{
    TwLogonDlg dialog(this);
    dialog.SetUser(Worker().UserName());
    dialog.SetPassword(Worker().Password());
    dialog.SetDatabase(Worker().Host());
    if (VkModalService::DoModal(&dialog) != QDialog::Accepted)
        return false;
    SetLogon(dialog.Database(), dialog.User(), dialog.Password());
    return Login();
}

bool TwGridViewReal::Connected()
{
    return Worker().IsConnected();
}

bool TwGridViewReal::Run()
{
    const std::string text = m_edit->toPlainText().toStdString();
    Worker().SetSqlText(text);
    return Worker().PostRequest(GvReqRun, &text);
}

bool TwGridViewReal::Refresh()
{
    return Worker().PostRequest(GvReqRefresh);
}

void TwGridViewReal::Pause()
{
    Worker().TogglePause();
}

void TwGridViewReal::Stop()
{
    Worker().StopRun();
}

void TwGridViewReal::Abort()
{
    Worker().AbortRun();
}

void TwGridViewReal::Reset()
{
    // A run still going on would fill the grid again.
    Abort();
    m_edit->clear();
    Worker().SetSqlText(std::string());
    m_grid->Clear();
}

TwGridProperties TwGridViewReal::Properties()
{
    TwGridProperties properties;
    properties.refreshInterval = Worker().RefreshInterval();
    properties.maximumRows = Worker().MaximumRows();
    properties.title = m_title;
    properties.showStatusBar = !m_grid->StatusCtrl()->isHidden();
    properties.showAlerts = m_showAlerts;
    return properties;
}

void TwGridViewReal::SetProperties(const TwGridProperties& properties)
{
    Worker().SetRefreshInterval(properties.refreshInterval);
    Worker().SetMaximumRows(properties.maximumRows);
    m_grid->StatusCtrl()->setHidden(!properties.showStatusBar);
    m_showAlerts = properties.showAlerts;
    SetTitle(properties.title);
}

bool TwGridViewReal::Interactive_Properties()
{
    TwPropertiesDlg dialog(Properties(), this);
    if (VkModalService::DoModal(&dialog) != QDialog::Accepted)
        return false;
    SetProperties(dialog.Properties());
    return true;
}

std::vector<BYTE> TwGridViewReal::SaveState(bool includeConnection)
{
    TwQuillGridState state;
    m_grid->CaptureList(state);
    state.host = Worker().Host();
    state.user = Worker().UserName();
    state.password = Worker().Password();
    state.refreshInterval = Worker().RefreshInterval();
    state.maximumRows = Worker().MaximumRows();
    state.monitorMode = Worker().MonitorMode() ? 1 : 0;
    state.sqlText = m_edit->toPlainText().toStdString();
    return state.ToBytes(includeConnection);
}

bool TwGridViewReal::LoadState(const std::vector<BYTE>& bytes, bool includeConnection, std::string& error)
{
    TwQuillGridState state;
    if (!TwQuillGridState::FromBytes(bytes, includeConnection, state, error))
        return false;
    m_grid->RestoreList(state);
    Worker().SetLogon(state.host, state.user, state.password);
    Worker().SetRefreshInterval(state.refreshInterval);
    Worker().SetMaximumRows(state.maximumRows);
    Worker().SetMonitorMode(state.monitorMode != 0);
    Worker().SetSqlText(state.sqlText);
    m_edit->setPlainText(QString::fromStdString(state.sqlText));
    return true;
}

QMenu* TwGridViewReal::ContextMenu(int row, int column)
{
    auto* menu = new QMenu(this);
    connect(menu->addAction(TwQlVwString(IDS_GV_MENU_CONNECTION)), &QAction::triggered, this,
            [this] { Interactive_Login(); });
    QAction* cellSql = menu->addAction(TwQlVwString(IDS_GV_MENU_CELL_SQL));
    cellSql->setEnabled(row >= 0 && column >= 0);
    connect(cellSql, &QAction::triggered, this, [this, row, column] { m_grid->EditCellSql(row, column); });
    QAction* refresh = menu->addAction(TwQlVwString(IDS_GV_MENU_REFRESH));
    refresh->setEnabled(Connected());
    connect(refresh, &QAction::triggered, this, [this] { Refresh(); });
    menu->addSeparator();
    connect(menu->addAction(TwQlVwString(IDS_GV_MENU_PROPERTIES)), &QAction::triggered, this,
            [this] { Interactive_Properties(); });
    connect(menu->addAction(TwQlVwString(IDS_GV_MENU_HELP)), &QAction::triggered, this,
            [this] { TwQlVwShowHelp(this, IDS_GV_HELP_GRID_TOPIC); });
    return menu;
}

bool TwGridViewReal::Running()
{
    return Worker().RunState() == GvRunning;
}

bool TwGridViewReal::Paused()
{
    return Worker().RunState() == GvPaused;
}

bool TwGridViewReal::Idle()
{
    return Worker().RunState() == GvIdle;
}

bool TwGridViewReal::MonitorMode()
{
    return Worker().MonitorMode();
}

void TwGridViewReal::SetMonitorMode(bool on)
{
    Worker().SetMonitorMode(on);
}

bool TwGridViewReal::SQLVisible() const
{
    return !m_edit->isHidden();
}

void TwGridViewReal::SetSQLVisible(bool visible)
{
    m_edit->setHidden(!visible);
}

void TwGridViewReal::SetTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged();
}
