#pragma once
// Helpers for the automation value tests: a readable description of a
// VARIANT ("I4 42", "BSTR \"x\"") so tables can state expected results.

#include "platform/VkNumberText.h"
#include "platform/VkVariant.h"

#include <QLocale>

#include <cstdio>
#include <string>

namespace vartest {

inline std::string Describe(const VARIANT& v)
{
    switch (v.vt) {
    case VT_EMPTY: return "EMPTY";
    case VT_NULL: return "NULL";
    case VT_I1: return "I1 " + std::to_string(v.cVal);
    case VT_I2: return "I2 " + std::to_string(v.iVal);
    case VT_I4: return "I4 " + std::to_string(v.lVal);
    case VT_INT: return "INT " + std::to_string(v.intVal);
    case VT_I8: return "I8 " + std::to_string(v.llVal);
    case VT_UI1: return "UI1 " + std::to_string(v.bVal);
    case VT_UI2: return "UI2 " + std::to_string(v.uiVal);
    case VT_UI4: return "UI4 " + std::to_string(v.ulVal);
    case VT_UINT: return "UINT " + std::to_string(v.uintVal);
    case VT_UI8: return "UI8 " + std::to_string(v.ullVal);
    // Numbers with a decimal point in every locale the suite runs in.
    case VT_R4: return "R4 " + VkFormatDouble(double(v.fltVal), std::chars_format::general, 9);
    case VT_R8: return "R8 " + VkFormatDouble(v.dblVal, std::chars_format::general, 17);
    case VT_DATE: return "DATE " + VkFormatDouble(v.date, std::chars_format::general, 17);
    case VT_BOOL: return "BOOL " + std::to_string(v.boolVal);
    case VT_ERROR: return "ERROR " + std::to_string(v.scode);
    case VT_BSTR: return "BSTR \"" + VkBstrToUtf8(v.bstrVal) + "\"";
    case VT_DISPATCH: return "DISPATCH";
    case VT_UNKNOWN: return "UNKNOWN";
    default: return "vt " + std::to_string(v.vt);
    }
}

inline std::string HrName(HRESULT hr)
{
    switch (hr) {
    case S_OK: return "S_OK";
    case DISP_E_TYPEMISMATCH: return "DISP_E_TYPEMISMATCH";
    case DISP_E_OVERFLOW: return "DISP_E_OVERFLOW";
    case DISP_E_BADVARTYPE: return "DISP_E_BADVARTYPE";
    case E_INVALIDARG: return "E_INVALIDARG";
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
        return buf;
    }
    }
}

// Sets the default locale for the scope of a test.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : m_previous(QLocale()) { QLocale::setDefault(QLocale(name)); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

} // namespace vartest
