#pragma once
// The users a logon dialog remembers, in the scheduler control's settings
// store: one encrypted record "password|database" per user name under
// "Login\Users", and the user of the last successful logon under "Login".
// Both logon dialogs (the framework's and the scheduler control's queue
// logon) read and write them this way, so a user remembered by either is
// offered by both. Value names compare without regard to case, as in the
// registry, so "scott" and "SCOTT" share one record.

#include <string>
#include <vector>

struct TwRememberedUser {
    std::string user;     // as typed, case kept
    std::string password; // everything before the record's last "|"
    std::string database; // empty when the record had none
};

class TwRememberedUsers {
public:
    static constexpr const char* CompanyPath = "Tarnwick\\QVCtrl";
    static constexpr const char* ApplicationKey = "SchedulerCtrl";
    static constexpr const char* UsersSection = "Login\\Users";
    static constexpr const char* LoginSection = "Login";
    static constexpr const char* LastUserValue = "Last User";

    // Every remembered user in name order; lastUser (when given) receives
    // the last user's name. Empty when the store cannot be opened.
    static std::vector<TwRememberedUser> Load(std::string* lastUser = nullptr);
    // Remembers the user with password and database and makes it the last
    // user. Failures of the store are swallowed: the logon goes on.
    static void Remember(const std::string& user, const std::string& password, const std::string& database);
};
