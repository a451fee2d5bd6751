#include "controls/CJobSaveStatement.h"

#include "controls/QVCtrlStrings.h"
#include "generic/VkDateFormat.h"
#include "platform/VkAscii.h"

namespace {

bool RemovesRunAfter(char c)
{
    return c == ';' || c == ',' || c == '(';
}

bool RemovesRunBefore(char c)
{
    return c == '(' || c == ')';
}

std::string DoubleQuotes(const std::string& text)
{
    std::string quoted;
    quoted.reserve(text.size());
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted;
}

} // namespace

std::string CJobSaveStatement::NormaliseInterval(const std::string& interval)
{
    std::string result;
    result.reserve(interval.size());
    size_t i = 0;
    while (i < interval.size()) {
        if (!VkIsAsciiSpace(interval[i])) {
            result += interval[i++];
            continue;
        }
        size_t end = i;
        while (end < interval.size() && VkIsAsciiSpace(interval[end]))
            ++end;
        const bool afterRemoves = i > 0 && RemovesRunAfter(interval[i - 1]);
        const bool beforeRemoves = end < interval.size() && RemovesRunBefore(interval[end]);
        if (!afterRemoves && !beforeRemoves)
            result += ' ';
        i = end;
    }
    return result;
}

std::string CJobSaveStatement::DateLiteral(DATE date)
{
    VkDateFormat::Parts parts;
    if (!VkDateFormat::FromAutomationDate(date, parts)) {
        parts = {};
        parts.year = 1899;
        parts.month = 12;
        parts.day = 30;
    }
    return QVCtrlStrings().Format(IDS_JS_DATE_LITERAL, long(parts.day), long(parts.month), long(parts.year),
                                  long(parts.hour), long(parts.minute), long(parts.second));
}

std::string CJobSaveStatement::QuotedWhat(const std::string& what)
{
    std::string text;
    text.reserve(what.size());
    for (char c : what)
        if (c != '\r')
            text += c;
    return DoubleQuotes(text);
}

std::string CJobSaveStatement::QuotedInterval(const std::string& interval)
{
    return DoubleQuotes(NormaliseInterval(interval));
}

std::string CJobSaveStatement::ChangeBlock(const CJobListData& job)
{
    return QVCtrlStrings().Format(IDS_JS_CHANGE_BLOCK, long(job.m_jobNumber), QuotedWhat(job.m_what).c_str(),
                                  DateLiteral(job.m_nextDate).c_str(), QuotedInterval(job.m_interval).c_str());
}

std::string CJobSaveStatement::SubmitBlock(const CJobListData& job, long serverMajorVersion)
{
    const VkStringTable& strings = QVCtrlStrings();
    const std::string what = QuotedWhat(job.m_what);
    const std::string next = DateLiteral(job.m_nextDate);
    const std::string interval = QuotedInterval(job.m_interval);
    // The record's parse flag asks for parsing at submit time: no_parse FALSE.
    const std::string noParse = strings.Load(job.m_parse ? IDS_JS_FALSE : IDS_JS_TRUE);
    if (serverMajorVersion < 8)
        return strings.Format(IDS_JS_SUBMIT_BLOCK_V7, what.c_str(), next.c_str(), interval.c_str(), noParse.c_str());
    const std::string force = strings.Load(job.m_force ? IDS_JS_TRUE : IDS_JS_FALSE);
    return strings.Format(IDS_JS_SUBMIT_BLOCK, what.c_str(), next.c_str(), interval.c_str(), noParse.c_str(),
                          long(job.m_instance), force.c_str());
}

std::string CJobSaveStatement::SubmitSchema(const CJobListData& job, const std::string& user)
{
    if (job.m_schemaUser.empty() || VkAsciiEqualNoCase(job.m_schemaUser, user))
        return {};
    return job.m_schemaUser;
}
