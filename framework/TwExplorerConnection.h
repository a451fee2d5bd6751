#pragma once
// The explorer tool window's saved connection and its settings text:
// user, "|", password, "|", database.

#include <string>

struct TwExplorerConnection {
    std::string user;
    std::string password;
    std::string database;

    // The settings text.
    std::string Text() const;
    // Reads a settings text; false, leaving *connection alone, for a text
    // without two separators. The user is taken up to the first separator
    // and the database after the last, so a password holding "|" survives.
    static bool Parse(const std::string& text, TwExplorerConnection* connection);
    // Whether there is something to log on to without asking.
    bool HasDatabase() const { return !database.empty(); }
};
