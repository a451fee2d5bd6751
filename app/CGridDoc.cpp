#include "app/CGridDoc.h"

#include "app/CGridView.h"
#include "app/CQuillView.h"
#include "app/CQuorvaneStrings.h"
#include "framework/TwMainFrame.h"
#include "framework/TwQuillApp.h"
#include "generic/VkModalService.h"

#include <QMdiSubWindow>

namespace {

// The queue commands that mean the same for a grid.
constexpr UINT kRefresh = 133;
constexpr UINT kProperties = 32773;
constexpr UINT kDisconnect = 1057;
constexpr UINT kReconnect = 1058;
constexpr UINT kChangeConnection = 1059;
constexpr UINT kClose = 57602;
constexpr UINT kNewWindow = 57648;

} // namespace

CGridDoc::CGridDoc()
{
    MapGridCommands();
}

void CGridDoc::MapGridCommands()
{
    const auto connected = [this](VkCmdUI& ui) { ui.Enable(m_control && m_control->Connected()); };
    const auto notConnected = [this](VkCmdUI& ui) {
        ui.Enable(m_control && m_control->HasControl() && !m_control->Connected());
    };
    MapCommand(kRefresh, [this] { if (m_control) m_control->Refresh(); }, connected);
    MapCommand(kProperties, [this] { if (m_control) m_control->Interactive_Properties(); },
               [this](VkCmdUI& ui) { ui.Enable(m_control && m_control->HasControl()); });
    MapCommand(kDisconnect, [this] { if (m_control) m_control->Disconnect(); }, connected);
    MapCommand(kReconnect, [this] { if (m_control) m_control->Reconnect(); }, notConnected);
    // The outcome arrives through OnLogin.
    MapCommand(kChangeConnection, [this] { if (m_control) m_control->Interactive_Login(); }, notConnected);
    MapCommand(kClose, [this] { OnCloseDocument(); });
    // A second window would be a second grid with a logon of its own.
    MapCommand(kNewWindow, [] {}, [](VkCmdUI& ui) { ui.Enable(false); });
}

std::vector<CGridView*> CGridDoc::Views() const
{
    std::vector<CGridView*> views;
    for (QMdiSubWindow* frame : Frames())
        if (auto* view = qobject_cast<CGridView*>(VkMultiDocTemplate::ViewOfFrame(frame)))
            views.push_back(view);
    return views;
}

bool CGridDoc::OnNewDocument()
{
    if (!VkDocument::OnNewDocument())
        return false;
    if (!m_control) {
        TwQuillApp* app = TwQuillApp::App();
        VkModalService::MessageBox(app ? static_cast<QWidget*>(app->MainFrame()) : nullptr,
                                   QString::fromStdString(QvStrings().Load(IDS_QV_GRID_NO_CONTROL)), TwQuillApp::Title(),
                                   MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!m_control->Interactive_Login())
        return false;
    UpdateTitle();
    return true;
}

void CGridDoc::UpdateTitle()
{
    if (m_control)
        SetTitle(QString::fromStdString(m_control->Title()));
}

void CGridDoc::OnCloseDocument()
{
    // The controls' workers end before their windows go.
    for (CGridView* view : Views())
        view->CloseControl();
    m_control = nullptr;
    VkDocument::OnCloseDocument();
    if (TwQuillApp* app = TwQuillApp::App())
        app->OnCloseDocument(this);
}
