#pragma once
// Static types of the Oracle front end: what describe reports and what the
// compiler uses to pick Oracle's conversion and operator rules.

#include <string>

namespace VkOracle {

enum class SqlBaseType { Unknown, Number, Varchar2, Char, Date, Long, Rowid, Raw };

struct SqlType {
    SqlBaseType base = SqlBaseType::Unknown;
    int size = 0;      // bytes for text types; 22 NUMBER, 7 DATE
    int precision = 0;
    int scale = 0;
    bool nullable = true;

    bool IsText() const { return base == SqlBaseType::Varchar2 || base == SqlBaseType::Char || base == SqlBaseType::Long; }
    bool IsNumber() const { return base == SqlBaseType::Number; }
    bool IsDate() const { return base == SqlBaseType::Date; }
    bool IsUnknown() const { return base == SqlBaseType::Unknown; }
};

inline SqlType NumberType(int precision = 0, int scale = 0)
{
    return SqlType{SqlBaseType::Number, 22, precision, scale, true};
}
inline SqlType DateType() { return SqlType{SqlBaseType::Date, 7, 0, 0, true}; }
inline SqlType TextType(int size) { return SqlType{SqlBaseType::Varchar2, size, 0, 0, true}; }

// The type of a catalogue column from its DATA_TYPE and sizes.
SqlType SqlTypeFromCatalog(const std::string& dataType, int length, int precision, int scale, bool nullable);
// Internal type code odescr reports (1, 2, 8, 11, 12, 23, 24, 96).
int SqlTypeCode(const SqlType& type);

} // namespace VkOracle
