#include "app/CQuorvaneDoc.h"

#include "app/CQueueStreamChunks.h"
#include "app/CQuorvaneStrings.h"
#include "app/CQuorvaneView.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwCommandIds.h"
#include "framework/TwMainFrame.h"
#include "framework/TwPalette.h"
#include "framework/TwQuillApp.h"
#include "generic/VkModalService.h"
#include "generic/VkWndRecord.h"
#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"
#include "platform/ComPtr.h"
#include "platform/MemoryStream.h"
#include "platform/VkAscii.h"

#include <QMdiSubWindow>

namespace {

// Queue commands and what they need of the control.
enum class Need { Nothing, Connected, Selection, OneSelected, Items, Paste, NotConnected };

struct QueueCommand {
    UINT id;
    void (CSchedulerCtrl::*call)();
    Need need;
};

void ChangeConnection(CSchedulerCtrl& control)
{
    // The outcome arrives through OnLogin.
    control.Interactive_Login();
}

const QueueCommand s_commands[] = {
    {133, &CSchedulerCtrl::Refresh, Need::Nothing},
    {57634, &CSchedulerCtrl::CopySelected, Need::Selection},
    {57637, &CSchedulerCtrl::DoPaste, Need::Paste},
    {32782, &CSchedulerCtrl::DeleteSelected, Need::Selection},
    {32773, &CSchedulerCtrl::Interactive_Properties, Need::Nothing},
    {32774, &CSchedulerCtrl::StopAll, Need::Items},
    {32771, &CSchedulerCtrl::Interactive_Export, Need::Items},
    {32777, &CSchedulerCtrl::Interactive_Export, Need::Items},
    {32772, &CSchedulerCtrl::Interactive_Import, Need::Connected},
    {32775, &CSchedulerCtrl::Interactive_New, Need::Connected},
    {32776, &CSchedulerCtrl::Interactive_NewWizard, Need::Connected},
    {32781, &CSchedulerCtrl::Interactive_Modify, Need::OneSelected},
    {32778, &CSchedulerCtrl::RunSelected, Need::Selection},
    {32783, &CSchedulerCtrl::StopSelected, Need::Selection},
    {32779, &CSchedulerCtrl::BreakSelected, Need::Selection},
    {32791, &CSchedulerCtrl::Interactive_Forecast, Need::OneSelected},
    {32792, &CSchedulerCtrl::StopSafely, Need::OneSelected},
    {32793, &CSchedulerCtrl::Interactive_Compare, Need::Connected},
    {1057, &CSchedulerCtrl::Disconnect, Need::Connected},
    {1058, &CSchedulerCtrl::Reconnect, Need::NotConnected},
    {1059, nullptr, Need::NotConnected},
};

bool Enabled(CSchedulerCtrl* control, Need need)
{
    if (need == Need::Nothing)
        return true;
    if (!control || !control->HasControl())
        return false;
    const bool connected = control->Connected();
    switch (need) {
    case Need::Connected:
        return connected;
    case Need::NotConnected:
        return !connected;
    case Need::Selection:
        return connected && control->SelectionCount() > 0;
    case Need::OneSelected:
        return connected && control->SelectionCount() == 1;
    case Need::Items:
        return connected && control->Items() != 0;
    case Need::Paste:
        return connected && control->CanPaste();
    default:
        return true;
    }
}

int s_openingSaved = 0;

} // namespace

CQuorvaneDoc::OpeningSaved::OpeningSaved()
{
    ++s_openingSaved;
}

CQuorvaneDoc::OpeningSaved::~OpeningSaved()
{
    --s_openingSaved;
}

CQuorvaneDoc::CQuorvaneDoc()
{
    MapQueueCommands();
}

void CQuorvaneDoc::MapQueueCommands()
{
    for (const QueueCommand& command : s_commands) {
        MapCommand(
            command.id,
            [this, command] {
                if (!m_control)
                    return;
                if (command.call)
                    (m_control->*command.call)();
                else
                    ChangeConnection(*m_control);
            },
            [this, need = command.need](VkCmdUI& ui) { ui.Enable(Enabled(m_control, need)); });
    }
    // Open is swallowed while a queue window is active.
    MapCommand(ID_FILE_OPEN, [] {});
    MapCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    MapCommand(ID_FILE_CLOSE, [this] { OnCloseDocument(); });
}

std::vector<CQuorvaneView*> CQuorvaneDoc::Views() const
{
    std::vector<CQuorvaneView*> views;
    for (QMdiSubWindow* frame : Frames())
        if (auto* view = qobject_cast<CQuorvaneView*>(VkMultiDocTemplate::ViewOfFrame(frame)))
            views.push_back(view);
    return views;
}

bool CQuorvaneDoc::OnNewDocument()
{
    if (!VkDocument::OnNewDocument())
        return false;
    TwQuillApp* app = TwQuillApp::App();
    const bool paletteLoading = app && app->IsPaletteLoading();
    if (!paletteLoading && s_openingSaved == 0) {
        if (!m_control || !m_control->Interactive_Login())
            return false;
    }
    UpdateTitle(TitleConnecting);
    if (app && s_openingSaved == 0)
        app->DocumentCreated(this);
    return true;
}

QString CQuorvaneDoc::TitleFor(const std::string& user, const std::string& database, int state)
{
    if (user.empty() || database.empty())
        return QStringLiteral("Loading...");
    // The user as the server knows it: names not in quotes are upper case.
    const std::string shown = user.front() == '"' ? user : VkAsciiUpper(user);
    static const char* const states[] = {"Connecting", "Connected", "NOT Connected"};
    const char* suffix = states[state >= 0 && state <= 2 ? state : 2];
    return QString::fromStdString(shown + " (" + database + ") - " + suffix);
}

void CQuorvaneDoc::UpdateTitle(int state)
{
    std::string user, database;
    if (m_control) {
        user = m_control->UserName();
        database = m_control->Database();
    }
    SetTitle(TitleFor(user, database, state));
}

bool CQuorvaneDoc::CanCloseFrame(QMdiSubWindow* frame)
{
    if (m_control && m_control->Connected()) {
        TwQuillApp* app = TwQuillApp::App();
        QWidget* owner = app ? static_cast<QWidget*>(app->MainFrame()) : nullptr;
        const int answer = VkModalService::MessageBox(owner, QString::fromStdString(QvStrings().Load(IDS_QV_CLOSE_LOGGED_ON)),
                                                      TwQuillApp::Title(), MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES)
            return false;
    }
    return VkDocument::CanCloseFrame(frame);
}

void CQuorvaneDoc::OnCloseDocument()
{
    // The controls' workers end before their windows go.
    for (CQuorvaneView* view : Views())
        view->CloseControl();
    m_control = nullptr;
    VkDocument::OnCloseDocument();
    if (TwQuillApp* app = TwQuillApp::App())
        app->OnCloseDocument(this);
}

void CQuorvaneDoc::Serialize(CArchive& ar)
{
    for (CQuorvaneView* view : Views()) {
        SerializeWnd(ar, view->parentWidget(), true);
        view->Serialize(ar);
        ComPtr<IStream> stream;
        if (FAILED(VkCreateMemoryStream(stream.GetAddressOf())))
            throw CArchiveException(CArchiveException::generic);
        CSchedulerCtrl* control = view->Control();
        if (ar.IsStoring()) {
            if (control)
                control->Persist(stream.Get(), false);
            CQueueStreamChunks::Write(ar, stream.Get());
            continue;
        }
        CQueueStreamChunks::Read(ar, stream.Get());
        if (!control)
            continue;
        if (!control->Persist(stream.Get(), true))
            throw CArchiveException(CArchiveException::badSchema);
        UpdateTitle(TitleConnecting);
        control->Login();
    }
}

void CQuorvaneDoc::OnFileSave()
{
    TwQuillApp* app = TwQuillApp::App();
    VkFileDialogRequest request;
    request.owner = app ? static_cast<QWidget*>(app->MainFrame()) : nullptr;
    request.save = true;
    request.overwritePrompt = true;
    request.path = GetTitle();
    if (!VkModalService::FileDialog(request) || request.path.isEmpty())
        return;
    const std::string path = request.path.toStdString();
    try {
        CFile file;
        CFileException error;
        if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &error))
            throw CFileException(error);
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        ar.Close();
        file.Close();
    } catch (const CException&) {
        VkModalService::MessageBox(request.owner,
                                   QString::fromStdString(QvStrings().Format(IDS_QV_QUEUE_WRITE_FAILED, path.c_str())),
                                   TwQuillApp::Title(), MB_OK | MB_ICONEXCLAMATION);
    }
}
