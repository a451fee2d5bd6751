#pragma once
// The log of a database's job queue process, beside the database (0600):
// one line per event with the machine's local time in front; a failed run
// writes the error stack as the alert log of a server does.

#include "ociw32/server/OraServer.h"

#include <string>

namespace VkOracle {

class OraJobQueueLog {
public:
    // Appends the text, each of its lines stamped, in one write so that
    // processes appending at once never interleave; false when it cannot.
    static bool Append(const OraDatabaseRef& db, const std::string& text);
    // A failed run: "ORA-12012: error on auto execute of job N" and the error stack.
    static bool AppendFailure(const OraDatabaseRef& db, int64_t job, const std::string& errorStack);
    // The whole log; empty when there is none. False when it cannot be read.
    static bool Read(const OraDatabaseRef& db, std::string* text);
};

} // namespace VkOracle
