#pragma once
// DBMS_OUTPUT's buffer of one session: lines put by PL/SQL, read back by
// GET_LINE(S) or by a client that shows them after each call. Disabled
// until ENABLE; a full buffer fails the PUT as Oracle's ORU-10027 does.

#include <cstddef>
#include <deque>
#include <string>

namespace VkOracle {

class PlsqlOutputBuffer {
public:
    static constexpr size_t kDefaultLimit = 20000;
    static constexpr size_t kMinLimit = 2000;
    static constexpr size_t kMaxLimit = 1000000;

    // `limit` 0 means no limit (ENABLE(NULL)); others are brought within
    // 2000..1000000. Several ENABLEs keep the largest limit.
    void Enable(size_t limit);
    // Stops collecting and drops what was collected.
    void Disable();
    bool Enabled() const { return m_enabled; }

    // 0, or the ORU code (10027 buffer full, 10028 line too long) with
    // *message set to Oracle's text. Nothing happens while disabled.
    int Put(const std::string& text, size_t maxLineLength, std::string* message);
    int NewLine(size_t maxLineLength, std::string* message);

    // The next complete line; false when none is left. Reading starts a new
    // round: lines not read before the next PUT are discarded, as in Oracle.
    bool GetLine(std::string* line);
    size_t LineCount() const { return m_lines.size(); }

private:
    int Overflow(std::string* message) const;

    bool m_enabled = false;
    size_t m_limit = kDefaultLimit; // 0 = none
    size_t m_bytes = 0;
    std::deque<std::string> m_lines;
    std::string m_partial;
    bool m_reading = false;
};

} // namespace VkOracle
