#include "framework/COracle_TNSNames.h"

#include "platform/Registry.h"
#include "platform/VkAscii.h"
#include "platform/VkTnsEntryScanner.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool IsDelimiter(const std::string& token) { return token == "(" || token == ")" || token == "="; }

// A string value of an open key ("" when absent); a number is given in
// decimal, as a home index may be stored either way.
bool ReadValue(HKEY key, const char* name, std::string& value)
{
    value.clear();
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueEx(key, name, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::string data(size + 1, '\0');
    if (RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return false;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD number = 0;
        std::copy_n(data.data(), sizeof number, reinterpret_cast<char*>(&number));
        value = std::to_string(number);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data.resize(size);
        value = data.c_str();
    }
    return true;
}

// Closes a registry key when it goes out of scope.
struct KeyHolder {
    HKEY key = nullptr;
    ~KeyHolder()
    {
        if (key)
            RegCloseKey(key);
    }
};

// The Oracle home recorded in the registry; empty when there is none.
std::string OracleHome()
{
    KeyHolder oracle;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", KEY_READ, &oracle.key) != ERROR_SUCCESS)
        return {};
    std::string home;
    ReadValue(oracle.key, "ORACLE_HOME", home);
    if (!home.empty())
        return home;
    KeyHolder allHomes;
    if (RegOpenKeyEx(oracle.key, "ALL_HOMES", KEY_READ, &allHomes.key) != ERROR_SUCCESS)
        return {};
    std::string last;
    ReadValue(allHomes.key, "LAST_HOME", last);
    // The homes themselves are keys of their own beside ALL_HOMES.
    KeyHolder lastHome;
    if (RegOpenKeyEx(oracle.key, ("HOME" + last).c_str(), KEY_READ, &lastHome.key) != ERROR_SUCCESS)
        return {};
    ReadValue(lastHome.key, "ORACLE_HOME", home);
    return home;
}

} // namespace

// --- name records -----------------------------------------------------------

COracle_TNSNames::COracle_NameData::COracle_NameData(const COracle_NameData& other) : m_connect(other.m_connect)
{
    for (const COracle_Address* address : other.m_addresses)
        m_addresses.push_back(new COracle_Address(*address));
}

COracle_TNSNames::COracle_NameData& COracle_TNSNames::COracle_NameData::operator=(const COracle_NameData& other)
{
    if (this != &other) {
        COracle_NameData copy(other);
        Clear();
        m_addresses.swap(copy.m_addresses);
        m_connect = other.m_connect;
    }
    return *this;
}

COracle_TNSNames::COracle_NameData::~COracle_NameData() { Clear(); }

void COracle_TNSNames::COracle_NameData::Clear()
{
    for (COracle_Address* address : m_addresses)
        delete address;
    m_addresses.clear();
    m_connect = {};
}

// --- the reader ---------------------------------------------------------------

COracle_TNSNames::COracle_TNSNames(bool loadNow)
{
    m_iter = m_names.end();
    if (loadNow)
        m_error = Load();
    ResetIter();
}

COracle_TNSNames::COracle_TNSNames(const COracle_TNSNames& other) { CopyFrom(other); }

COracle_TNSNames& COracle_TNSNames::operator=(const COracle_TNSNames& other)
{
    if (this != &other)
        CopyFrom(other);
    return *this;
}

COracle_TNSNames::~COracle_TNSNames() { ClearData(); }

void COracle_TNSNames::CopyFrom(const COracle_TNSNames& other)
{
    ClearData();
    for (const auto& [name, data] : other.m_names)
        m_names[name] = new COracle_NameData(*data);
    m_error = other.m_error;
    m_path = other.m_path;
    m_altPath = other.m_altPath;
    ResetIter();
}

void COracle_TNSNames::ClearData()
{
    for (auto& [name, data] : m_names)
        delete data;
    m_names.clear();
    m_iter = m_names.end();
}

void COracle_TNSNames::ResetIter() { m_iter = m_names.begin(); }

bool COracle_TNSNames::Next(std::string& name)
{
    if (m_iter == m_names.end()) {
        name.clear();
        return false;
    }
    name = m_iter->first;
    ++m_iter;
    return true;
}

const COracle_TNSNames::COracle_NameData* COracle_TNSNames::GetNameData(const std::string& name) const
{
    const auto found = m_names.find(name);
    return found == m_names.end() ? nullptr : found->second;
}

bool COracle_TNSNames::Path(vkpath& path, bool refresh) const
{
    if (!refresh && m_path.Exists()) {
        path = m_path;
        return true;
    }
    const std::string home = OracleHome();
    if (home.empty()) {
        m_path = vkpath();
        m_altPath = vkpath();
        path = m_path;
        return false;
    }
    m_path = vkpath(home, "tnsnames.ora");
    m_path.AppendFolder("network/ADMIN");
    m_altPath = vkpath(home, "tnsnames.ora");
    m_altPath.AppendFolder("net80/ADMIN");
    bool found = m_path.Exists();
    if (!found && m_altPath.Exists()) {
        std::swap(m_path, m_altPath);
        found = true;
    }
    path = m_path;
    return found;
}

bool COracle_TNSNames::AltPath(vkpath& path) const
{
    path = m_altPath;
    return true;
}

std::string COracle_TNSNames::Directory() const { return m_path.Folder(); }

COracle_TNSNames::ErrorCode COracle_TNSNames::Load()
{
    vkpath path;
    if (!Path(path, false)) {
        m_error = NotFound;
        return m_error;
    }
    try {
        m_error = ReadFile(path.FullPath());
    } catch (const std::exception&) {
        m_error = ReadFailed;
    }
    ResetIter();
    return m_error;
}

COracle_TNSNames::ErrorCode COracle_TNSNames::ReadFile(const std::string& fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    ClearData();
    if (!file.is_open())
        return ReadFailed;
    bool damaged = false;
    const VkTnsEntryScanner::Result scan = VkTnsEntryScanner::Scan(file, [&](const std::string& entry) {
        if (!ParseEntry(entry))
            damaged = true; // that entry only; the ones after it still count
    });
    if (scan.readError)
        return ReadFailed;
    return damaged || scan.damaged ? Corrupt : Loaded;
}

bool COracle_TNSNames::ParseEntry(const std::string& entry)
{
    std::vector<std::string> tokens;
    std::string piece;
    auto flush = [&] {
        std::string token = Trimmed(piece);
        if (!token.empty())
            tokens.push_back(std::move(token));
        piece.clear();
    };
    for (char c : entry) {
        if (c == '(' || c == ')' || c == '=') {
            flush();
            tokens.emplace_back(1, c);
        } else if (c == '\n' || c == '\t' || c == '\r') {
            flush();
        } else {
            piece += c;
        }
    }
    flush();

    // Built aside and kept only when the whole entry reads.
    std::unique_ptr<COracle_NameData> record;
    std::string recordName;
    COracle_Address* address = nullptr;
    COracle_Connect* connect = nullptr;
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (tokens[i] != "=")
            continue;
        if (IsDelimiter(tokens[i - 1]))
            return false;
        const std::string name = VkAsciiUpper(tokens[i - 1]);
        // A value that is itself punctuation is no value.
        const std::string value = IsDelimiter(tokens[i + 1]) ? std::string() : tokens[i + 1];
        if (!record) {
            record = std::make_unique<COracle_NameData>();
            recordName = name;
            continue;
        }
        if (name == "ADDRESS") {
            record->m_addresses.push_back(new COracle_Address);
            address = record->m_addresses.back();
            connect = nullptr;
        } else if (name == "CONNECT_DATA") {
            connect = &record->m_connect;
            address = nullptr;
        } else if (address) {
            if (name == "PROTOCOL" && !value.empty())
                address->protocol = value == "TCP" ? COracle_Address::TCP
                    : value == "IPC"               ? COracle_Address::IPC
                                                   : COracle_Address::Unknown;
            else if ((name == "HOST" || name == "KEY") && !value.empty())
                address->hostOrKey = value;
            else if (name == "PORT" && !value.empty())
                address->port = static_cast<std::int32_t>(std::strtol(value.c_str(), nullptr, 10));
        } else if (connect) {
            if (name == "SID" && !value.empty())
                connect->sid = value;
            else if (name == "SERVICE_NAME" && !value.empty())
                connect->serviceName = value;
        }
    }
    if (record) {
        auto& slot = m_names[recordName];
        delete slot;
        slot = record.release();
    }
    return true;
}
