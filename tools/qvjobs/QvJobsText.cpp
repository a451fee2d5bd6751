#include "tools/qvjobs/QvJobsText.h"

#include "platform/Variant.h"
#include "tools/qvjobs/QvJobsStrings.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

std::string Cells(const CJobListData& job, char separator, const std::vector<size_t>& widths)
{
    const std::string cells[] = {
        std::to_string(job.m_jobNumber),
        job.m_schemaUser,
        QvJobsText::Date(job.m_lastDate),
        QvJobsText::Date(job.m_nextDate),
        job.m_broken ? "Y" : "N",
        std::to_string(job.m_failures),
        QvJobsText::OneLine(job.m_interval),
        QvJobsText::OneLine(job.m_what),
    };
    std::string line;
    for (size_t i = 0; i < std::size(cells); ++i) {
        if (i > 0)
            line += separator;
        line += cells[i];
        if (i + 1 < std::size(cells) && i < widths.size() && cells[i].size() < widths[i])
            line.append(widths[i] - cells[i].size(), ' ');
    }
    return line;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

} // namespace

std::string QvJobsText::Date(DATE date)
{
    SYSTEMTIME time {};
    if (date == 0 || !VariantTimeToSystemTime(date, &time))
        return std::string();
    char text[64]; // room for any WORD in each field
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned(time.wYear), unsigned(time.wMonth),
                  unsigned(time.wDay), unsigned(time.wHour), unsigned(time.wMinute), unsigned(time.wSecond));
    return text;
}

std::string QvJobsText::OneLine(const std::string& text)
{
    std::string line = text;
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return line;
}

void QvJobsText::List(std::ostream& out, const std::vector<CJobListData>& jobs, bool tsv)
{
    const std::vector<std::string> heading = Split(QvJobsStrings().Load(IDS_QJ_LIST_HEADER), '\t');
    if (tsv) {
        out << QvJobsStrings().Load(IDS_QJ_LIST_HEADER) << '\n';
        for (const CJobListData& job : jobs)
            out << Cells(job, '\t', {}) << '\n';
        return;
    }
    // Widths from the tab-separated cells, so both forms say the same.
    std::vector<size_t> widths;
    for (const std::string& cell : heading)
        widths.push_back(cell.size());
    for (const CJobListData& job : jobs) {
        const std::vector<std::string> cells = Split(Cells(job, '\t', {}), '\t');
        for (size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    }
    std::string line;
    for (size_t i = 0; i < heading.size(); ++i) {
        if (i > 0)
            line += "  ";
        line += heading[i];
        if (i + 1 < heading.size())
            line.append(widths[i] - heading[i].size(), ' ');
    }
    out << line << '\n';
    for (const CJobListData& job : jobs) {
        std::string row = Cells(job, '\t', widths);
        std::string spaced;
        for (char c : row)
            spaced += c == '\t' ? std::string("  ") : std::string(1, c);
        out << spaced << '\n';
    }
}

void QvJobsText::Diff(std::ostream& out, const std::vector<CJobListData>& left,
                      const std::vector<CJobListData>& right, const std::vector<CJobDiffRow>& rows)
{
    const VkStringTable& texts = QvJobsStrings();
    long same = 0, differing = 0, leftOnly = 0, rightOnly = 0;
    for (const CJobDiffRow& row : rows) {
        const CJobListData* a = row.left >= 0 ? &left[row.left] : nullptr;
        const CJobListData* b = row.right >= 0 ? &right[row.right] : nullptr;
        char mark = '=';
        if (row.kind == CJobDiffKind::OnlyLeft) {
            mark = '<';
            ++leftOnly;
        } else if (row.kind == CJobDiffKind::OnlyRight) {
            mark = '>';
            ++rightOnly;
        } else if (row.fields != JobDiffNone) {
            mark = '~';
            ++differing;
        } else {
            ++same;
        }
        out << mark << '\t' << (a ? std::to_string(a->m_jobNumber) : "-") << '\t'
            << (b ? std::to_string(b->m_jobNumber) : "-") << '\t' << OneLine((a ? a : b)->m_what);
        if (a && b) {
            struct Field {
                unsigned bit;
                UINT name;
                std::string left, right;
            };
            const Field fields[] = {
                {JobDiffInterval, IDS_QJ_FIELD_INTERVAL, OneLine(a->m_interval), OneLine(b->m_interval)},
                {JobDiffNextDate, IDS_QJ_FIELD_NEXT, Date(a->m_nextDate), Date(b->m_nextDate)},
                {JobDiffBroken, IDS_QJ_FIELD_BROKEN, a->m_broken ? "Y" : "N", b->m_broken ? "Y" : "N"},
                {JobDiffSchema, IDS_QJ_FIELD_SCHEMA, a->m_schemaUser, b->m_schemaUser},
            };
            for (const Field& field : fields)
                if (row.fields & field.bit)
                    out << '\t' << texts.Load(field.name) << ": " << field.left << " | " << field.right;
        }
        out << '\n';
    }
    if (differing + leftOnly + rightOnly == 0)
        out << texts.Load(IDS_QJ_DIFF_SAME) << '\n';
    else
        out << texts.Format(IDS_QJ_DIFF_SUMMARY, same, differing, leftOnly, rightOnly) << '\n';
}
