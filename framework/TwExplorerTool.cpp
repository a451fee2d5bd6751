#include "framework/TwExplorerTool.h"

#include "controls/IExplorerCtrl.h"
#include "framework/CExplorerCtrl.h"
#include "framework/TwSettings.h"
#include "framework/TwStrings.h"
#include "framework/TwWorkArea.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

namespace {

std::string Name(UINT id)
{
    return TwStrings().Load(id);
}

} // namespace

TwExplorerTool::TwExplorerTool(QWidget* owner) : m_owner(owner)
{
    setObjectName(QStringLiteral("ExplorerToolObject"));
}

TwExplorerTool::~TwExplorerTool()
{
    Destroy();
}

bool TwExplorerTool::PrepareCreate()
{
    if (m_window)
        return true;
    auto* window = new QWidget(m_owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                            Qt::WindowCloseButtonHint);
    window->setObjectName(QStringLiteral("ExplorerTool"));
    const bool firstPlacement = m_rect.isEmpty();
    window->setGeometry(firstPlacement ? QRect(0, 0, kDefaultWidth, kDefaultHeight) : m_rect);
    m_window = window;
    auto* control = new TwHost::CExplorerCtrl(window);
    if (control->Create()) {
        m_control = control;
        PlaceControl();
        control->show();
        control->PostEventsTo(this, DIID__IExplorerCtrlEvents, {{DISPID_EX_ONLOGIN, "OnLogin", UWM_EXPLORER_LOGIN}});
    } else {
        // The window stays an empty frame.
        delete control;
    }
    window->setMinimumSize(kMinimumSize, kMinimumSize);
    if (firstPlacement && m_owner) {
        const QRect frame = m_owner->geometry();
        const QRect placed(frame.topLeft() + QPoint(kOffsetRight, kOffsetDown), QSize(kDefaultWidth, kDefaultHeight));
        window->setGeometry(TwFitToWorkArea(placed));
    }
    m_rect = window->geometry();
    window->installEventFilter(this);
    SetConnectionTitle(kNotConnected);
    return true;
}

void TwExplorerTool::PlaceControl()
{
    // One pixel lower than the client area: the control's bottom border
    // stays out of sight.
    if (m_window && m_control)
        m_control->setGeometry(m_window->rect().adjusted(0, 0, 0, 1));
}

bool TwExplorerTool::ToggleShowState()
{
    if (m_shown) {
        if (m_window)
            m_window->hide();
        m_shown = false;
        return m_shown;
    }
    if (PrepareCreate())
        ShowAndLogon();
    return m_shown;
}

void TwExplorerTool::ShowAndLogon()
{
    m_window->show();
    m_window->raise();
    m_shown = true;
    // A logon under way is left to finish.
    if (m_control && !m_control->Connected() && !m_control->Connecting()) {
        if (m_saved.HasDatabase()) {
            m_control->SetUserName(m_saved.user);
            m_control->SetPassword(m_saved.password);
            m_control->SetDatabase(m_saved.database);
            m_control->Login();
        } else {
            m_control->Interactive_Login();
        }
    }
    if (m_window)
        m_window->update();
}

void TwExplorerTool::HandleMinimize(bool minimized)
{
    if (!m_window)
        return;
    if (minimized) {
        if (m_shown)
            m_window->hide();
    } else if (m_shown && !m_window->isVisible()) {
        m_window->show();
    }
}

void TwExplorerTool::SerializeSettings(bool load, TwSettings& settings)
{
    const std::string section = Name(IDS_TW_EXPLORER_SECTION);
    if (!load) {
        settings.SetBool(section.c_str(), Name(IDS_TW_EXPLORER_VISIBLE).c_str(), m_shown);
        settings.SetRect(section.c_str(), Name(IDS_TW_EXPLORER_DIMS).c_str(), m_rect);
        // A control never logged on in this run keeps the connection read
        // at start-up rather than forgetting it.
        TwExplorerConnection current = m_saved;
        if (m_control && !m_control->Database().empty())
            current = {m_control->UserName(), m_control->Password(), m_control->Database()};
        settings.SetEncryptedString(section.c_str(), Name(IDS_TW_EXPLORER_CONNECT).c_str(), current.Text());
        return;
    }
    if (m_window)
        return;
    const bool visible = settings.GetBool(section.c_str(), Name(IDS_TW_EXPLORER_VISIBLE).c_str(), false);
    PrepareCreate();
    const QRect dims = settings.GetRect(section.c_str(), Name(IDS_TW_EXPLORER_DIMS).c_str(), nullptr);
    if (!dims.isEmpty()) {
        if (m_window) {
            m_window->setGeometry(TwFitToWorkArea(dims));
            m_rect = m_window->geometry();
        } else {
            m_rect = dims;
        }
    }
    // Anything but user|password|database is ignored: the next show asks.
    TwExplorerConnection::Parse(settings.GetEncryptedString(section.c_str(), Name(IDS_TW_EXPLORER_CONNECT).c_str(), ""),
                                &m_saved);
    if (visible && m_window)
        ShowAndLogon();
}

void TwExplorerTool::SetConnectionTitle(int state)
{
    if (!m_window)
        return;
    const std::string user = m_control ? m_control->UserName() : std::string();
    const std::string database = m_control ? m_control->Database() : std::string();
    std::string caption;
    if (!user.empty() && !database.empty()) {
        const UINT stateText = state == kConnected    ? IDS_TW_EXPLORER_CONNECTED
                               : state == kConnecting ? IDS_TW_EXPLORER_CONNECTING
                                                      : IDS_TW_EXPLORER_NOT_CONNECTED;
        caption = TwStrings().Format(IDS_TW_EXPLORER_TITLE, user.c_str(), database.c_str(), Name(stateText).c_str());
    } else {
        caption = Name(IDS_TW_EXPLORER_NO_HOST);
    }
    m_window->setWindowTitle(QString::fromStdString(caption));
}

void TwExplorerTool::OnLogin()
{
    if (!m_control)
        return;
    const int state = m_control->Connecting() ? kConnecting : m_control->Connected() ? kConnected : kNotConnected;
    SetConnectionTitle(state);
}

void TwExplorerTool::Destroy()
{
    if (!m_window)
        return;
    if (m_control)
        m_control->DestroyControl();
    // A logon notice still on its way finds no one.
    QCoreApplication::removePostedEvents(this, static_cast<int>(UWM_EXPLORER_LOGIN));
    m_window->removeEventFilter(this);
    delete m_window.data();
}

TwHost::CExplorerCtrl* TwExplorerTool::Control() const
{
    return m_control;
}

LONG TwExplorerTool::WindowHandle() const
{
    return m_window ? static_cast<LONG>(m_window->winId()) : 0;
}

bool TwExplorerTool::event(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(UWM_EXPLORER_LOGIN)) {
        OnLogin();
        return true;
    }
    return QObject::event(event);
}

bool TwExplorerTool::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close:
        // The close box only hides; the window goes with the main frame.
        m_shown = false;
        m_window->hide();
        event->ignore();
        return true;
    case QEvent::Resize:
        PlaceControl();
        m_rect = m_window->geometry();
        break;
    case QEvent::Move:
        m_rect = m_window->geometry();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
