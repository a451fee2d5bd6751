#include "framework/OCISession.h"

#include "framework/OCIErrorText.h"
#include "framework/VkOCIW32Lib.h"

#include <new>
#include <string>

namespace VkOracle {

OCISession::OCICursor::OCICursor(OCISession* session) : m_session(session) { Open(); }

OCISession::OCICursor::~OCICursor()
{
    if (m_session)
        --m_session->m_openCursors;
    Close();
}

bool OCISession::OCICursor::Open()
{
    const auto& lib = OCIW32();
    if (m_open || !m_session || !m_session->Connected() || !lib.oopen)
        return m_open;
    // The logon text is a leftover of the version 2 interface; it is passed
    // as the server expects it.
    std::string logon = m_session->UserName();
    if (!m_session->Password().empty())
        logon += "/" + m_session->Password();
    const sword result = lib.oopen(&m_cda, &m_session->m_lda, nullptr, -1, 0,
                                   reinterpret_cast<text*>(logon.data()), -1);
    m_open = result == 0;
    return m_open;
}

bool OCISession::OCICursor::Close()
{
    const auto& lib = OCIW32();
    if (!m_open || !lib.oclose)
        return false;
    m_open = false;
    return lib.oclose(&m_cda) == 0;
}

OCISession::OCIQueryData* OCISession::OCICursor::Sql(const char* statement)
{
    const auto& lib = OCIW32();
    if (!m_open || !statement || !lib.oparse)
        return nullptr;
    if (lib.oparse(&m_cda, reinterpret_cast<text*>(const_cast<char*>(statement)), -1, 0, 1) != 0)
        return nullptr;
    try {
        return new OCIQueryData(this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::string OCISession::OCICursor::Error() const { return OCIErrorText(m_cda); }

} // namespace VkOracle
