#pragma once
// Splits ocisql input into statements: SQL ends at a ';' outside quotes and
// comments; a PL/SQL block (BEGIN, DECLARE, CREATE [OR REPLACE] PROCEDURE,
// FUNCTION, PACKAGE, TRIGGER or TYPE) runs to a line holding only '/'. A
// '/' line also ends an unterminated SQL statement. A line holding only '.'
// ends the entry without running it; a '/' line that follows runs it. EXIT or
// QUIT on a line of its own ends the input.

#include <string>
#include <vector>

namespace VkOracle {

class OciSqlScript {
public:
    // Feeds one line (without its line break). Completed statements are
    // appended to `out`. False once EXIT or QUIT was read.
    bool AddLine(const std::string& line, std::vector<std::string>* out);
    // The end of the input: an unfinished statement is still run.
    void Finish(std::vector<std::string>* out);
    // Whether the next line starts a new statement (no statement is being entered).
    bool AtStart() const;
    // Lines of the statement being entered so far.
    int LineCount() const { return m_lines; }

    // The text of a -c argument as one statement: a trailing ';' is dropped
    // from SQL and kept on blocks.
    static std::string SingleStatement(const std::string& text);
    // Whether the text starts a PL/SQL block or stored unit.
    static bool IsBlock(const std::string& text);

private:
    void Emit(std::vector<std::string>* out);

    std::string m_buffer;
    std::string m_held; // ended by '.', run by the next '/'
    int m_lines = 0;
    bool m_inQuote = false;
    bool m_inComment = false;
};

} // namespace VkOracle
