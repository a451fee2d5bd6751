#pragma once
// Splits tnsnames.ora text into entries, in one pass and with no limit on a
// line's length: lines are trimmed on the left, "#" lines are comments, a
// line break is no separator, and an entry ends at the end of a line where
// its parentheses balance. Damage is confined to the entry it is in: a ")"
// that closes nothing is dropped, and an entry still open when a line starts
// a new alias in the first column ("NAME = (") or when the text ends is
// skipped. Both readers (the program's and the client stand-in's) use it.

#include <functional>
#include <istream>
#include <string>
#include <string_view>

class VkTnsEntryScanner {
public:
    struct Result {
        bool readError = false; // the stream failed before its end
        bool damaged = false;   // text was dropped (a stray ")", an entry left open)
    };

    // Calls onEntry with each complete entry's text, in file order.
    static Result Scan(std::istream& in, const std::function<void(const std::string&)>& onEntry);
    // The same over text already read (no read error can happen).
    static Result Scan(std::string_view text, const std::function<void(const std::string&)>& onEntry);

    // Whether a line opens a new alias in its first column: a name, "=", "(".
    static bool StartsAlias(const std::string& line);

private:
    // The scan over lines as nextLine gives them (false at the end).
    static Result ScanLines(const std::function<bool(std::string*)>& nextLine,
                            const std::function<void(const std::string&)>& onEntry);
};
