#include "ociw32/server/OraDatabaseFiles.h"

#include "platform/VkAscii.h"
#include "platform/VkFileText.h"
#include "platform/VkPrivateFiles.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace VkOracle {

std::string DatabaseFilePath(const OraDatabaseRef& db)
{
    return db.directory + "/" + db.sid + ".db";
}

std::string StateFilePath(const OraDatabaseRef& db)
{
    return db.directory + "/" + db.sid + ".state";
}

std::string InstanceFilePath(const OraDatabaseRef& db)
{
    return db.directory + "/" + db.sid + ".inst";
}

std::string QueueLockFilePath(const OraDatabaseRef& db)
{
    return db.directory + "/" + db.sid + ".cjq";
}

std::string QueueLogFilePath(const OraDatabaseRef& db)
{
    return db.directory + "/" + db.sid + ".log";
}

bool DatabaseFileExists(const OraDatabaseRef& db)
{
    struct stat st {};
    return !db.sid.empty() && ::stat(DatabaseFilePath(db).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

OraInstanceState ReadInstanceState(const OraDatabaseRef& db)
{
    OraInstanceState state;
    // Read at every logon: no stream here (see VkReadFileText).
    std::string text;
    VkReadFileText(StateFilePath(db), &text);
    size_t at = 0;
    auto next = [&](std::string* word) {
        while (at < text.size() && VkIsAsciiSpace(text[at]))
            ++at;
        const size_t start = at;
        while (at < text.size() && !VkIsAsciiSpace(text[at]))
            ++at;
        word->assign(text, start, at - start);
        return !word->empty();
    };
    std::string word;
    while (next(&word)) {
        if (word == "SHUTDOWN")
            state.open = false;
        else if (word == "IMMEDIATE")
            state.shutdown = OraShutdownMode::Immediate;
        else if (word == "ABORT")
            state.shutdown = OraShutdownMode::Abort;
        else if (word == "OPEN")
            state.open = true;
        else if (word == "PINNED" || word == "OFFSET") {
            // A value that is not a whole number ends the reading.
            std::string number;
            long long value = 0;
            if (!next(&number) || std::from_chars(number.data(), number.data() + number.size(), value).ptr
                                      != number.data() + number.size())
                break;
            state.clock.mode = word == "PINNED" ? OraClockMode::Pinned : OraClockMode::Offset;
            state.clock.value = value;
        } else if (word == "SYSTEM") {
            state.clock = OraClockSetting{};
        }
    }
    return state;
}

bool WriteInstanceState(const OraDatabaseRef& db, const OraInstanceState& state)
{
    const std::string path = StateFilePath(db);
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::trunc);
        if (!out)
            return false;
        out << (state.open ? "OPEN" : "SHUTDOWN");
        if (!state.open && state.shutdown != OraShutdownMode::Normal)
            out << (state.shutdown == OraShutdownMode::Abort ? " ABORT" : " IMMEDIATE");
        out << "\n";
        switch (state.clock.mode) {
        case OraClockMode::System: out << "SYSTEM\n"; break;
        case OraClockMode::Pinned: out << "PINNED " << state.clock.value << "\n"; break;
        case OraClockMode::Offset: out << "OFFSET " << state.clock.value << "\n"; break;
        }
        if (!out.flush())
            return false;
    }
    VkMakePrivate(tmp);
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool SignalInstanceState(const OraDatabaseRef& db)
{
    return ::utimensat(AT_FDCWD, StateFilePath(db).c_str(), nullptr, 0) == 0;
}

} // namespace VkOracle
