#include "ociw32/server/PlsqlOutputBuffer.h"

#include <algorithm>

namespace VkOracle {

void PlsqlOutputBuffer::Enable(size_t limit)
{
    if (limit != 0)
        limit = std::clamp(limit, kMinLimit, kMaxLimit);
    if (!m_enabled)
        m_limit = limit;
    else if (m_limit != 0)
        m_limit = limit == 0 ? 0 : std::max(m_limit, limit);
    m_enabled = true;
}

void PlsqlOutputBuffer::Disable()
{
    m_enabled = false;
    m_lines.clear();
    m_partial.clear();
    m_bytes = 0;
    m_reading = false;
}

int PlsqlOutputBuffer::Overflow(std::string* message) const
{
    *message = "ORU-10027: buffer overflow, limit of " + std::to_string(m_limit) + " bytes";
    return 10027;
}

int PlsqlOutputBuffer::Put(const std::string& text, size_t maxLineLength, std::string* message)
{
    if (!m_enabled)
        return 0;
    if (m_reading) {
        // A put after reading discards the lines nobody read.
        m_lines.clear();
        m_bytes = m_partial.size();
        m_reading = false;
    }
    if (m_partial.size() + text.size() > maxLineLength) {
        *message = "ORU-10028: line length overflow, limit of " + std::to_string(maxLineLength) + " bytes per line";
        return 10028;
    }
    if (m_limit != 0 && m_bytes + text.size() > m_limit)
        return Overflow(message);
    m_partial += text;
    m_bytes += text.size();
    return 0;
}

int PlsqlOutputBuffer::NewLine(size_t maxLineLength, std::string* message)
{
    if (!m_enabled)
        return 0;
    if (const int rc = Put(std::string(), maxLineLength, message))
        return rc;
    m_lines.push_back(std::move(m_partial));
    m_partial.clear();
    return 0;
}

bool PlsqlOutputBuffer::GetLine(std::string* line)
{
    m_reading = true;
    if (m_lines.empty()) {
        m_bytes = m_partial.size();
        return false;
    }
    *line = std::move(m_lines.front());
    m_lines.pop_front();
    m_bytes -= std::min(m_bytes, line->size());
    return true;
}

} // namespace VkOracle
