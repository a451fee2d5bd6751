#pragma once
// An owning VARIANT: cleared on destruction, copied with VariantCopy, built
// from C++ values (text is UTF-8), read back through the Windows
// conversions. It is a VARIANT, so &v passes where a VARIANT* is wanted.

#include "platform/Variant.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class VkVariant : public VARIANT {
public:
    VkVariant() { VariantInit(this); }
    VkVariant(bool value);
    VkVariant(SHORT value);
    VkVariant(LONG value);
    VkVariant(ULONG value);
    VkVariant(int64_t value);
    VkVariant(uint64_t value);
    VkVariant(BYTE value);
    VkVariant(FLOAT value);
    VkVariant(DOUBLE value);
    VkVariant(const char* utf8);
    VkVariant(std::string_view utf8);
    VkVariant(const std::string& utf8) : VkVariant(std::string_view(utf8)) {}
    // Holds a reference of its own (AddRef); null stays a null object.
    VkVariant(IDispatch* object);
    VkVariant(IUnknown* object);
    // A deep copy of any VARIANT.
    VkVariant(const VARIANT& other);
    VkVariant(const VkVariant& other) : VkVariant(static_cast<const VARIANT&>(other)) {}
    VkVariant(VkVariant&& other) noexcept;
    VkVariant& operator=(const VkVariant& other);
    VkVariant& operator=(VkVariant&& other) noexcept;
    ~VkVariant() { VariantClear(this); }

    static VkVariant Null();
    static VkVariant Date(DATE value);
    static VkVariant Error(SCODE code);
    // A one-dimensional byte array (VT_ARRAY | VT_UI1, or VT_I1 for signed).
    static VkVariant Bytes(const void* data, std::size_t size, VARTYPE elementType = VT_UI1);

    // Empties the value.
    void Clear() { VariantClear(this); }
    // Takes over v's value; v is left empty (it must own what it holds).
    void Attach(VARIANT* v);
    // Moves the value into *out (for [out] parameters); this becomes empty.
    HRESULT Detach(VARIANT* out);
    // Converts in place; on failure the value is unchanged.
    HRESULT ChangeType(VARTYPE type, WORD flags = 0);

    // Conversions by the Windows rules; on failure *out is untouched.
    HRESULT ToText(std::string* out, WORD flags = 0) const;
    HRESULT ToLong(LONG* out) const;
    HRESULT ToBool(bool* out) const;
    HRESULT ToDate(DATE* out) const;
    // The bytes of a byte array; E_INVALIDARG when it is not one.
    HRESULT ToBytes(std::vector<BYTE>* out) const;
};
