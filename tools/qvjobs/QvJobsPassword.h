#pragma once
// Where qvjobs finds a password, never on the command line: the
// environment variable for scripts, the users the program remembers, or a
// question without echo when standard input is a terminal.

#include "tools/qvjobs/QvJobsArguments.h"

#include <string>

class QvJobsPassword {
public:
    // The password for target; false (nothing found, nobody to ask) leaves
    // password empty.
    static bool Find(const QvJobsTarget& target, std::string& password);
    // The remembered users' password for user (names compare without
    // regard to case); false when the program remembers none.
    static bool Remembered(const std::string& user, std::string& password);
    // Asks on the terminal with echo off; false when standard input is not
    // a terminal or was closed.
    static bool Prompt(const QvJobsTarget& target, std::string& password);
};
