#include "framework/OCISession.h"

#include "framework/OCIErrorText.h"
#include "framework/VkOCIW32Lib.h"

#include <cstdlib>
#include <memory>
#include <mutex>

namespace VkOracle {

namespace {

// The call interface is initialised once per binding: the binding the
// process made (tests may make others; bindings are never freed, so the
// address identifies one).
struct InitState {
    std::mutex lock;
    const VkOCIW32Lib* initialisedFor = nullptr;
    bool threaded = false;
};

InitState& Init()
{
    static InitState state;
    return state;
}

text* TextArg(const std::optional<std::string>& value)
{
    return value ? reinterpret_cast<text*>(const_cast<char*>(value->c_str())) : nullptr;
}

} // namespace

OCISession::OCISession(bool threaded) { Initialise(threaded); }

OCISession::OCISession(const OCISession& other)
    : m_user(other.m_user), m_password(other.m_password), m_database(other.m_database),
      m_version(other.m_version)
{
}

OCISession& OCISession::operator=(const OCISession& other)
{
    if (this != &other) {
        m_user = other.m_user;
        m_password = other.m_password;
        m_database = other.m_database;
        m_version = other.m_version;
    }
    return *this;
}

OCISession::~OCISession() { Disconnect(); }

void OCISession::Initialise(bool threaded)
{
    InitState& state = Init();
    std::lock_guard guard(state.lock);
    const auto& lib = OCIW32();
    if (state.initialisedFor == &lib || !lib.opinit)
        return;
    if (lib.opinit(threaded ? OCI_EV_TSF : OCI_EV_DEF) == 0) {
        state.initialisedFor = &lib;
        state.threaded = threaded;
    }
}

bool OCISession::Initialised()
{
    InitState& state = Init();
    std::lock_guard guard(state.lock);
    return state.initialisedFor == &OCIW32();
}

bool OCISession::InitialisedThreaded()
{
    InitState& state = Init();
    std::lock_guard guard(state.lock);
    return state.initialisedFor == &OCIW32() && state.threaded;
}

void OCISession::SetUserName(const char* user) { m_user = user ? std::optional<std::string>(user) : std::nullopt; }

void OCISession::SetPassword(const char* password)
{
    m_password = password ? std::optional<std::string>(password) : std::nullopt;
}

void OCISession::SetDatabase(const char* database)
{
    m_database = database ? std::optional<std::string>(database) : std::nullopt;
}

bool OCISession::Connect()
{
    const auto& lib = OCIW32();
    if (!lib.olog)
        return false;
    const sword result = lib.olog(&m_lda, m_hda, TextArg(m_user), -1, TextArg(m_password), -1,
                                  TextArg(m_database), -1, OCI_LM_DEF);
    if (result != 0)
        return false;
    m_connected = true;
    return true;
}

bool OCISession::Disconnect()
{
    if (!m_connected)
        return false;
    m_connected = false;
    const auto& lib = OCIW32();
    return lib.ologof && lib.ologof(&m_lda) == 0;
}

bool OCISession::Break()
{
    const auto& lib = OCIW32();
    if (!m_connected || !lib.obreak)
        return false;
    return lib.obreak(&m_lda) == 0;
}

OCISession::OCICursor OCISession::Cursor()
{
    ++m_openCursors;
    return OCICursor(this);
}

std::string OCISession::Error() const { return OCIErrorText(m_lda); }

bool OCISession::SetVersion()
{
    m_version.clear();
    OCICursor cursor = Cursor();
    std::unique_ptr<OCIQueryData> data(
        cursor.Sql("Select version from SYS.PRODUCT_COMPONENT_VERSION WHERE Upper(product) like '%ORACLE%'"));
    if (data && data->Fetch(1) > 0)
        m_version = data->GetString(0, 0);
    return !m_version.empty();
}

long OCISession::MajorVersion() const { return std::strtol(m_version.c_str(), nullptr, 10); }

double OCISession::GetServerDateTime()
{
    OCICursor cursor = Cursor();
    std::unique_ptr<OCIQueryData> data(cursor.Sql("Select SYSDATE from dual"));
    if (data && data->Fetch(1) > 0)
        return data->GetDate(0, 0);
    return 0.0;
}

} // namespace VkOracle
