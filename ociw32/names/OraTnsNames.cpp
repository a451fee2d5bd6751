#include "ociw32/names/OraTnsNames.h"

#include "platform/VkAscii.h"
#include "platform/VkFileText.h"

namespace VkOracle {

namespace {

std::vector<std::string> Tokens(const std::string& text)
{
    std::vector<std::string> out;
    std::string piece;
    auto flush = [&] {
        std::string t = VkAsciiTrim(piece);
        if (!t.empty())
            out.push_back(t);
        piece.clear();
    };
    for (char c : text) {
        if (c == '(' || c == ')' || c == '=') {
            flush();
            out.push_back(std::string(1, c));
        } else if (c == '\n' || c == '\t' || c == '\r') {
            flush();
        } else {
            piece += c;
        }
    }
    flush();
    return out;
}

bool IsDelimiter(const std::string& t)
{
    return t == "(" || t == ")" || t == "=";
}

// Leading decimal integer of a text, 0 when none.
int LeadingInt(const std::string& s)
{
    long v = 0;
    size_t i = 0;
    while (i < s.size() && VkIsAsciiDigit(s[i]) && v < 1000000) {
        v = v * 10 + (s[i] - '0');
        ++i;
    }
    return static_cast<int>(v);
}

} // namespace

bool OraTnsNames::ParseEntry(const std::string& text, std::string* name, OraTnsEntry* entry)
{
    name->clear();
    *entry = OraTnsEntry{};
    const std::vector<std::string> tokens = Tokens(text);
    OraTnsAddress* address = nullptr;
    bool inConnectData = false;
    for (size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (tokens[i] != "=")
            continue;
        if (IsDelimiter(tokens[i - 1]))
            return false;
        const std::string key = VkAsciiUpper(tokens[i - 1]);
        // A value that is itself punctuation is no value.
        const std::string value = IsDelimiter(tokens[i + 1]) ? std::string() : tokens[i + 1];
        if (name->empty()) {
            *name = key;
            continue;
        }
        if (key == "ADDRESS") {
            entry->addresses.emplace_back();
            address = &entry->addresses.back();
            inConnectData = false;
        } else if (key == "CONNECT_DATA") {
            address = nullptr;
            inConnectData = true;
        } else if (address) {
            if (key == "PROTOCOL")
                address->protocol = value == "TCP" ? OraTnsAddress::Tcp
                                  : value == "IPC" ? OraTnsAddress::Ipc
                                                   : OraTnsAddress::Unknown;
            else if (key == "HOST" || key == "KEY")
                address->hostOrKey = value;
            else if (key == "PORT")
                address->port = LeadingInt(value);
        } else if (inConnectData) {
            if (key == "SID")
                entry->sid = value;
            else if (key == "SERVICE_NAME")
                entry->serviceName = value;
        }
    }
    return true;
}

OraTnsNames::Status OraTnsNames::Load(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return Status::NotFound;
    std::string text;
    switch (VkReadFileText(file, &text)) {
    case VkFileRead::Ok:
        return Load(std::string_view(text));
    case VkFileRead::CannotOpen:
        return Status::NotFound;
    case VkFileRead::ReadFailed:
        break;
    }
    m_entries.clear();
    return Status::ReadError;
}

OraTnsNames::Status OraTnsNames::Load(std::istream& in)
{
    return LoadWith([&in](const EntrySink& onEntry) { return VkTnsEntryScanner::Scan(in, onEntry); });
}

OraTnsNames::Status OraTnsNames::Load(std::string_view text)
{
    return LoadWith([text](const EntrySink& onEntry) { return VkTnsEntryScanner::Scan(text, onEntry); });
}

OraTnsNames::Status OraTnsNames::LoadWith(const std::function<VkTnsEntryScanner::Result(const EntrySink&)>& scanner)
{
    m_entries.clear();
    bool damaged = false;
    const VkTnsEntryScanner::Result scan = scanner([&](const std::string& text) {
        std::string name;
        OraTnsEntry entry;
        if (!ParseEntry(text, &name, &entry)) {
            damaged = true; // this entry only; the others still count
            return;
        }
        if (!name.empty())
            m_entries[name] = std::move(entry);
    });
    if (scan.readError)
        return Status::ReadError;
    return damaged || scan.damaged ? Status::Corrupt : Status::Loaded;
}

const OraTnsEntry* OraTnsNames::Find(const std::string& name) const
{
    auto it = m_entries.find(VkAsciiUpper(VkAsciiTrim(name)));
    return it == m_entries.end() ? nullptr : &it->second;
}

} // namespace VkOracle
