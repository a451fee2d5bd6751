#pragma once
// The system's whole vocabulary for the Oracle server: a session logs on, a
// cursor parses one statement, the parse gives query data that executes it
// or fetches its rows in arrays into per-column buffers read by typed
// getters. Everything goes through the process-wide binding; nothing throws:
// failures are results (false, null, 0, 0.0, empty text) with the Oracle code
// left in the session's or the cursor's data area.
//
// A session, its cursors and their query data belong to one thread at a time.

#include "ociw32/include/oci7.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace VkOracle {

class OCISession {
public:
    class OCICursor;
    class OCIQueryData;
    class OCIColumn;

    // Zeroes the data areas and initialises the call interface (once per
    // process); every session of the system passes true.
    explicit OCISession(bool threaded = true);
    // A copy carries the logon details and version, not the server session:
    // it starts disconnected with its own data areas.
    OCISession(const OCISession& other);
    OCISession& operator=(const OCISession& other);
    ~OCISession();

    // Initialises the call interface thread-safe (or not) once per process
    // (once per binding where tests rebind the library); a failed attempt is
    // repeated by the next call.
    static void Initialise(bool threaded);
    // Whether the call interface is initialised, and in which mode.
    static bool Initialised();
    static bool InitialisedThreaded();

    // Logon details; a detail never set (or set to null) reaches the server
    // as a null pointer. The user name may also carry the whole logon text
    // "user/password@database".
    void SetUserName(const char* user);
    void SetPassword(const char* password);
    void SetDatabase(const char* database);
    std::string UserName() const { return m_user.value_or(std::string()); }
    std::string Password() const { return m_password.value_or(std::string()); }
    std::string Database() const { return m_database.value_or(std::string()); }

    bool Connect();
    bool Disconnect();
    bool Connected() const { return m_connected; }
    // Interrupts the statement running on this session (from another thread).
    bool Break();

    // A new cursor on this session, already opened when connected.
    OCICursor Cursor();
    int OpenCursorCount() const { return m_openCursors; }

    int OracleError() const { return m_lda.rc; }
    // "No error", or the server's message for OracleError().
    std::string Error() const;

    // Reads the server version; true when one was found.
    bool SetVersion();
    const std::string& Version() const { return m_version; }
    // The leading number of the version ("10.2.0.1.0" gives 10; 0 when empty).
    long MajorVersion() const;
    // The server's current date and time as an automation date; 0.0 on failure.
    double GetServerDateTime();

    Lda_Def& LogonDataArea() { return m_lda; }

private:
    friend class OCICursor;

    std::optional<std::string> m_user;
    std::optional<std::string> m_password;
    std::optional<std::string> m_database;
    Lda_Def m_lda{};
    ub1 m_hda[HDA_SIZE]{};
    // Read by Break() from another thread.
    std::atomic<bool> m_connected{false};
    std::int32_t m_openCursors = 0;
    std::string m_version;
};

// One statement on a session. Not copyable: the server keeps its state by
// the data area, which must stay where it was opened. A cursor must outlive
// every query data object made from it that still fetches.
class OCISession::OCICursor {
public:
    OCICursor(const OCICursor&) = delete;
    OCICursor& operator=(const OCICursor&) = delete;
    ~OCICursor();

    bool Open();
    bool Close();
    bool OK() const { return m_open; }

    // Parses the statement; the caller owns and deletes the result. Null when
    // the cursor is not open or the parse failed (see Error()).
    OCIQueryData* Sql(const char* statement);

    int OracleError() const { return m_cda.rc; }
    std::string Error() const;

    operator Cda_Def&() { return m_cda; }
    OCISession* Session() const { return m_session; }

protected:
    friend class OCISession;
    explicit OCICursor(OCISession* session);

private:
    OCISession* m_session;
    Cda_Def m_cda{};
    bool m_open = false;
};

// One select-list column and its fetch buffers.
class OCISession::OCIColumn {
public:
    OCIColumn() = default;
    OCIColumn(const OCIColumn& other);
    OCIColumn& operator=(const OCIColumn& other);
    ~OCIColumn();

    bool operator==(const std::string& name) const { return m_name == name; }

    // The external type fetched (5 string, 4 floating point, 3 integer,
    // 12 date, 24 raw) and the bytes per cell.
    int TypeToExternalOracleType();
    int ExternalDataSize();

    // Frees the buffers and, for rows > 0, allocates them for that many rows;
    // false when they could not be allocated (the column then has none).
    bool SetBuffers(long rows);
    ub1* DataBuffer() const { return m_data; }
    sb2* IndicatorBuffer() const { return m_indicators; }
    ub2* LengthBuffer() const { return m_lengths; }
    ub2* RetCodeBuffer() const { return m_retCodes; }
    long BufferedRows() const { return m_bufferedRows; }

    // The row's cell and its returned length; null (length 0) outside the
    // buffers.
    const ub1* GetItemPtr(long row, int& length) const;

    std::string GetString(long row) const;
    long GetLong(long row) const;
    double GetFloat(long row) const;
    bool GetBoolean(long row) const { return GetLong(row) != 0; }
    double GetDate(long row) const;

    bool IsString() const { return ExternalType() == SQLT_STR; }
    bool IsFloat() const { return ExternalType() == SQLT_FLT; }
    bool IsLong() const { return ExternalType() == SQLT_INT; }
    bool IsDate() const { return ExternalType() == SQLT_DAT; }

    const std::string& Name() const { return m_name; }
    bool Nullable() const { return m_nullable; }
    int InternalType() const { return m_internalType; }
    std::int32_t DescribedSize() const { return m_describedSize; }
    std::int32_t DisplaySize() const { return m_displaySize; }
    std::int16_t Precision() const { return m_precision; }
    std::int16_t Scale() const { return m_scale; }

    // Filled by the describe step (tests build columns this way too).
    void Describe(const std::string& name, int internalType, std::int32_t describedSize,
                  std::int32_t displaySize = 0, std::int16_t precision = 0, std::int16_t scale = 0,
                  bool nullable = true);

private:
    int ExternalType() const;
    int CellSize() const;
    void FreeBuffers();
    double FloatValue(const ub1* cell, int length) const;
    std::string Text(const ub1* cell, int length) const;

    std::string m_name;
    bool m_nullable = false;
    int m_internalType = 0;
    std::int32_t m_describedSize = 0;
    std::int32_t m_displaySize = 0;
    std::int16_t m_precision = 0;
    std::int16_t m_scale = 0;
    ub1* m_data = nullptr;
    sb2* m_indicators = nullptr;
    ub2* m_lengths = nullptr;
    ub2* m_retCodes = nullptr;
    long m_bufferedRows = 0;
    int m_externalSize = -1;
    int m_externalType = -1;
};

// The result of a parse: executes the statement once, or fetches its rows.
class OCISession::OCIQueryData {
public:
    // A deep copy: columns with their buffers and contents, no cursor.
    OCIQueryData(const OCIQueryData& other);
    OCIQueryData& operator=(const OCIQueryData&) = delete;
    ~OCIQueryData();

    // Binds up to two named placeholders (":jobno") to doubles, executes and
    // commits. A pair with a null part is skipped. The doubles receive the
    // OUT values of a PL/SQL block; they are read again by every later
    // execution of this statement (a Fetch), so they must outlive it.
    bool Execute(const char* name1 = nullptr, double* value1 = nullptr, const char* name2 = nullptr,
                 double* value2 = nullptr);
    // Fetches up to rows rows (executing the statement on the first call);
    // the result is the number delivered. Buffers are sized by the first
    // call; later calls fetch at most that many.
    long Fetch(long rows);
    // Frees the buffers; the object can no longer fetch.
    void Drop();
    OCIQueryData* GetCopy() const;

    int Columns() const { return static_cast<int>(m_columns.size()); }
    long Rows() const { return m_rows; }
    long TotalRows() const { return m_totalRows; }
    long FetchCount() const { return m_fetchCount; }
    // An empty column for an index out of range.
    const OCIColumn& Column(int index) const;
    // The first column named exactly so (case-sensitive), or -1.
    int ColumnIndexFromName(const std::string& name) const;

    std::string GetString(int row, int column) const;
    long GetLong(int row, int column) const;
    double GetFloat(int row, int column) const;
    bool GetBoolean(int row, int column) const;
    double GetDate(int row, int column) const;

protected:
    friend class OCICursor;
    explicit OCIQueryData(OCICursor* cursor);
    // The describe step.
    void Initialise(OCICursor* cursor);

private:
    const OCIColumn* Cell(int row, int column) const;

    std::vector<std::unique_ptr<OCIColumn>> m_columns;
    OCICursor* m_cursor = nullptr;
    long m_rows = 0;
    long m_totalRows = 0;
    long m_fetchCount = 0;
    bool m_dropped = false;
    // Bind indicators stay valid for every execution of the statement.
    sb2 m_bindIndicators[2] = {0, 0};
};

} // namespace VkOracle
