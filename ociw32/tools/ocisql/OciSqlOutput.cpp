#include "ociw32/tools/ocisql/OciSqlOutput.h"

namespace VkOracle {

OciSqlOutput& OciSqlOutput::operator<<(std::string_view text)
{
    if (m_file)
        std::fwrite(text.data(), 1, text.size(), m_file);
    else
        m_text.append(text);
    return *this;
}

void OciSqlOutput::Flush()
{
    if (m_file)
        std::fflush(m_file);
}

} // namespace VkOracle
