#include "tools/qvjobs/QvJobsArguments.h"

#include "platform/VkAscii.h"
#include "tools/qvjobs/QvJobsStrings.h"

#include <charconv>
#include <map>

namespace {

const std::map<std::string, QvJobsCommand>& Commands()
{
    static const std::map<std::string, QvJobsCommand> commands{
        {"list", QvJobsCommand::List},       {"export", QvJobsCommand::Export}, {"import", QvJobsCommand::Import},
        {"run", QvJobsCommand::Run},         {"break", QvJobsCommand::Break},   {"unbreak", QvJobsCommand::Unbreak},
        {"remove", QvJobsCommand::Remove},   {"stop", QvJobsCommand::Stop},     {"forecast", QvJobsCommand::Forecast},
        {"diff", QvJobsCommand::Diff},
    };
    return commands;
}

bool ParseNumber(const std::string& word, long& value)
{
    const char* end = word.data() + word.size();
    auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end && !word.empty();
}

bool IsOption(const std::string& word)
{
    return word.size() > 1 && word[0] == '-';
}

} // namespace

bool QvJobsArguments::ParseTarget(const std::string& word, QvJobsTarget& target, std::string& error)
{
    const VkStringTable& texts = QvJobsStrings();
    if (word.find('/') != std::string::npos) {
        error = texts.Load(IDS_QJ_PASSWORD_IN_TARGET);
        return false;
    }
    const auto at = word.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == word.size() || word.find('@', at + 1) != std::string::npos) {
        error = texts.Format(IDS_QJ_BAD_TARGET, word.c_str());
        return false;
    }
    target.user = word.substr(0, at);
    target.database = word.substr(at + 1);
    return true;
}

bool QvJobsArguments::Parse(const std::vector<std::string>& words, QvJobsArguments& out, std::string& error)
{
    const VkStringTable& texts = QvJobsStrings();
    out = QvJobsArguments();
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        out.command = QvJobsCommand::Help;
        return true;
    }
    const std::string& name = words[0];
    const auto found = Commands().find(name);
    if (found == Commands().end()) {
        error = texts.Format(IDS_QJ_UNKNOWN_COMMAND, name.c_str());
        return false;
    }
    out.command = found->second;

    // Options anywhere after the command; the rest are positional.
    std::vector<std::string> positional;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--help") {
            out.command = QvJobsCommand::Help;
            return true;
        }
        if (!IsOption(word)) {
            positional.push_back(word);
            continue;
        }
        const QvJobsCommand c = out.command;
        if (c == QvJobsCommand::List && word == "--all")
            out.all = true;
        else if (c == QvJobsCommand::List && word == "--tsv")
            out.tsv = true;
        else if (c == QvJobsCommand::Import && word == "--keep-numbers")
            out.keepNumbers = true;
        else if (c == QvJobsCommand::Import && word == "--broken")
            out.broken = true;
        else if (c == QvJobsCommand::Forecast && word == "-n") {
            long runs = 0;
            if (i + 1 >= words.size()) {
                error = texts.Format(IDS_QJ_MISSING_ARGUMENT, "-n", "a number");
                return false;
            }
            if (!ParseNumber(words[++i], runs) || runs < 1 || runs > 100) {
                error = texts.Format(IDS_QJ_BAD_RUNS, words[i].c_str());
                return false;
            }
            out.runs = static_cast<int>(runs);
        } else {
            error = texts.Format(IDS_QJ_UNKNOWN_OPTION, name.c_str(), word.c_str());
            return false;
        }
    }

    size_t next = 0;
    const size_t queues = out.command == QvJobsCommand::Diff ? 2 : 1;
    for (size_t q = 0; q < queues; ++q) {
        if (next >= positional.size()) {
            error = texts.Format(IDS_QJ_MISSING_ARGUMENT, name.c_str(), "USER@ALIAS");
            return false;
        }
        QvJobsTarget target;
        if (!ParseTarget(positional[next++], target, error))
            return false;
        out.targets.push_back(target);
    }
    if (out.command == QvJobsCommand::Export || out.command == QvJobsCommand::Import) {
        if (next >= positional.size()) {
            error = texts.Format(IDS_QJ_MISSING_ARGUMENT, name.c_str(), "FILE");
            return false;
        }
        out.file = positional[next++];
    }
    const bool takesJobs = out.command == QvJobsCommand::Export || out.command == QvJobsCommand::Run
                           || out.command == QvJobsCommand::Break || out.command == QvJobsCommand::Unbreak
                           || out.command == QvJobsCommand::Remove || out.command == QvJobsCommand::Stop
                           || out.command == QvJobsCommand::Forecast;
    if (takesJobs) {
        for (; next < positional.size(); ++next) {
            long job = 0;
            if (!ParseNumber(positional[next], job) || job < 1 || job > 2147483647L) {
                error = texts.Format(IDS_QJ_BAD_JOB, positional[next].c_str());
                return false;
            }
            out.jobs.push_back(static_cast<LONG>(job));
        }
        const bool needsJobs = out.command != QvJobsCommand::Export;
        if (needsJobs && out.jobs.empty()) {
            error = texts.Format(IDS_QJ_NO_JOBS, name.c_str());
            return false;
        }
        if (out.command == QvJobsCommand::Forecast && out.jobs.size() > 1) {
            error = texts.Format(IDS_QJ_EXTRA_ARGUMENT, name.c_str(), positional[2].c_str());
            return false;
        }
    } else if (next < positional.size()) {
        error = texts.Format(IDS_QJ_EXTRA_ARGUMENT, name.c_str(), positional[next].c_str());
        return false;
    }
    return true;
}
