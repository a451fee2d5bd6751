#include "ociw32/server/OraUndoImage.h"

#include <sqlite3.h>

#include <cstring>

namespace VkOracle {
namespace {

template <typename T>
void AppendRaw(std::string* out, const T& v)
{
    out->append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Reads the value at `*at`; false past the end or on damage.
bool ReadValue(const unsigned char* p, size_t size, size_t* at, UndoValue* v)
{
    if (*at >= size)
        return false;
    v->type = p[(*at)++];
    switch (v->type) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        if (size - *at < 8)
            return false;
        if (v->type == SQLITE_INTEGER)
            std::memcpy(&v->i, p + *at, 8);
        else
            std::memcpy(&v->d, p + *at, 8);
        *at += 8;
        return true;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        uint32_t n = 0;
        if (size - *at < 4)
            return false;
        std::memcpy(&n, p + *at, 4);
        *at += 4;
        if (size - *at < n)
            return false;
        v->bytes.assign(reinterpret_cast<const char*>(p + *at), n);
        *at += n;
        return true;
    }
    case SQLITE_NULL:
        return true;
    default:
        return false;
    }
}

void UndoColFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
    const size_t size = static_cast<size_t>(sqlite3_value_bytes(argv[0]));
    const int64_t want = sqlite3_value_int64(argv[1]);
    size_t at = 0;
    UndoValue v;
    for (int64_t i = 0; p && ReadValue(p, size, &at, &v); ++i) {
        if (i != want)
            continue;
        switch (v.type) {
        case SQLITE_INTEGER: sqlite3_result_int64(ctx, v.i); return;
        case SQLITE_FLOAT: sqlite3_result_double(ctx, v.d); return;
        case SQLITE_TEXT:
            sqlite3_result_text(ctx, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
            return;
        case SQLITE_BLOB:
            sqlite3_result_blob(ctx, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
            return;
        default: break;
        }
        break;
    }
    sqlite3_result_null(ctx);
}

} // namespace

bool UndoValue::operator==(const UndoValue& o) const
{
    const bool num = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    const bool otherNum = o.type == SQLITE_INTEGER || o.type == SQLITE_FLOAT;
    if (num && otherNum) {
        if (type == SQLITE_INTEGER && o.type == SQLITE_INTEGER)
            return i == o.i;
        const double a = type == SQLITE_INTEGER ? static_cast<double>(i) : d;
        const double b = o.type == SQLITE_INTEGER ? static_cast<double>(o.i) : o.d;
        return a == b;
    }
    return type == o.type && bytes == o.bytes;
}

void AppendUndoValue(std::string* image, sqlite3_value* value)
{
    const int type = value ? sqlite3_value_type(value) : SQLITE_NULL;
    image->push_back(static_cast<char>(type));
    if (type == SQLITE_INTEGER) {
        AppendRaw(image, static_cast<int64_t>(sqlite3_value_int64(value)));
    } else if (type == SQLITE_FLOAT) {
        AppendRaw(image, sqlite3_value_double(value));
    } else if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const void* p = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                            : sqlite3_value_blob(value);
        const uint32_t n = static_cast<uint32_t>(sqlite3_value_bytes(value));
        AppendRaw(image, n);
        if (p && n)
            image->append(static_cast<const char*>(p), n);
    }
}

std::vector<UndoValue> DecodeUndoImage(const void* data, int size)
{
    std::vector<UndoValue> out;
    const auto* p = static_cast<const unsigned char*>(data);
    size_t at = 0;
    UndoValue v;
    while (p && at < static_cast<size_t>(size)) {
        if (!ReadValue(p, static_cast<size_t>(size), &at, &v))
            return {};
        out.push_back(v);
    }
    return out;
}

UndoValue UndoValueOf(sqlite3_value* value)
{
    std::string image;
    AppendUndoValue(&image, value);
    std::vector<UndoValue> one = DecodeUndoImage(image.data(), static_cast<int>(image.size()));
    return one.empty() ? UndoValue{} : one.front();
}

void RegisterUndoFunctions(sqlite3* db)
{
    sqlite3_create_function_v2(db, "ora_undo_col", 2, SQLITE_UTF8 | SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC, nullptr,
                               UndoColFn, nullptr, nullptr, nullptr);
}

} // namespace VkOracle
