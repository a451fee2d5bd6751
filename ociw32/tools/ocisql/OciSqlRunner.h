#pragma once
// Runs ocisql's statements through the call interface and prints what they
// give: aligned columns for people, tab-separated rows (--tsv) or the select
// list's description (--describe). Errors go to the error stream as Oracle's
// "ORA-nnnnn: text" lines.

#include "ociw32/tools/ocisql/OciLibrary.h"
#include "ociw32/tools/ocisql/OciSqlOutput.h"
#include "ociw32/tools/ocisql/OciSqlVariables.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VkOracle {

class OciSqlRunner {
public:
    enum class Mode { Aligned, Tsv, Describe };

    // What SET changes in the aligned output.
    struct Settings {
        bool feedback = true;
        uint64_t feedbackRows = 1; // "n rows selected." from this many rows on
        bool heading = true;
        size_t pageRows = 1000;    // rows per page of aligned output (headings repeat)
        bool serverOutput = false; // print DBMS_OUTPUT after each call
    };
    using Rows = std::vector<std::vector<std::string>>;

    OciSqlRunner(const OciFunctions& functions, Mode mode, OciSqlOutput& out, OciSqlOutput& err);
    ~OciSqlRunner();
    OciSqlRunner(const OciSqlRunner&) = delete;
    OciSqlRunner& operator=(const OciSqlRunner&) = delete;

    // Logs on with "user/password@alias"; false (error printed) on failure.
    bool Connect(const std::string& connect);
    // Runs one statement; false (error printed) when it failed.
    bool Run(const std::string& statement);
    // Commits and logs off.
    bool Finish();

    Settings& Options() { return m_settings; }
    // Variables that statements bind by :name (null: none); not owned.
    void SetVariables(OciSqlVariables* variables) { m_variables = variables; }
    // The ORA code of the last failure (0 when none failed yet).
    int LastError() const { return m_lastError; }
    // Whether the last Run failed in the client (an undeclared bind), not on the server.
    bool ClientError() const { return m_clientError; }
    // Runs a statement of the client's own (no feedback); false (error printed) on failure.
    bool Execute(const std::string& statement);
    // Runs a query of the client's own with text binds by name; false (error printed) on failure.
    bool Fetch(const std::string& query, const std::vector<std::pair<std::string, std::string>>& binds, Rows* rows);
    // Prints the session's pending DBMS_OUTPUT lines; returns how many.
    int PrintServerOutput();

    // Rows fetched per call.
    static constexpr int kArraySize = 100;
    // Rows per page of aligned output (headings repeat on each page).
    static constexpr size_t kPageRows = 1000;
    // The most DBMS_OUTPUT lines read after one call.
    static constexpr int kMaxOutputLines = 1000000;

private:
    struct Column;
    bool Fail(cda_def* area);
    bool BindVariables(const std::string& statement);
    // Says that a stored unit was created with compilation errors; true.
    bool WarnCompiledWithErrors(const std::string& statement);
    bool OpenAux();
    bool Query(const std::vector<Column>& columnsIn);
    void PrintPage(const std::vector<Column>& columns, const std::vector<std::vector<std::string>>& rows);
    std::string Feedback(const std::string& statement) const;

    const OciFunctions& m_f;
    Mode m_mode;
    OciSqlOutput& m_out;
    OciSqlOutput& m_err;
    Lda_Def m_lda{};
    Cda_Def m_cda{};
    ub1 m_hda[HDA_SIZE] = {};
    bool m_connected = false;
    bool m_cursorOpen = false;
    Cda_Def m_aux{}; // the client's own queries and DBMS_OUTPUT reads
    bool m_auxOpen = false;
    Settings m_settings;
    OciSqlVariables* m_variables = nullptr;
    int m_lastError = 0;
    bool m_clientError = false;
};

} // namespace VkOracle
