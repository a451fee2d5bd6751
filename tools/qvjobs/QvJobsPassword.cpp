#include "tools/qvjobs/QvJobsPassword.h"

#include "framework/TwRememberedUsers.h"
#include "platform/VkAscii.h"
#include "tools/qvjobs/QvJobsStrings.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <termios.h>
#include <unistd.h>

bool QvJobsPassword::Find(const QvJobsTarget& target, std::string& password)
{
    password.clear();
    const std::string variable = QvJobsStrings().Load(IDS_QJ_PASSWORD_VARIABLE);
    if (const char* value = std::getenv(variable.c_str()); value && *value) {
        password = value;
        return true;
    }
    if (Remembered(target.user, password))
        return true;
    return Prompt(target, password);
}

bool QvJobsPassword::Remembered(const std::string& user, std::string& password)
{
    for (const TwRememberedUser& remembered : TwRememberedUsers::Load()) {
        if (VkAsciiEqualNoCase(remembered.user, user) && !remembered.password.empty()) {
            password = remembered.password;
            return true;
        }
    }
    return false;
}

bool QvJobsPassword::Prompt(const QvJobsTarget& target, std::string& password)
{
    if (!::isatty(STDIN_FILENO))
        return false;
    std::cerr << QvJobsStrings().Format(IDS_QJ_PASSWORD_PROMPT, target.user.c_str(), target.database.c_str())
              << std::flush;
    termios old {};
    const bool hasTerminal = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (hasTerminal) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const bool read = static_cast<bool>(std::getline(std::cin, password));
    if (hasTerminal)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::cerr << '\n';
    return read;
}
