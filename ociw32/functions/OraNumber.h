#pragma once
// Oracle NUMBER values as the engine stores them (an exact integer when the
// value is integral and fits in 64 bits, else a double), their text forms and
// the number format models of TO_CHAR and TO_NUMBER.
//
// Doubles carry about 15 significant decimal digits where Oracle keeps 38, so
// a value prints with at most 15 significant digits: 1/3 is ".333333333333333"
// where Oracle prints 40 digits. Rounding works on those decimal digits, so
// ROUND(2.675, 2) is 2.68 as in Oracle.

#include <cstdint>
#include <string>

namespace VkOracle {

struct OraNum {
    bool isInt = true;
    int64_t i = 0;
    double d = 0.0;

    double AsDouble() const { return isInt ? static_cast<double>(i) : d; }
};

// An integer when `value` is integral and fits in int64, else the double.
OraNum OraNumFromDouble(double value);
inline OraNum OraNumFromInt(int64_t value) { return OraNum{true, value, 0.0}; }

// Oracle's text for a number without a format: no leading zero (".5",
// "-.5"), no trailing zeros, no exponent up to 40 characters
// ("100000000000000000000"), beyond that "1.0000E+40".
std::string FormatOracleNumber(const OraNum& value);
std::string FormatOracleNumber(double value);
std::string FormatOracleNumber(int64_t value);

// Implicit text-to-number conversion: optional blanks, sign, digits with an
// optional decimal point, optional exponent. False (ORA-01722) otherwise.
bool ParseOracleNumber(const std::string& text, OraNum* value);

// TO_CHAR(number, fmt) with the elements 9 0 . , D G $ L C B S MI PR FM V
// EEEE X RN TM. A value too wide for the model gives '#' characters as in
// Oracle. Returns 0 or 1481 (invalid number format model).
int FormatOracleNumberModel(const OraNum& value, const std::string& fmt, std::string* out);

// TO_NUMBER(text, fmt). Returns 0, 1722 (text does not fit the model) or 1481.
int ParseOracleNumberModel(const std::string& text, const std::string& fmt, OraNum* value);

// ROUND/TRUNC(n, places), half away from zero on the decimal digits; places
// may be negative.
OraNum OraRoundNumber(const OraNum& value, int places);
OraNum OraTruncNumber(const OraNum& value, int places);

// Oracle's internal NUMBER bytes (external type 2; VARNUM, type 6, is a
// length byte followed by them): an exponent byte and base-100 digits, with a
// 102 terminator on negative values. Encode returns the byte count (1..21),
// 0 for a value that has no such form; at most 21 bytes are written.
int EncodeOracleNumber(const OraNum& value, unsigned char out[21]);
// False for bytes that are no valid NUMBER.
bool DecodeOracleNumber(const unsigned char* bytes, int length, OraNum* value);

} // namespace VkOracle
