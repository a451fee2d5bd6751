#include "framework/OCISession.h"

#include "generic/VkDateFormat.h"
#include "platform/VkNumberText.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace VkOracle {

namespace {

// How much of a LONG's text a cell holds (returned lengths are 16-bit).
constexpr int kLongTextBytes = 32760;

// Truncates toward zero, clamped to the range of long (a plain conversion
// of an out-of-range double is undefined).
long TruncatedLong(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<long>::max()))
        return std::numeric_limits<long>::max();
    if (value <= static_cast<double>(std::numeric_limits<long>::min()))
        return std::numeric_limits<long>::min();
    return static_cast<long>(value);
}

bool StartsWithYes(const std::string& text) { return !text.empty() && (text[0] == 'Y' || text[0] == 'y'); }

// The automation date of a 7-byte date cell; false for bytes that name no
// date and time.
bool CellDate(const ub1* cell, double& date)
{
    VkDateFormat::Parts parts;
    parts.year = (cell[0] - 100) * 100 + (cell[1] - 100);
    parts.month = cell[2];
    parts.day = cell[3];
    parts.hour = cell[4] - 1;
    parts.minute = cell[5] - 1;
    parts.second = cell[6] - 1;
    return VkDateFormat::ToAutomationDate(parts, date);
}

} // namespace

OCISession::OCIColumn::OCIColumn(const OCIColumn& other)
    : m_name(other.m_name), m_nullable(other.m_nullable), m_internalType(other.m_internalType),
      m_describedSize(other.m_describedSize), m_displaySize(other.m_displaySize),
      m_precision(other.m_precision), m_scale(other.m_scale), m_externalSize(other.m_externalSize),
      m_externalType(other.m_externalType)
{
    if (other.m_bufferedRows > 0 && SetBuffers(other.m_bufferedRows)) {
        std::memcpy(m_data, other.m_data, static_cast<std::size_t>(m_bufferedRows) * CellSize());
        std::memcpy(m_indicators, other.m_indicators, sizeof(sb2) * m_bufferedRows);
        std::memcpy(m_lengths, other.m_lengths, sizeof(ub2) * m_bufferedRows);
        std::memcpy(m_retCodes, other.m_retCodes, sizeof(ub2) * m_bufferedRows);
    }
}

OCISession::OCIColumn& OCISession::OCIColumn::operator=(const OCIColumn& other)
{
    if (this != &other) {
        OCIColumn copy(other);
        FreeBuffers();
        m_name = std::move(copy.m_name);
        m_nullable = copy.m_nullable;
        m_internalType = copy.m_internalType;
        m_describedSize = copy.m_describedSize;
        m_displaySize = copy.m_displaySize;
        m_precision = copy.m_precision;
        m_scale = copy.m_scale;
        m_externalSize = copy.m_externalSize;
        m_externalType = copy.m_externalType;
        // Take over the copy's buffers.
        std::swap(m_data, copy.m_data);
        std::swap(m_indicators, copy.m_indicators);
        std::swap(m_lengths, copy.m_lengths);
        std::swap(m_retCodes, copy.m_retCodes);
        std::swap(m_bufferedRows, copy.m_bufferedRows);
    }
    return *this;
}

OCISession::OCIColumn::~OCIColumn() { FreeBuffers(); }

void OCISession::OCIColumn::Describe(const std::string& name, int internalType, std::int32_t describedSize,
                                     std::int32_t displaySize, std::int16_t precision, std::int16_t scale,
                                     bool nullable)
{
    FreeBuffers();
    m_name = name;
    m_internalType = internalType;
    m_describedSize = describedSize < 0 ? 0 : describedSize;
    m_displaySize = displaySize;
    m_precision = precision;
    m_scale = scale;
    m_nullable = nullable;
    m_externalSize = -1;
    m_externalType = -1;
}

int OCISession::OCIColumn::ExternalType() const
{
    switch (m_internalType) {
    case SQLT_CHR:
    case SQLT_AFC:
        return SQLT_STR;
    case SQLT_NUM:
        return SQLT_FLT;
    case SQLT_LNG:
        // LONG is Oracle's long text (view texts, trigger bodies, check
        // conditions): fetched as an integer it could only fail.
        return SQLT_STR;
    case SQLT_DAT:
        return SQLT_DAT;
    default:
        return SQLT_LBI;
    }
}

int OCISession::OCIColumn::CellSize() const
{
    switch (ExternalType()) {
    case SQLT_STR:
        // A LONG describes no size; its text is read up to a fixed length.
        return m_internalType == SQLT_LNG ? kLongTextBytes + 1 : m_describedSize + 1;
    case SQLT_FLT:
        return 8;
    case SQLT_INT:
        return 4;
    case SQLT_DAT:
        return 7;
    default:
        return m_describedSize;
    }
}

int OCISession::OCIColumn::TypeToExternalOracleType()
{
    if (m_externalType < 0)
        m_externalType = ExternalType();
    return m_externalType;
}

int OCISession::OCIColumn::ExternalDataSize()
{
    if (m_externalSize < 0)
        m_externalSize = CellSize();
    return m_externalSize;
}

void OCISession::OCIColumn::FreeBuffers()
{
    delete[] m_data;
    delete[] m_indicators;
    delete[] m_lengths;
    delete[] m_retCodes;
    m_data = nullptr;
    m_indicators = nullptr;
    m_lengths = nullptr;
    m_retCodes = nullptr;
    m_bufferedRows = 0;
}

bool OCISession::OCIColumn::SetBuffers(long rows)
{
    FreeBuffers();
    if (rows <= 0)
        return true;
    const auto count = static_cast<std::size_t>(rows);
    // Zeroed, so that a cell the server never filled reads as empty.
    m_data = new (std::nothrow) ub1[count * static_cast<std::size_t>(CellSize()) + 1]();
    m_indicators = new (std::nothrow) sb2[count]();
    m_lengths = new (std::nothrow) ub2[count]();
    m_retCodes = new (std::nothrow) ub2[count]();
    if (!m_data || !m_indicators || !m_lengths || !m_retCodes) {
        FreeBuffers();
        return false;
    }
    m_bufferedRows = rows;
    return true;
}

const ub1* OCISession::OCIColumn::GetItemPtr(long row, int& length) const
{
    length = 0;
    if (!m_data || row < 0 || row >= m_bufferedRows)
        return nullptr;
    const int size = CellSize();
    // A returned length never reaches past the cell.
    length = m_lengths[row] > size ? size : m_lengths[row];
    return m_data + static_cast<std::size_t>(row) * size;
}

double OCISession::OCIColumn::FloatValue(const ub1* cell, int length) const
{
    if (length == 4) {
        float value;
        std::memcpy(&value, cell, sizeof value);
        return value;
    }
    if (length == 8) {
        double value;
        std::memcpy(&value, cell, sizeof value);
        return value;
    }
    return 0.0;
}

std::string OCISession::OCIColumn::Text(const ub1* cell, int length) const
{
    // The text ends at its returned length or at its terminator.
    const auto* begin = reinterpret_cast<const char*>(cell);
    const void* zero = std::memchr(begin, 0, static_cast<std::size_t>(length));
    return std::string(begin, zero ? static_cast<const char*>(zero) : begin + length);
}

long OCISession::OCIColumn::GetLong(long row) const
{
    int length = 0;
    const ub1* cell = GetItemPtr(row, length);
    if (!cell)
        return 0;
    switch (ExternalType()) {
    case SQLT_INT: {
        std::int32_t value;
        std::memcpy(&value, cell, sizeof value);
        return value;
    }
    case SQLT_FLT:
        return TruncatedLong(FloatValue(cell, length));
    case SQLT_STR: {
        if (length < 1)
            return 0;
        const std::string text = Text(cell, length);
        if (StartsWithYes(text))
            return 1;
        return std::strtol(text.c_str(), nullptr, 10);
    }
    default:
        return 0;
    }
}

double OCISession::OCIColumn::GetFloat(long row) const
{
    int length = 0;
    const ub1* cell = GetItemPtr(row, length);
    if (!cell)
        return 0.0;
    switch (ExternalType()) {
    case SQLT_INT: {
        std::int32_t value;
        std::memcpy(&value, cell, sizeof value);
        return value;
    }
    case SQLT_FLT:
        return FloatValue(cell, length);
    case SQLT_STR: {
        if (length < 1)
            return 0.0;
        const std::string text = Text(cell, length);
        if (StartsWithYes(text))
            return 1.0;
        return VkStrtod(text.c_str());
    }
    default:
        return 0.0;
    }
}

std::string OCISession::OCIColumn::GetString(long row) const
{
    int length = 0;
    const ub1* cell = GetItemPtr(row, length);
    if (!cell)
        return {};
    switch (ExternalType()) {
    case SQLT_INT: {
        std::int32_t value;
        std::memcpy(&value, cell, sizeof value);
        return std::to_string(value);
    }
    case SQLT_FLT: {
        return VkFormatDouble(FloatValue(cell, length), std::chars_format::general, 6);
    }
    case SQLT_STR:
        return length == 0 ? std::string() : Text(cell, length);
    case SQLT_DAT: {
        // A NULL date (length 0) has no text, nor have bytes naming no date.
        double date = 0.0;
        if (length == 0 || !CellDate(cell, date))
            return {};
        return VkDateFormat::FormatDateToShortDateFormat(date, true) + " "
            + VkDateFormat::FormatDateToTimeFormat(date, true);
    }
    default:
        return {};
    }
}

double OCISession::OCIColumn::GetDate(long row) const
{
    int length = 0;
    const ub1* cell = GetItemPtr(row, length);
    if (!cell || ExternalType() != SQLT_DAT || length == 0)
        return 0.0;
    double date = 0.0;
    CellDate(cell, date);
    return date;
}

} // namespace VkOracle
