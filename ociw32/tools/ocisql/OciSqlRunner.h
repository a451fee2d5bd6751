#pragma once
// Runs ocisql's statements through the call interface and prints what they
// give: aligned columns for people, tab-separated rows (--tsv) or the select
// list's description (--describe). Errors go to the error stream as Oracle's
// "ORA-nnnnn: text" lines.

#include "ociw32/tools/ocisql/OciLibrary.h"

#include <ostream>
#include <string>
#include <vector>

namespace VkOracle {

class OciSqlRunner {
public:
    enum class Mode { Aligned, Tsv, Describe };

    OciSqlRunner(const OciFunctions& functions, Mode mode, std::ostream& out, std::ostream& err);
    ~OciSqlRunner();
    OciSqlRunner(const OciSqlRunner&) = delete;
    OciSqlRunner& operator=(const OciSqlRunner&) = delete;

    // Logs on with "user/password@alias"; false (error printed) on failure.
    bool Connect(const std::string& connect);
    // Runs one statement; false (error printed) when it failed.
    bool Run(const std::string& statement);
    // Commits and logs off.
    bool Finish();

    // Rows fetched per call.
    static constexpr int kArraySize = 100;
    // Rows per page of aligned output (headings repeat on each page).
    static constexpr size_t kPageRows = 1000;

private:
    struct Column;
    bool Fail(cda_def* area);
    bool Query(const std::vector<Column>& columnsIn);
    void PrintPage(const std::vector<Column>& columns, const std::vector<std::vector<std::string>>& rows);
    std::string Feedback(const std::string& statement) const;

    const OciFunctions& m_f;
    Mode m_mode;
    std::ostream& m_out;
    std::ostream& m_err;
    Lda_Def m_lda{};
    Cda_Def m_cda{};
    ub1 m_hda[HDA_SIZE] = {};
    bool m_connected = false;
    bool m_cursorOpen = false;
};

} // namespace VkOracle
