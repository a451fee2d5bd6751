#pragma once
// The before-image of a row kept in an undo record: each column as a type
// byte and its value, exact for integers, doubles, text and blobs.

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_value;

namespace VkOracle {

struct UndoValue {
    int type = 5; // SQLite's type code (SQLITE_NULL)
    int64_t i = 0;
    double d = 0;
    std::string bytes; // text or blob
    bool operator==(const UndoValue& o) const;
};

// Appends one value to an image.
void AppendUndoValue(std::string* image, sqlite3_value* value);
// The columns of an image; empty for a damaged one.
std::vector<UndoValue> DecodeUndoImage(const void* data, int size);
// The value of a row read back from a table, for comparing with an image.
UndoValue UndoValueOf(sqlite3_value* value);
// Registers ora_undo_col(image, index): one column of an image, NULL past its end.
void RegisterUndoFunctions(sqlite3* db);

} // namespace VkOracle
