#include "ociw32/tools/ocisql/OciSqlRunner.h"

#include "platform/VkAscii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace VkOracle {

namespace {

// ORA-24344: success with compilation error.
constexpr sword kCompiledWithErrors = 24344;


text* T(const std::string& s)
{
    return reinterpret_cast<text*>(const_cast<char*>(s.c_str()));
}

std::vector<std::string> Words(const std::string& text, size_t count)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && words.size() < count) {
        while (i < text.size() && VkIsAsciiSpace(text[i]))
            ++i;
        size_t j = i;
        while (j < text.size() && (VkIsAsciiAlnum(text[j]) || text[j] == '_'))
            ++j;
        if (j == i)
            break;
        words.push_back(VkAsciiUpper(text.substr(i, j - i)));
        i = j;
    }
    return words;
}

std::string Capitalised(const std::string& word)
{
    std::string s;
    for (char c : word)
        s += VkAsciiToLower(c);
    if (!s.empty())
        s[0] = VkAsciiToUpper(s[0]);
    return s;
}

// Tabs, line breaks and backslashes would break the tab-separated layout.
std::string TsvEscape(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string DateText(const unsigned char* b)
{
    int century = b[0] - 100, year = b[1] - 100;
    long y = century * 100L + year;
    if (b[0] < 100) // BC
        y = -((100 - b[0]) * 100L + (100 - b[1]));
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04ld-%02d-%02d %02d:%02d:%02d", y, b[2], b[3], b[4] - 1,
                  b[5] - 1, b[6] - 1);
    return buf;
}

constexpr int kLongBytes = 65536;

} // namespace

struct OciSqlRunner::Column {
    std::string name;
    int type = 1;
    int size = 0;
    int precision = 0;
    int scale = 0;
    int nullable = 1;
    // fetch buffers
    int ftype = SQLT_STR;
    int cell = 0;
    std::vector<unsigned char> data;
    std::vector<sb2> indicators;
    std::vector<ub2> lengths;
    std::vector<ub2> codes;

    bool Numeric() const { return type == 2; }
};

OciSqlRunner::OciSqlRunner(const OciFunctions& functions, Mode mode, OciSqlOutput& out, OciSqlOutput& err)
    : m_f(functions), m_mode(mode), m_out(out), m_err(err)
{
}

OciSqlRunner::~OciSqlRunner()
{
    if (m_auxOpen)
        m_f.oclose(&m_aux);
    if (m_cursorOpen)
        m_f.oclose(&m_cda);
    if (m_connected)
        m_f.ologof(&m_lda);
}

bool OciSqlRunner::Fail(cda_def* area)
{
    char buf[2048] = {};
    m_f.oerhms(area, static_cast<sb2>(area->rc), reinterpret_cast<text*>(buf), sizeof buf);
    m_lastError = area->rc;
    std::string message = buf;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    m_err << message << '\n';
    m_err.Flush();
    return false;
}

bool OciSqlRunner::Connect(const std::string& connect)
{
    m_f.opinit(OCI_EV_DEF);
    if (m_f.olog(&m_lda, m_hda, T(connect), -1, nullptr, -1, nullptr, -1, OCI_LM_DEF) != 0)
        return Fail(&m_lda);
    m_connected = true;
    if (m_f.oopen(&m_cda, &m_lda, nullptr, -1, -1, nullptr, -1) != 0)
        return Fail(&m_cda);
    m_cursorOpen = true;
    return true;
}

bool OciSqlRunner::Finish()
{
    bool ok = true;
    if (m_auxOpen) {
        m_f.oclose(&m_aux);
        m_auxOpen = false;
    }
    if (m_cursorOpen) {
        m_f.oclose(&m_cda);
        m_cursorOpen = false;
    }
    if (m_connected) {
        if (m_f.ocom(&m_lda) != 0)
            ok = Fail(&m_lda);
        m_f.ologof(&m_lda);
        m_connected = false;
    }
    return ok;
}

bool OciSqlRunner::Run(const std::string& statement)
{
    m_clientError = false;
    if (!m_cursorOpen)
        return false;
    // DDL runs at parse.
    if (m_f.oparse(&m_cda, T(statement), -1, 0, 1) != 0)
        return m_cda.rc == kCompiledWithErrors ? WarnCompiledWithErrors(statement) : Fail(&m_cda);
    if (!BindVariables(statement))
        return false;

    std::vector<Column> columns;
    for (sword pos = 1;; ++pos) {
        Column c;
        sb4 size = 0, nameLength = 256, displaySize = 0;
        sb2 type = 0, precision = 0, scale = 0, nullable = 0;
        sb1 name[256];
        if (m_f.odescr(&m_cda, pos, &size, &type, name, &nameLength, &displaySize, &precision,
                       &scale, &nullable) != 0) {
            if (m_cda.rc != OCI_VAR_NOT_IN_LIST)
                return Fail(&m_cda);
            break;
        }
        c.name.assign(reinterpret_cast<char*>(name), static_cast<size_t>(nameLength));
        c.type = type;
        c.size = size;
        c.precision = precision;
        c.scale = scale;
        c.nullable = nullable;
        columns.push_back(std::move(c));
    }

    if (!columns.empty() && m_mode == Mode::Describe) {
        for (const Column& c : columns)
            m_out << c.name << '\t' << c.type << '\t' << c.size << '\t' << c.precision << '\t'
                  << c.scale << '\t' << c.nullable << '\n';
        return true;
    }
    if (!columns.empty())
        return Query(columns);

    const bool ok = m_f.oexec(&m_cda) == 0 || Fail(&m_cda);
    // The block's output comes first, as the block ran before it could be read,
    // set off from the feedback by a blank line.
    const bool feedback = ok && m_mode == Mode::Aligned && m_settings.feedback;
    if (m_settings.serverOutput && PrintServerOutput() > 0 && feedback)
        m_out << '\n';
    if (feedback) {
        m_out << Feedback(statement) << "\n\n";
        m_out.Flush();
    }
    return ok;
}

bool OciSqlRunner::WarnCompiledWithErrors(const std::string& statement)
{
    // A stored unit created with compilation errors is a warning, not a failure.
    if (m_mode == Mode::Aligned && m_settings.feedback) {
        std::string created = Feedback(statement);
        created.pop_back(); // "Procedure created"
        m_out << "\nWarning: " << created << " with compilation errors.\n\n";
        m_out.Flush();
    }
    return true;
}

bool OciSqlRunner::BindVariables(const std::string& statement)
{
    // Stored units and triggers keep their :names (":new") for later.
    const std::vector<std::string> first = Words(statement, 1);
    if (!m_variables || (!first.empty() && first[0] == "CREATE"))
        return true;
    for (const std::string& name : OciSqlVariables::Placeholders(statement)) {
        OciSqlVariables::Variable* v = m_variables->Find(name);
        if (!v) {
            m_err << "SP2-0552: Bind variable \"" << name << "\" not declared.\n";
            m_err.Flush();
            m_clientError = true;
            return false;
        }
        const std::string placeholder = ":" + name;
        if (m_f.obndrv(&m_cda, T(placeholder), -1, reinterpret_cast<ub1*>(v->buffer.data()),
                       static_cast<sword>(v->buffer.size()), SQLT_STR, -1, &v->indicator, nullptr, -1, -1) != 0)
            return Fail(&m_cda);
    }
    return true;
}

bool OciSqlRunner::OpenAux()
{
    if (m_auxOpen)
        return true;
    if (!m_connected || m_f.oopen(&m_aux, &m_lda, nullptr, -1, -1, nullptr, -1) != 0)
        return false;
    m_auxOpen = true;
    return true;
}

bool OciSqlRunner::Execute(const std::string& statement)
{
    if (!OpenAux())
        return false;
    if (m_f.oparse(&m_aux, T(statement), -1, 0, 1) != 0 || m_f.oexec(&m_aux) != 0)
        return Fail(&m_aux);
    return true;
}

bool OciSqlRunner::Fetch(const std::string& query, const std::vector<std::pair<std::string, std::string>>& binds,
                         Rows* rows)
{
    rows->clear();
    if (!OpenAux())
        return false;
    if (m_f.oparse(&m_aux, T(query), -1, 0, 1) != 0)
        return Fail(&m_aux);
    std::vector<std::vector<char>> values;
    values.reserve(binds.size());
    for (const auto& [name, value] : binds) {
        values.emplace_back(value.begin(), value.end());
        values.back().push_back('\0');
        if (m_f.obndrv(&m_aux, T(name), -1, reinterpret_cast<ub1*>(values.back().data()),
                       static_cast<sword>(values.back().size()), SQLT_STR, -1, nullptr, nullptr, -1, -1) != 0)
            return Fail(&m_aux);
    }
    constexpr int kCell = 4001;
    std::vector<std::vector<char>> cells;
    std::vector<sb2> indicators;
    for (sword pos = 1;; ++pos) {
        sb4 size = 0, nameLength = 64, displaySize = 0;
        sb2 type = 0, precision = 0, scale = 0, nullable = 0;
        sb1 name[64];
        if (m_f.odescr(&m_aux, pos, &size, &type, name, &nameLength, &displaySize, &precision, &scale,
                       &nullable) != 0) {
            if (m_aux.rc != OCI_VAR_NOT_IN_LIST)
                return Fail(&m_aux);
            break;
        }
        cells.emplace_back(kCell, '\0');
        indicators.push_back(0);
    }
    for (size_t i = 0; i < cells.size(); ++i)
        if (m_f.odefin(&m_aux, static_cast<sword>(i + 1), reinterpret_cast<ub1*>(cells[i].data()), kCell, SQLT_STR,
                       -1, &indicators[i], nullptr, -1, -1, nullptr, nullptr) != 0)
            return Fail(&m_aux);
    if (m_f.oexec(&m_aux) != 0)
        return Fail(&m_aux);
    while (true) {
        if (m_f.ofen(&m_aux, 1) != 0)
            return m_aux.rc == OCI_NO_DATA_FOUND || Fail(&m_aux);
        std::vector<std::string> row;
        for (size_t i = 0; i < cells.size(); ++i)
            row.emplace_back(indicators[i] == -1 ? "" : cells[i].data());
        rows->push_back(std::move(row));
    }
}

int OciSqlRunner::PrintServerOutput()
{
    if (!OpenAux())
        return 0;
    static const std::string block = "BEGIN DBMS_OUTPUT.GET_LINE(:l, :s); END;";
    std::vector<char> line(32768, '\0');
    sb2 lineIndicator = 0;
    sword status = 1;
    if (m_f.oparse(&m_aux, T(block), -1, 0, 1) != 0
        || m_f.obndrv(&m_aux, T(":l"), -1, reinterpret_cast<ub1*>(line.data()), static_cast<sword>(line.size()),
                      SQLT_STR, -1, &lineIndicator, nullptr, -1, -1) != 0
        || m_f.obndrv(&m_aux, T(":s"), -1, reinterpret_cast<ub1*>(&status), sizeof status, SQLT_INT, -1, nullptr,
                      nullptr, -1, -1) != 0)
        return 0; // a server without DBMS_OUTPUT has nothing to print
    // A status the server never set ends the loop rather than repeating a line.
    int n = 0;
    for (; n < kMaxOutputLines; ++n) {
        status = 1;
        line[0] = '\0';
        if (m_f.oexec(&m_aux) != 0 || status != 0)
            break;
        m_out << (lineIndicator == -1 ? "" : line.data()) << '\n';
    }
    m_out.Flush();
    return n;
}

bool OciSqlRunner::Query(const std::vector<Column>& described)
{
    std::vector<Column> columns = described;
    for (size_t i = 0; i < columns.size(); ++i) {
        Column& c = columns[i];
        if (c.type == 12 && m_mode == Mode::Tsv) {
            c.ftype = SQLT_DAT;
            c.cell = 7;
        } else if (c.type == 2) {
            c.cell = 64;
        } else if (c.type == 12) {
            c.cell = 32;
        } else if (c.type == 8 || c.type == 24 || c.size <= 0 || c.size > kLongBytes) {
            c.cell = kLongBytes;
        } else {
            c.cell = std::max(c.size * 2, 40) + 1; // RAW and ROWID print wider than they store
            if (c.type == 1 || c.type == 96)
                c.cell = c.size + 1;
        }
        c.data.assign(static_cast<size_t>(c.cell) * kArraySize, 0);
        c.indicators.assign(kArraySize, 0);
        c.lengths.assign(kArraySize, 0);
        c.codes.assign(kArraySize, 0);
        if (m_f.odefin(&m_cda, static_cast<sword>(i + 1), c.data.data(), c.cell, c.ftype, -1,
                       c.indicators.data(), nullptr, -1, -1, c.lengths.data(), c.codes.data()) != 0)
            return Fail(&m_cda);
    }
    if (m_f.oexec(&m_cda) != 0)
        return Fail(&m_cda);

    if (m_mode == Mode::Tsv) {
        for (size_t i = 0; i < columns.size(); ++i)
            m_out << (i ? "\t" : "") << TsvEscape(columns[i].name);
        m_out << '\n';
    }
    std::vector<std::vector<std::string>> page;
    uint64_t total = 0;
    bool ok = true;
    ub4 before = 0;
    while (true) {
        const sword rv = m_f.ofen(&m_cda, kArraySize);
        if (rv != 0 && m_cda.rc != OCI_NO_DATA_FOUND) {
            ok = Fail(&m_cda);
            break;
        }
        const ub4 got = m_cda.rpc - before;
        before = m_cda.rpc;
        for (ub4 r = 0; r < got; ++r) {
            std::vector<std::string> row;
            for (const Column& c : columns) {
                const unsigned char* cell = c.data.data() + static_cast<size_t>(r) * static_cast<size_t>(c.cell);
                if (c.indicators[r] == -1)
                    row.emplace_back();
                else if (c.ftype == SQLT_DAT)
                    row.push_back(DateText(cell));
                else
                    row.emplace_back(reinterpret_cast<const char*>(cell));
            }
            ++total;
            if (m_mode == Mode::Tsv) {
                for (size_t i = 0; i < row.size(); ++i)
                    m_out << (i ? "\t" : "") << TsvEscape(row[i]);
                m_out << '\n';
            } else {
                page.push_back(std::move(row));
                if (m_settings.pageRows != 0 && page.size() >= m_settings.pageRows) {
                    PrintPage(columns, page);
                    page.clear();
                }
            }
        }
        if (rv != 0)
            break;
    }
    if (m_mode == Mode::Aligned) {
        if (!page.empty())
            PrintPage(columns, page);
        if (ok && m_settings.feedback) {
            if (total == 0)
                m_out << "no rows selected\n\n";
            else if (total >= m_settings.feedbackRows)
                m_out << total << (total == 1 ? " row selected.\n\n" : " rows selected.\n\n");
        }
        if (m_settings.serverOutput)
            PrintServerOutput();
    }
    m_out.Flush();
    return ok;
}

void OciSqlRunner::PrintPage(const std::vector<Column>& columns,
                             const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths;
    for (const Column& c : columns)
        widths.push_back(std::max<size_t>(c.name.size(), 1));
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    auto cell = [&](size_t i, const std::string& s, bool right) {
        const std::string pad(widths[i] - std::min(widths[i], s.size()), ' ');
        std::string text = right ? pad + s : s + pad;
        if (i + 1 == columns.size()) {
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
        }
        return text;
    };
    // PAGESIZE 0 means one endless page without headings.
    if (m_settings.pageRows != 0)
        m_out << '\n';
    if (m_settings.heading && m_settings.pageRows != 0) {
        for (size_t i = 0; i < columns.size(); ++i)
            m_out << (i ? " " : "") << cell(i, columns[i].name, columns[i].Numeric());
        m_out << '\n';
        for (size_t i = 0; i < columns.size(); ++i)
            m_out << (i ? " " : "") << std::string(widths[i], '-');
        m_out << '\n';
    }
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i)
            m_out << (i ? " " : "") << cell(i, row[i], columns[i].Numeric());
        m_out << '\n';
    }
    if (m_settings.pageRows != 0)
        m_out << '\n';
}

std::string OciSqlRunner::Feedback(const std::string& statement) const
{
    const std::vector<std::string> w = Words(statement, 4);
    const std::string first = w.empty() ? std::string() : w[0];
    const unsigned long rows = m_cda.rpc;
    const std::string count = std::to_string(rows) + (rows == 1 ? " row " : " rows ");
    if (first == "INSERT")
        return count + "created.";
    if (first == "UPDATE")
        return count + "updated.";
    if (first == "DELETE")
        return count + "deleted.";
    if (first == "COMMIT")
        return "Commit complete.";
    if (first == "ROLLBACK")
        return "Rollback complete.";
    if (first == "GRANT")
        return "Grant succeeded.";
    if (first == "REVOKE")
        return "Revoke succeeded.";
    if (first == "BEGIN" || first == "DECLARE")
        return "PL/SQL procedure successfully completed.";
    if (first == "TRUNCATE")
        return "Table truncated.";
    if ((first == "CREATE" || first == "DROP" || first == "ALTER") && w.size() > 1) {
        size_t k = 1;
        if (w.size() > 3 && w[1] == "OR" && w[2] == "REPLACE")
            k = 3;
        while (k + 1 < w.size() && (w[k] == "PUBLIC" || w[k] == "UNIQUE" || w[k] == "BITMAP"))
            ++k;
        const std::string what = Capitalised(w[k]);
        const char* done = first == "CREATE" ? " created." : first == "DROP" ? " dropped." : " altered.";
        return what + done;
    }
    return "Statement processed.";
}

} // namespace VkOracle
