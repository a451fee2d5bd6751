#pragma once
// One DBMS_JOB job as the scheduler control carries it: filled from the job
// queries, shown in the job list, edited by the job detail dialog, and
// written to export files and the clipboard in its archive form. A plain
// value: copies are whole and each owner deletes its own.

#include "platform/Serializable.h"
#include "platform/WinTypes.h"

#include <string>

class CJobListData : public CObject {
    DECLARE_SERIAL(CJobListData)

public:
    CJobListData() = default;
    CJobListData(const CJobListData&) = default;
    CJobListData& operator=(const CJobListData&) = default;
    ~CJobListData() override = default;

    // Every field, the note included.
    bool operator==(const CJobListData& other) const;
    bool operator!=(const CJobListData& other) const { return !(*this == other); }

    // The archive form: fixed-size numbers, strings as a 32-bit length and
    // their bytes, flags as single bytes. The note is never archived; a
    // record read back has it empty. Bad data throws CArchiveException,
    // which the archive's user catches.
    void Serialize(CArchive& ar) override;

    // Dates are automation dates; 0 means no date.
    LONG m_jobNumber = -1;
    DATE m_lastDate = 0;
    DATE m_nextDate = 0;
    DATE m_thisDate = 0;
    std::string m_what;
    std::string m_interval;
    bool m_broken = false;
    LONG m_failures = 0;
    std::string m_logUser;
    std::string m_privUser;
    std::string m_schemaUser;
    LONG m_totalTime = 0; // seconds
    BYTE m_reserved = 0;  // never set; carried through archives
    BYTE m_running = 0;
    BYTE m_parse = 0;     // submit option
    LONG m_instance = 0;  // submit option
    bool m_force = false; // submit option
    std::string m_note;   // travels with copies only
};
