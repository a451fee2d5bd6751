#include "ociw32/server/SqlType.h"

namespace VkOracle {

SqlType SqlTypeFromCatalog(const std::string& dataType, int length, int precision, int scale, bool nullable)
{
    SqlType t;
    t.nullable = nullable;
    if (dataType == "NUMBER" || dataType == "FLOAT" || dataType == "BINARY_INTEGER") {
        t.base = SqlBaseType::Number;
        t.size = 22;
        t.precision = precision;
        t.scale = scale;
    } else if (dataType == "DATE") {
        t.base = SqlBaseType::Date;
        t.size = 7;
    } else if (dataType == "CHAR" || dataType == "NCHAR") {
        t.base = SqlBaseType::Char;
        t.size = length;
    } else if (dataType == "LONG") {
        t.base = SqlBaseType::Long;
        t.size = 0;
    } else if (dataType == "ROWID") {
        t.base = SqlBaseType::Rowid;
        t.size = 18;
    } else if (dataType == "RAW" || dataType == "LONG RAW") {
        t.base = SqlBaseType::Raw;
        t.size = length;
    } else {
        t.base = SqlBaseType::Varchar2;
        t.size = length;
    }
    return t;
}

int SqlTypeCode(const SqlType& type)
{
    switch (type.base) {
    case SqlBaseType::Number: return 2;
    case SqlBaseType::Date: return 12;
    case SqlBaseType::Char: return 96;
    case SqlBaseType::Long: return 8;
    case SqlBaseType::Rowid: return 11;
    case SqlBaseType::Raw: return 23;
    default: return 1;
    }
}

} // namespace VkOracle
