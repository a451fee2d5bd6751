#include "controls/CJobDetailText.h"

#include "controls/CJobSaveStatement.h"
#include "controls/CScheduleBuilder.h"
#include "controls/QVCtrlStrings.h"

#include <QString>

#include <vector>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

struct Part {
    std::string text;
    bool comment = false;
};

// Comments run from "/*" to the next "*/" (or the end); the text between
// them is trimmed and empty parts are dropped.
std::vector<Part> SplitAtComments(const std::string& text)
{
    std::vector<Part> parts;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find("/*", pos);
        const std::string before = Trim(text.substr(pos, open == std::string::npos ? std::string::npos : open - pos));
        if (!before.empty())
            parts.push_back({before, false});
        if (open == std::string::npos)
            break;
        const size_t close = text.find("*/", open + 2);
        const size_t end = close == std::string::npos ? text.size() : close + 2;
        parts.push_back({text.substr(open, end - open), true});
        pos = end;
    }
    return parts;
}

} // namespace

std::string CJobDetailText::Tabulate(const std::string& text)
{
    std::string out;
    int depth = 0;
    for (const Part& part : SplitAtComments(text)) {
        if (part.comment) {
            out += part.text + "\r\n";
            continue;
        }
        bool afterClose = false;
        std::string piece;
        auto flushPiece = [&] {
            const std::string token = Trim(piece);
            piece.clear();
            if (token.empty())
                return;
            if (!afterClose)
                out.append(static_cast<size_t>(depth), '\t');
            out += token;
            afterClose = false;
        };
        for (char c : part.text) {
            if (c != '(' && c != ')' && c != ',') {
                piece += c;
                continue;
            }
            flushPiece();
            if (c == '(') {
                out += "\r\n";
                if (!afterClose)
                    out.append(static_cast<size_t>(depth), '\t');
                out += "(\r\n";
                ++depth;
                afterClose = false;
            } else if (c == ')') {
                if (depth > 0)
                    --depth;
                out += "\r\n";
                out.append(static_cast<size_t>(depth), '\t');
                out += ")";
                afterClose = true;
            } else {
                out += ",\r\n";
                afterClose = false;
            }
        }
        flushPiece();
    }
    return out;
}

std::string CJobDetailText::TestStatement(const std::string& what)
{
    std::string statement = QVCtrlStrings().Format(IDS_JD_TEST_BLOCK, what.c_str());
    std::erase(statement, '\r');
    return statement;
}

std::string CJobDetailText::EvaluateStatement(const std::string& expression)
{
    std::string statement = QVCtrlStrings().Format(IDS_JD_EVALUATE_QUERY, expression.c_str());
    for (char& c : statement)
        if (c == '\r' || c == '\n')
            c = ' ';
    return statement;
}

CJobDetailText::Evaluation CJobDetailText::Classify(const VkOracle::OCISession::OCIQueryData* data, DATE* date,
                                                     DATE* serverNow)
{
    if (!data)
        return Evaluation::Failed;
    if (data->Columns() < 1 || data->Rows() < 1)
        return Evaluation::NoData;
    if (!data->Column(0).IsDate() || data->Columns() < 2 || !data->Column(1).IsDate())
        return Evaluation::NotADate;
    if (date)
        *date = data->GetDate(0, 0);
    if (serverNow)
        *serverNow = data->GetDate(0, 1);
    return Evaluation::Date;
}

std::string CJobDetailText::IntervalFromSchedule(const CScheduleResult& result)
{
    if (!result.interval.empty()) {
        const std::string combined =
            QVCtrlStrings().Format(IDS_JD_INTERVAL_COMMENT, result.description.c_str(), result.interval.c_str());
        if (!combined.empty() && combined.size() <= CScheduleBuilder::MaxInterval) {
            const std::string formatted = Tabulate(combined);
            if (formatted.size() <= CScheduleBuilder::MaxInterval)
                return formatted;
        }
    }
    return Tabulate(result.interval);
}

std::string CJobDetailText::NextDateLiteral(DATE date)
{
    return CJobSaveStatement::DateLiteral(date);
}

std::string CJobDetailText::ToEditText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

std::string CJobDetailText::FromEditText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

CJobListData CJobDetailText::Record(const Inputs& inputs)
{
    CJobListData job;
    job.m_jobNumber = inputs.jobNumber;
    job.m_what = inputs.what;
    job.m_interval = inputs.interval;
    job.m_nextDate = inputs.nextDate;
    job.m_schemaUser = inputs.schema;
    job.m_parse = inputs.parse ? 1 : 0;
    job.m_instance = inputs.instance;
    job.m_force = !inputs.instanceMustRun;
    return job;
}

bool CJobDetailText::NotOwner(const CJobListData& job, const std::string& user)
{
    // Oracle user names may carry letters beyond ASCII: compare by Unicode
    // case folding, which does not depend on the locale.
    return QString::fromStdString(job.m_logUser)
               .compare(QString::fromStdString(user), Qt::CaseInsensitive) != 0;
}
