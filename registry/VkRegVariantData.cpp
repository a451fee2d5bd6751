#include "registry/VkRegVariantData.h"

VkRegTypes VkRegVariantData::TypeOf(VARTYPE vt)
{
    if (vt & VT_ARRAY)
        return dtypeBinary;
    switch (vt & VT_TYPEMASK) {
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return dtypeInteger;
    default:
        return dtypeString;
    }
}

bool VkRegVariantData::ToText(std::string* out) const
{
    if (m_value.vt & VT_ARRAY)
        return false; // bytes are not text
    return SUCCEEDED(m_value.ToText(out));
}

bool VkRegVariantData::ToInt32(LONG* out) const
{
    return SUCCEEDED(m_value.ToLong(out));
}

bool VkRegVariantData::ToBytes(std::vector<BYTE>* out) const
{
    return SUCCEEDED(m_value.ToBytes(out));
}

HRESULT VkRegVariantData::ToVariant(const VkRegDataPtr& data, VARIANT* out)
{
    VkVariant value(std::string_view{});
    if (!data || data->IsEmpty())
        return value.Detach(out); // empty data reads as an empty string
    if (auto variant = std::dynamic_pointer_cast<const VkRegVariantData>(data))
        return VariantCopy(out, &variant->m_value);
    if (auto plain = std::dynamic_pointer_cast<const VkRegPlainData>(data)) {
        if (const LONG* number = plain->AsNumber())
            value = VkVariant(*number);
        else if (const std::vector<BYTE>* bytes = plain->AsBytes())
            value = VkVariant::Bytes(bytes->data(), bytes->size());
        else if (const std::string* text = plain->AsText())
            value = VkVariant(std::string_view(*text));
    } else {
        std::string text;
        if (data)
            data->ToText(&text);
        value = VkVariant(std::string_view(text));
    }
    return value.Detach(out);
}
