// vkreg: the registry from the command line, in REGEDIT4 text.
//   vkreg export KEY [FILE]   write KEY and its sub-tree (to standard output without FILE)
//   vkreg import FILE         apply a .reg file ("-" reads standard input)
//   vkreg delete KEY          delete KEY and its sub-tree
//   vkreg list KEY            show KEY's values and sub-keys
// Exit status 0 on success, 1 with a message on standard error otherwise.

#include "platform/RegText.h"
#include "platform/VkPrivateFiles.h"
#include "platform/VkRegHealth.h"
#include "platform/VkSqliteSetup.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& message)
{
    std::cerr << "vkreg: " << message << "\n";
    return 1;
}

int Usage()
{
    std::cerr << "usage: vkreg export KEY [FILE]\n"
                 "       vkreg import FILE\n"
                 "       vkreg delete KEY\n"
                 "       vkreg list KEY\n"
                 "KEY is a full path such as HKEY_CURRENT_USER\\Software\\Tarnwick\n";
    return 1;
}

// What went wrong, naming the hive file of key when it is the hive's fault.
std::string Reason(LONG rc, const std::string& key)
{
    switch (rc) {
    case ERROR_FILE_NOT_FOUND: return "the key does not exist";
    case ERROR_ACCESS_DENIED: return "access denied";
    default: {
        HKEY root = nullptr;
        std::string sub;
        if (VkRegText::SplitKeyPath(key, &root, &sub))
            return VkRegErrorText(rc, root);
        return "error " + std::to_string(rc);
    }
    }
}

bool CheckRoot(const std::string& key)
{
    HKEY root = nullptr;
    std::string sub;
    return VkRegText::SplitKeyPath(key, &root, &sub);
}

int Export(const std::string& key, const char* file)
{
    if (!CheckRoot(key))
        return Fail("unknown root key in \"" + key + "\"");
    std::string text;
    int skipped = 0;
    LONG rc = VkRegText::Export(key, &text, &skipped);
    if (rc != ERROR_SUCCESS)
        return Fail("cannot export " + key + ": " + Reason(rc, key));
    if (skipped > 0)
        std::cerr << "vkreg: " << skipped << " keys deeper than the registry allows were left out\n";
    if (!file) {
        std::cout << text;
        std::cout.flush();
        return std::cout ? 0 : Fail("cannot write to standard output");
    }
    // Written beside the target and renamed, so a failed export leaves no half file.
    const std::string tmp = std::string(file) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        VkMakePrivate(tmp);
        if (!out) {
            std::remove(tmp.c_str());
            return Fail(std::string("cannot write ") + file + ": " + std::strerror(errno));
        }
    }
    if (std::rename(tmp.c_str(), file) != 0) {
        std::remove(tmp.c_str());
        return Fail(std::string("cannot write ") + file + ": " + std::strerror(errno));
    }
    return 0;
}

int Import(const std::string& file)
{
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return Fail("cannot read " + file + ": " + std::strerror(errno));
        std::ostringstream ss;
        ss << in.rdbuf();
        text = ss.str();
    }
    VkRegText::ImportResult r = VkRegText::Import(text);
    if (r.status != ERROR_SUCCESS)
        return Fail((r.line ? file + ":" + std::to_string(r.line) : file) + ": " + r.message
                    + "; nothing was changed");
    return 0;
}

int Delete(const std::string& key)
{
    if (!CheckRoot(key))
        return Fail("unknown root key in \"" + key + "\"");
    LONG rc = VkRegText::DeleteKey(key);
    if (rc == ERROR_ACCESS_DENIED)
        return Fail("cannot delete " + key + ": a root key cannot be deleted");
    if (rc != ERROR_SUCCESS)
        return Fail("cannot delete " + key + ": " + Reason(rc, key));
    return 0;
}

const char* TypeName(DWORD type)
{
    static const char* const names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                        "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ"};
    return type < std::size(names) ? names[type] : "REG_UNKNOWN";
}

// The data as a person reads it: texts plain, numbers in hex and decimal,
// multi-strings joined by " | ", anything else as bytes.
std::string Readable(DWORD type, const std::string& data)
{
    if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_LINK) && !data.empty() && data.back() == '\0')
        return data.substr(0, data.size() - 1);
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && data.size() == 4) {
        auto b = reinterpret_cast<const unsigned char*>(data.data());
        DWORD v = type == REG_DWORD ? (b[0] | b[1] << 8 | b[2] << 16 | static_cast<DWORD>(b[3]) << 24)
                                    : (b[3] | b[2] << 8 | b[1] << 16 | static_cast<DWORD>(b[0]) << 24);
        char buf[40];
        std::snprintf(buf, sizeof buf, "0x%08x (%u)", v, v);
        return buf;
    }
    if (type == REG_MULTI_SZ) {
        std::string out;
        size_t start = 0;
        while (start < data.size()) {
            size_t end = data.find('\0', start);
            if (end == std::string::npos)
                end = data.size();
            if (end == start)
                break;
            if (!out.empty())
                out += " | ";
            out += data.substr(start, end - start);
            start = end + 1;
        }
        return out;
    }
    std::string out;
    char buf[4];
    for (unsigned char c : data) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02x" : " %02x", c);
        out += buf;
    }
    return out;
}

int List(const std::string& key)
{
    HKEY root = nullptr;
    std::string sub;
    if (!VkRegText::SplitKeyPath(key, &root, &sub))
        return Fail("unknown root key in \"" + key + "\"");
    HKEY h = nullptr;
    LONG rc = RegOpenKeyEx(root, sub.c_str(), KEY_READ, &h);
    if (rc != ERROR_SUCCESS)
        return Fail("cannot open " + key + ": " + Reason(rc, key));
    DWORD maxName = 0, maxData = 0, maxSub = 0;
    RegQueryInfoKey(h, nullptr, &maxSub, nullptr, &maxName, &maxData);
    std::vector<char> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    std::cout << key << "\n";
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        rc = RegEnumValue(h, i, name.data(), &nameLen, &type, data.data(), &dataLen);
        if (rc != ERROR_SUCCESS)
            break;
        std::string n = nameLen ? std::string(name.data(), nameLen) : "(Default)";
        std::cout << "    " << n << "    " << TypeName(type) << "    "
                  << Readable(type, std::string(reinterpret_cast<char*>(data.data()), dataLen)) << "\n";
    }
    std::vector<char> subName(maxSub + 1);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(subName.size());
        if (RegEnumKeyEx(h, i, subName.data(), &len) != ERROR_SUCCESS)
            break;
        std::cout << "    " << std::string(subName.data(), len) << "\\\n";
    }
    RegCloseKey(h);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    VkSetUpSqlite();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage();
    const std::string& cmd = args[0];
    if (cmd == "export" && (args.size() == 2 || args.size() == 3))
        return Export(args[1], args.size() == 3 ? args[2].c_str() : nullptr);
    if (cmd == "import" && args.size() == 2)
        return Import(args[1]);
    if (cmd == "delete" && args.size() == 2)
        return Delete(args[1]);
    if (cmd == "list" && args.size() == 2)
        return List(args[1]);
    return Usage();
}
