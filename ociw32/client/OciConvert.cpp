#include "ociw32/client/OciConvert.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraNumber.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace VkOracle {

namespace {

bool IsTextType(int ftype)
{
    return ftype == 1 || ftype == 5 || ftype == 8 || ftype == 23 || ftype == 24 || ftype == 96
        || ftype == 97;
}

int ToNumber(const OraValue& v, OraNum* n)
{
    switch (v.kind) {
    case OraValue::Kind::Number:
        *n = v.number;
        return 0;
    case OraValue::Kind::Text:
        return ParseOracleNumber(v.text, n) ? 0 : 1722;
    default:
        return 932;
    }
}

int ToDate(const OraValue& v, int64_t* date)
{
    switch (v.kind) {
    case OraValue::Kind::Date:
        *date = v.date;
        return 0;
    case OraValue::Kind::Text: {
        int code = 0;
        return ParseOracleDate(v.text, kOraDefaultDateFormat, date, &code) ? 0 : (code ? code : 1858);
    }
    default:
        return 932;
    }
}

template <typename T>
bool FitsInt(double d)
{
    return d >= static_cast<double>(std::numeric_limits<T>::min())
        && d <= static_cast<double>(std::numeric_limits<T>::max());
}

OciCell StoreText(const std::string& text, int ftype, unsigned char* buf, int bufl)
{
    OciCell cell;
    const int n = static_cast<int>(text.size());
    int room = bufl;
    if (ftype == 5 || ftype == 97)
        room = bufl - 1; // the terminator counts in the buffer
    if (room < 0)
        room = 0;
    const int copied = n < room ? n : room;
    if (copied > 0)
        std::memcpy(buf, text.data(), static_cast<size_t>(copied));
    cell.length = copied;
    if (ftype == 96 || ftype == 97) {
        if (room > copied)
            std::memset(buf + copied, ' ', static_cast<size_t>(room - copied));
        cell.length = room;
    }
    if (ftype == 5 && bufl > 0)
        buf[copied] = '\0';
    else if (ftype == 97 && bufl > 0)
        buf[room] = '\0';
    if (n > room) {
        cell.rcode = 1406;
        cell.originalLength = n;
    }
    return cell;
}

} // namespace

std::string OciValueText(const OraValue& v)
{
    switch (v.kind) {
    case OraValue::Kind::Number:
        return FormatOracleNumber(v.number);
    case OraValue::Kind::Date:
        return FormatOracleDate(v.date, kOraDefaultDateFormat);
    case OraValue::Kind::Text:
        return v.text;
    default:
        return {};
    }
}

int OciCheckExternalType(int ftype, int length, bool forDefine)
{
    switch (ftype) {
    case 1: case 5: case 8: case 23: case 24: case 96: case 97:
        return forDefine && length < 0 ? 1460 : 0;
    case 2: case 6:
        return length < 0 ? 1460 : 0;
    case 3:
        return length == 1 || length == 2 || length == 4 || length == 8 ? 0 : 1460;
    case 4:
        return length == 4 || length == 8 ? 0 : 1460;
    case 12:
        return length >= 7 ? 0 : 1460;
    default:
        return 1460;
    }
}

OciCell OciStoreValue(const OraValue& value, int ftype, unsigned char* buf, int bufl)
{
    OciCell cell;
    if (value.kind == OraValue::Kind::Null) {
        cell.rcode = 1405;
        if ((ftype == 5 || ftype == 97) && buf && bufl > 0)
            buf[0] = '\0';
        return cell;
    }
    if (IsTextType(ftype)) {
        if ((ftype == 23 || ftype == 24) && value.kind != OraValue::Kind::Text) {
            cell.rcode = 932;
            return cell;
        }
        if (value.kind == OraValue::Kind::Text)
            return StoreText(value.text, ftype, buf, bufl);
        return StoreText(OciValueText(value), ftype, buf, bufl);
    }
    switch (ftype) {
    case 2:
    case 6: {
        OraNum n;
        if ((cell.rcode = ToNumber(value, &n)) != 0)
            return cell;
        unsigned char bytes[22];
        const int len = EncodeOracleNumber(n, ftype == 6 ? bytes + 1 : bytes);
        if (len == 0) {
            cell.rcode = 1426;
            return cell;
        }
        int total = len;
        if (ftype == 6) {
            bytes[0] = static_cast<unsigned char>(len);
            total = len + 1;
        }
        if (total > bufl) {
            cell.rcode = 1406;
            cell.originalLength = total;
            total = bufl;
        }
        std::memcpy(buf, bytes, static_cast<size_t>(total));
        cell.length = total;
        return cell;
    }
    case 3: {
        OraNum n;
        if ((cell.rcode = ToNumber(value, &n)) != 0)
            return cell;
        // The fraction is dropped, as a C cast would.
        const double d = n.isInt ? static_cast<double>(n.i) : std::trunc(n.d);
        const int64_t i = n.isInt ? n.i : (std::fabs(d) < 9.2e18 ? static_cast<int64_t>(d) : 0);
        bool fits = false;
        switch (bufl) {
        case 1: fits = FitsInt<int8_t>(d); if (fits) { int8_t v = static_cast<int8_t>(i); std::memcpy(buf, &v, 1); } break;
        case 2: fits = FitsInt<int16_t>(d); if (fits) { int16_t v = static_cast<int16_t>(i); std::memcpy(buf, &v, 2); } break;
        case 4: fits = FitsInt<int32_t>(d); if (fits) { int32_t v = static_cast<int32_t>(i); std::memcpy(buf, &v, 4); } break;
        case 8: fits = n.isInt || std::fabs(d) < 9.2e18; if (fits) std::memcpy(buf, &i, 8); break;
        default: break;
        }
        if (!fits) {
            cell.rcode = bufl == 1 || bufl == 2 || bufl == 4 || bufl == 8 ? 1455 : 1460;
            return cell;
        }
        cell.length = bufl;
        return cell;
    }
    case 4: {
        OraNum n;
        if ((cell.rcode = ToNumber(value, &n)) != 0)
            return cell;
        const double d = n.AsDouble();
        if (bufl == 4) {
            const float f = static_cast<float>(d);
            std::memcpy(buf, &f, 4);
        } else if (bufl == 8) {
            std::memcpy(buf, &d, 8);
        } else {
            cell.rcode = 1460;
            return cell;
        }
        cell.length = bufl;
        return cell;
    }
    case 12: {
        int64_t date = 0;
        if ((cell.rcode = ToDate(value, &date)) != 0)
            return cell;
        if (bufl < 7) {
            cell.rcode = 1460;
            return cell;
        }
        if (!EncodeOracleDate(date, buf)) {
            cell.rcode = 1841;
            return cell;
        }
        cell.length = 7;
        return cell;
    }
    default:
        cell.rcode = 1460;
        return cell;
    }
}

int OciLoadValue(const unsigned char* buf, int length, int ftype, OraValue* value)
{
    *value = OraValue{};
    if (!buf)
        return 0; // no variable: NULL
    switch (ftype) {
    case 1: case 8: case 23: case 24: case 96: case 5: case 97: {
        size_t n = 0;
        const char* p = reinterpret_cast<const char*>(buf);
        if (length < 0)
            n = std::strlen(p);
        else if (ftype == 5 || ftype == 97)
            n = strnlen(p, static_cast<size_t>(length));
        else
            n = static_cast<size_t>(length);
        if (n == 0)
            return 0; // an empty string is NULL
        value->kind = OraValue::Kind::Text;
        value->text.assign(p, n);
        return 0;
    }
    case 2:
    case 6: {
        const unsigned char* bytes = buf;
        int n = length;
        if (ftype == 6) {
            n = length > 0 ? buf[0] : 0;
            bytes = buf + 1;
            if (length > 0 && n > length - 1)
                return 1722;
        }
        OraNum num;
        if (n <= 0 || !DecodeOracleNumber(bytes, n, &num))
            return 1722;
        value->kind = OraValue::Kind::Number;
        value->number = num;
        return 0;
    }
    case 3: {
        int64_t i = 0;
        switch (length) {
        case 1: { int8_t v; std::memcpy(&v, buf, 1); i = v; break; }
        case 2: { int16_t v; std::memcpy(&v, buf, 2); i = v; break; }
        case 4: { int32_t v; std::memcpy(&v, buf, 4); i = v; break; }
        case 8: { std::memcpy(&i, buf, 8); break; }
        default: return 1460;
        }
        value->kind = OraValue::Kind::Number;
        value->number = OraNumFromInt(i);
        return 0;
    }
    case 4: {
        double d = 0;
        if (length == 4) {
            float f;
            std::memcpy(&f, buf, 4);
            d = f;
        } else if (length == 8) {
            std::memcpy(&d, buf, 8);
        } else {
            return 1460;
        }
        if (!std::isfinite(d))
            return 1426;
        value->kind = OraValue::Kind::Number;
        value->number = OraNumFromDouble(d);
        return 0;
    }
    case 12: {
        if (length >= 0 && length < 7)
            return 1460;
        int64_t date = 0;
        if (!DecodeOracleDate(buf, &date))
            return 1841;
        value->kind = OraValue::Kind::Date;
        value->date = date;
        return 0;
    }
    default:
        return 1460;
    }
}

} // namespace VkOracle
