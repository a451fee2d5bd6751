#pragma once
// Data put through the automation interfaces: the VARIANT exactly as it was
// handed over, so that reading the value back gives the same variant, with
// the automation conversions for writing it to a store.

#include "registry/VkRegData.h"

#include "platform/VkVariant.h"

class VkRegVariantData : public VkRegData {
public:
    explicit VkRegVariantData(const VARIANT& value) : m_value(value) {}

    static VkRegDataPtr From(const VARIANT& value) { return std::make_shared<VkRegVariantData>(value); }
    // Any data as a VARIANT: text, a 32-bit number, a byte array or empty.
    static HRESULT ToVariant(const VkRegDataPtr& data, VARIANT* out);
    // The type a value takes from a variant of type vt.
    static VkRegTypes TypeOf(VARTYPE vt);

    bool IsEmpty() const override { return m_value.vt == VT_EMPTY; }
    VkRegTypes NaturalType() const override { return TypeOf(m_value.vt); }
    bool ToText(std::string* out) const override;
    bool ToInt32(LONG* out) const override;
    bool ToBytes(std::vector<BYTE>* out) const override;

    const VARIANT& Value() const { return m_value; }

private:
    VkVariant m_value;
};
