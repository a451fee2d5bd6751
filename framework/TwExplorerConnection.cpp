#include "framework/TwExplorerConnection.h"

std::string TwExplorerConnection::Text() const
{
    return user + '|' + password + '|' + database;
}

bool TwExplorerConnection::Parse(const std::string& text, TwExplorerConnection* connection)
{
    const std::size_t first = text.find('|');
    const std::size_t last = text.rfind('|');
    if (first == std::string::npos || first == last || !connection)
        return false;
    connection->user = text.substr(0, first);
    connection->password = text.substr(first + 1, last - first - 1);
    connection->database = text.substr(last + 1);
    return true;
}
