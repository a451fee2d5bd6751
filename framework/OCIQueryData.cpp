#include "framework/OCISession.h"

#include "framework/OCIErrorText.h"
#include "framework/VkOCIW32Lib.h"

#include <algorithm>
#include <memory>
#include <new>

namespace VkOracle {

namespace {

// Column names are described into a buffer of this many characters.
constexpr int s_nameLength = 20;

} // namespace

OCISession::OCIQueryData::OCIQueryData(OCICursor* cursor) : m_cursor(cursor) { Initialise(cursor); }

OCISession::OCIQueryData::OCIQueryData(const OCIQueryData& other)
    : m_rows(other.m_rows), m_totalRows(other.m_totalRows), m_fetchCount(other.m_fetchCount),
      m_dropped(other.m_dropped)
{
    m_columns.reserve(other.m_columns.size());
    for (const auto& column : other.m_columns)
        m_columns.push_back(std::make_unique<OCIColumn>(*column));
}

OCISession::OCIQueryData::~OCIQueryData() = default;

void OCISession::OCIQueryData::Initialise(OCICursor* cursor)
{
    const auto& lib = OCIW32();
    if (!cursor || !lib.odescr)
        return;
    Cda_Def& cda = *cursor;
    // A statement that is not a query has no select list: the first
    // position already fails.
    for (sword position = 1;; ++position) {
        sb4 describedSize = 0, nameLength = s_nameLength, displaySize = 0;
        sb2 internalType = 0, precision = 0, scale = 0, nullable = 0;
        sb1 name[s_nameLength + 1] = {};
        if (lib.odescr(&cda, position, &describedSize, &internalType, name, &nameLength, &displaySize,
                       &precision, &scale, &nullable)
            != 0)
            break;
        nameLength = std::clamp<sb4>(nameLength, 0, s_nameLength);
        auto column = std::make_unique<OCIColumn>();
        column->Describe(OCITrimmed(std::string(reinterpret_cast<const char*>(name), nameLength)), internalType,
                         describedSize, displaySize, precision, scale, nullable != 0);
        m_columns.push_back(std::move(column));
    }
}

bool OCISession::OCIQueryData::Execute(const char* name1, double* value1, const char* name2, double* value2)
{
    const auto& lib = OCIW32();
    if (!m_cursor || !lib.oexec || !lib.ocom)
        return false;
    Cda_Def& cda = *m_cursor;
    const char* names[2] = {name1, name2};
    double* values[2] = {value1, value2};
    for (int i = 0; i < 2; ++i) {
        if (!names[i] || !values[i])
            continue;
        if (!lib.obndrv)
            return false;
        m_bindIndicators[i] = 0;
        if (lib.obndrv(&cda, reinterpret_cast<text*>(const_cast<char*>(names[i])), -1,
                       reinterpret_cast<ub1*>(values[i]), sizeof(double), SQLT_FLT, -1, &m_bindIndicators[i],
                       nullptr, -1, -1)
            != 0)
            return false;
    }
    if (lib.oexec(&cda) != 0)
        return false;
    OCISession* session = m_cursor->Session();
    return session && lib.ocom(&session->m_lda) == 0;
}

long OCISession::OCIQueryData::Fetch(long rows)
{
    const auto& lib = OCIW32();
    if (!m_cursor || m_dropped || rows < 1 || !lib.oexec || !lib.ofen)
        return 0;
    Cda_Def& cda = *m_cursor;
    if (m_fetchCount < 1) {
        if (!lib.odefin && !m_columns.empty())
            return 0;
        if (lib.oexec(&cda) != 0)
            return 0;
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            OCIColumn& column = *m_columns[i];
            // Without buffers the server would write to nowhere.
            if (!column.SetBuffers(rows))
                return 0;
            if (lib.odefin(&cda, static_cast<sword>(i + 1), column.DataBuffer(), column.ExternalDataSize(),
                           column.TypeToExternalOracleType(), column.Scale(), column.IndicatorBuffer(), nullptr,
                           -1, -1, column.LengthBuffer(), column.RetCodeBuffer())
                != 0)
                return 0;
        }
    }
    ++m_fetchCount;
    if (m_columns.empty()) {
        m_rows = 0;
        return 0;
    }
    rows = std::min(rows, m_columns.front()->BufferedRows());
    if (lib.ofen(&cda, static_cast<sword>(rows)) != 0 && cda.rc != OCI_NO_DATA_FOUND) {
        m_rows = 0;
        return 0;
    }
    m_rows = static_cast<long>(cda.rpc) - m_totalRows;
    if (m_rows < 0)
        m_rows = 0;
    m_totalRows += m_rows;
    return m_rows;
}

void OCISession::OCIQueryData::Drop()
{
    for (const auto& column : m_columns)
        column->SetBuffers(0);
    m_rows = 0;
    m_dropped = true;
}

OCISession::OCIQueryData* OCISession::OCIQueryData::GetCopy() const
{
    try {
        return new OCIQueryData(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

const OCISession::OCIColumn& OCISession::OCIQueryData::Column(int index) const
{
    static const OCIColumn s_none;
    if (index < 0 || index >= Columns())
        return s_none;
    return *m_columns[static_cast<std::size_t>(index)];
}

int OCISession::OCIQueryData::ColumnIndexFromName(const std::string& name) const
{
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (*m_columns[i] == name)
            return static_cast<int>(i);
    return -1;
}

const OCISession::OCIColumn* OCISession::OCIQueryData::Cell(int row, int column) const
{
    // Only the rows of the last fetch are cells.
    if (column < 0 || column >= Columns() || row < 0 || row >= m_rows)
        return nullptr;
    return m_columns[static_cast<std::size_t>(column)].get();
}

std::string OCISession::OCIQueryData::GetString(int row, int column) const
{
    const OCIColumn* c = Cell(row, column);
    return c ? c->GetString(row) : std::string();
}

long OCISession::OCIQueryData::GetLong(int row, int column) const
{
    const OCIColumn* c = Cell(row, column);
    return c ? c->GetLong(row) : 0;
}

double OCISession::OCIQueryData::GetFloat(int row, int column) const
{
    const OCIColumn* c = Cell(row, column);
    return c ? c->GetFloat(row) : 0.0;
}

bool OCISession::OCIQueryData::GetBoolean(int row, int column) const
{
    const OCIColumn* c = Cell(row, column);
    return c && c->GetBoolean(row);
}

double OCISession::OCIQueryData::GetDate(int row, int column) const
{
    const OCIColumn* c = Cell(row, column);
    return c ? c->GetDate(row) : 0.0;
}

} // namespace VkOracle
