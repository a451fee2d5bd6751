#include "ociw32/tools/ocisql/OciSqlCommand.h"

#include "platform/VkAscii.h"

#include <charconv>

namespace VkOracle {

namespace {

struct Word {
    const char* full;
    size_t shortest; // the shortest abbreviation accepted
    OciSqlCommand::Kind kind;
};

const Word kWords[] = {
    {"SET", 3, OciSqlCommand::Kind::Set},
    {"SHOW", 3, OciSqlCommand::Kind::Show},
    {"DESCRIBE", 4, OciSqlCommand::Kind::Describe},
    {"VARIABLE", 3, OciSqlCommand::Kind::Variable},
    {"PRINT", 3, OciSqlCommand::Kind::Print},
    {"WHENEVER", 8, OciSqlCommand::Kind::Whenever},
    {"EXIT", 4, OciSqlCommand::Kind::Exit},
    {"QUIT", 4, OciSqlCommand::Kind::Exit},
    {"PROMPT", 3, OciSqlCommand::Kind::Prompt},
    {"REMARK", 3, OciSqlCommand::Kind::Remark},
    {"EXECUTE", 4, OciSqlCommand::Kind::Execute},
    {"START", 3, OciSqlCommand::Kind::Script},
};

std::vector<std::string> SplitWords(const std::string& text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && VkIsAsciiSpace(text[i]))
            ++i;
        size_t j = i;
        while (j < text.size() && !VkIsAsciiSpace(text[j]))
            ++j;
        if (j > i)
            words.push_back(text.substr(i, j - i));
        i = j;
    }
    if (!words.empty() && words.back().back() == ';') {
        words.back().pop_back();
        if (words.back().empty())
            words.pop_back();
    }
    return words;
}

} // namespace

bool OciSqlCommand::Parse(const std::string& lineIn, OciSqlCommand* command)
{
    const std::string line = VkAsciiTrim(lineIn);
    if (line.empty())
        return false;
    if (line[0] == '@') {
        const bool nested = line.size() > 1 && line[1] == '@';
        command->kind = nested ? Kind::NestedScript : Kind::Script;
        command->text = VkAsciiTrim(line.substr(nested ? 2 : 1));
        command->args = SplitWords(command->text);
        return true;
    }
    size_t end = 0;
    while (end < line.size() && !VkIsAsciiSpace(line[end]) && line[end] != ';')
        ++end;
    const std::string word = VkAsciiUpper(line.substr(0, end));
    for (const Word& w : kWords) {
        const std::string full = w.full;
        if (word.size() < w.shortest || word.size() > full.size() || full.compare(0, word.size(), word) != 0)
            continue;
        std::vector<std::string> args = SplitWords(line.substr(end));
        // SET TRANSACTION, SET ROLE and SET CONSTRAINTS are SQL.
        if (w.kind == Kind::Set && !args.empty()) {
            const std::string next = VkAsciiUpper(args[0]);
            if (next == "TRANSACTION" || next == "ROLE" || next.rfind("CONSTRAINT", 0) == 0)
                return false;
        }
        command->kind = w.kind;
        command->args = std::move(args);
        command->text = VkAsciiTrim(line.substr(end));
        return true;
    }
    return false;
}

bool OciSqlExit::Parse(const std::vector<std::string>& words, OciSqlExit* exit)
{
    *exit = OciSqlExit{};
    size_t i = 0;
    if (i < words.size()) {
        const std::string w = VkAsciiUpper(words[i]);
        int n = 0;
        const auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
        if (w == "SUCCESS") {
            exit->value = 0, ++i;
        } else if (w == "FAILURE") {
            exit->value = 1, ++i;
        } else if (w == "WARNING") {
            exit->value = 2, ++i;
        } else if (w == "SQL.SQLCODE") {
            exit->code = Code::SqlCode, ++i;
        } else if (w.size() > 1 && w[0] == ':') {
            exit->code = Code::Variable, exit->variable = w.substr(1), ++i;
        } else if (ec == std::errc() && ptr == w.data() + w.size()) {
            exit->value = n, ++i;
        }
    }
    if (i < words.size()) {
        const std::string w = VkAsciiUpper(words[i]);
        if (w == "COMMIT")
            exit->commit = true, ++i;
        else if (w == "ROLLBACK")
            exit->commit = false, ++i;
    }
    return i == words.size();
}

} // namespace VkOracle
