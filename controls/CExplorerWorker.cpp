#include "controls/CExplorerWorker.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkLog.h"
#include "generic/VkModalService.h"

namespace {
constexpr DWORD kStopRound = 20000;
}

CExplorerWorker::CExplorerWorker(ReplyHandler reply, std::function<void()> onLogin)
    : m_reply(std::move(reply)), m_onLogin(std::move(onLogin)), m_session(std::make_unique<VkOracle::OCISession>(true))
{
}

CExplorerWorker::~CExplorerWorker()
{
    Stop([] { return true; });
}

bool CExplorerWorker::Start()
{
    if (m_thread.Joinable())
        return true;
    const bool started = m_thread.Start([this] { Main(); });
    VkWriteLog(true, true, "COracleExplorerTree::OnStart");
    VkWriteLog(true, true, started ? "Thread created OK" : "Thread creation failed");
    return started;
}

void CExplorerWorker::Stop(std::function<bool()> askRetry)
{
    m_stop = true;
    m_pending.Release();
    if (!m_thread.Joinable())
        return;
    if (!askRetry) {
        askRetry = [] {
            return VkModalService::MessageBox(nullptr, QVCtrlString(IDS_JW_STILL_WAITING), QVCtrlString(IDS_QV_CAPTION),
                                              MB_RETRYCANCEL | MB_ICONQUESTION) == IDRETRY;
        };
    }
    if (!VkWaitThread(m_thread, kStopRound, askRetry)) {
        // Interrupting the running statement lets the thread end by itself.
        m_session->Break();
        m_thread.Join();
    }
    std::lock_guard guard(m_lock);
    m_queue.clear();
}

void CExplorerWorker::SetLogon(const std::string& host, const std::string& user, const std::string& password)
{
    std::lock_guard guard(m_lock);
    m_host = host;
    m_user = user;
    m_password = password;
}

std::string CExplorerWorker::Host() const
{
    std::lock_guard guard(m_lock);
    return m_host;
}

std::string CExplorerWorker::UserName() const
{
    std::lock_guard guard(m_lock);
    return m_user;
}

std::string CExplorerWorker::Password() const
{
    std::lock_guard guard(m_lock);
    return m_password;
}

std::string CExplorerWorker::ConnectString() const
{
    std::lock_guard guard(m_lock);
    return m_user + "/" + m_password + "@" + m_host;
}

int CExplorerWorker::State() const
{
    std::lock_guard guard(m_lock);
    return m_state;
}

void CExplorerWorker::SetState(int state)
{
    {
        std::lock_guard guard(m_lock);
        m_state = state;
    }
    if (m_onLogin)
        m_onLogin();
}

bool CExplorerWorker::Post(CExplorerRequest request)
{
    if (m_stop)
        return false;
    {
        std::lock_guard guard(m_lock);
        m_queue.push_back(std::move(request));
    }
    m_pending.Release();
    return true;
}

void CExplorerWorker::Login()
{
    if (State() == Connected)
        Disconnect();
    CExplorerRequest request;
    request.kind = ExplorerKind::Connect;
    Post(std::move(request));
}

void CExplorerWorker::Disconnect()
{
    if (State() != Connected)
        return;
    CExplorerRequest request;
    request.kind = ExplorerKind::Disconnect;
    Post(std::move(request));
}

void CExplorerWorker::QueueRoots()
{
    const long generation = m_generation.load();
    for (ExplorerKind kind : {ExplorerKind::Schemas, ExplorerKind::Users}) {
        CExplorerRequest request;
        request.option1 = generation;
        request.kind = kind;
        CExplorerNode root;
        root.kind = kind;
        request.path.push_back(root);
        Post(std::move(request));
    }
}

void CExplorerWorker::Main()
{
    for (;;) {
        m_pending.Wait();
        CExplorerRequest request;
        {
            std::lock_guard guard(m_lock);
            if (!m_stop) {
                if (m_queue.empty())
                    continue;
                request = std::move(m_queue.front());
                m_queue.pop_front();
            }
        }
        if (m_stop) {
            VkWriteLog(true, true, "Request to shutdown - terminating thread");
            break;
        }
        if (m_hook)
            m_hook(request);
        Handle(request);
    }
    if (m_session->Connected())
        m_session->Disconnect();
    VkWriteLog(true, true, "Oracle Thread Terminating");
}

void CExplorerWorker::Handle(CExplorerRequest& request)
{
    switch (request.kind) {
    case ExplorerKind::Connect:
        DoConnect();
        return;
    case ExplorerKind::Disconnect:
        DoDisconnect();
        return;
    default:
        break;
    }
    if (!m_session->Connected() || request.path.empty())
        return;
    VkWriteLog(true, true, request.kind == ExplorerKind::Schemas ? "Loading Schemas" : "Loading node data.");
    CExplorerReply reply;
    reply.kind = request.kind;
    reply.item = request.item;
    reply.generation = request.option1;
    reply.result = CExplorerLoader::Load(*m_session, m_major, request.path);
    VkWriteLog(true, true, "Loaded node data.");
    if (!m_stop && m_reply)
        m_reply(std::move(reply));
}

void CExplorerWorker::DoConnect()
{
    if (m_session->Connected())
        DoDisconnect();
    SetState(Connecting);
    {
        std::lock_guard guard(m_lock);
        m_session->SetUserName(m_user.c_str());
        m_session->SetPassword(m_password.c_str());
        m_session->SetDatabase(m_host.c_str());
    }
    const bool connected = m_session->Connect();
    if (connected) {
        m_session->SetVersion();
        m_major = m_session->MajorVersion();
        if (!m_stop)
            QueueRoots();
    }
    SetState(connected ? Connected : NotConnected);
}

void CExplorerWorker::DoDisconnect()
{
    if (!m_session->Connected())
        return;
    CExplorerReply clear;
    clear.type = CExplorerReply::Type::Clear;
    clear.generation = ++m_generation;
    if (m_reply)
        m_reply(std::move(clear));
    m_session->Disconnect();
    SetState(NotConnected);
}
