#include "controls/CJobListData.h"

#include "platform/Archive.h"

IMPLEMENT_SERIAL(CJobListData, CObject, 1)

namespace {

void WriteLongString(CArchive& ar, const std::string& text)
{
    ar << static_cast<DWORD>(text.size());
    ar.Write(text.data(), static_cast<UINT>(text.size()));
}

// ReadBytes refuses a length beyond what the archive holds before
// allocating, so a corrupt length cannot exhaust memory.
std::string ReadLongString(CArchive& ar)
{
    DWORD length = 0;
    ar >> length;
    return ar.ReadBytes(length);
}

void WriteFlag(CArchive& ar, bool flag)
{
    ar << static_cast<BYTE>(flag ? 1 : 0);
}

BYTE ReadByte(CArchive& ar)
{
    BYTE value = 0;
    ar >> value;
    return value;
}

} // namespace

bool CJobListData::operator==(const CJobListData& o) const
{
    return m_jobNumber == o.m_jobNumber && m_lastDate == o.m_lastDate && m_nextDate == o.m_nextDate
        && m_thisDate == o.m_thisDate && m_what == o.m_what && m_interval == o.m_interval
        && m_broken == o.m_broken && m_failures == o.m_failures && m_logUser == o.m_logUser
        && m_privUser == o.m_privUser && m_schemaUser == o.m_schemaUser && m_totalTime == o.m_totalTime
        && m_reserved == o.m_reserved && m_running == o.m_running && m_parse == o.m_parse
        && m_instance == o.m_instance && m_force == o.m_force && m_note == o.m_note;
}

void CJobListData::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_jobNumber << m_lastDate << m_nextDate << m_thisDate;
        WriteLongString(ar, m_what);
        WriteLongString(ar, m_interval);
        WriteFlag(ar, m_broken);
        WriteFlag(ar, m_running != 0);
        ar << m_failures;
        WriteLongString(ar, m_logUser);
        WriteLongString(ar, m_privUser);
        WriteLongString(ar, m_schemaUser);
        ar << m_totalTime;
        WriteFlag(ar, m_reserved != 0);
        WriteFlag(ar, m_parse != 0);
        ar << m_instance;
        WriteFlag(ar, m_force);
        return;
    }
    // Read into a fresh record so that a truncated archive leaves this one
    // as it was.
    CJobListData read;
    ar >> read.m_jobNumber >> read.m_lastDate >> read.m_nextDate >> read.m_thisDate;
    read.m_what = ReadLongString(ar);
    read.m_interval = ReadLongString(ar);
    read.m_broken = ReadByte(ar) != 0;
    read.m_running = ReadByte(ar) != 0;
    ar >> read.m_failures;
    read.m_logUser = ReadLongString(ar);
    read.m_privUser = ReadLongString(ar);
    read.m_schemaUser = ReadLongString(ar);
    ar >> read.m_totalTime;
    read.m_reserved = ReadByte(ar) != 0;
    read.m_parse = ReadByte(ar) != 0;
    ar >> read.m_instance;
    read.m_force = ReadByte(ar) != 0;
    *this = read;
}
