#pragma once
// The data a registry value object holds. The tree keeps it behind this
// interface so that the automation layer can store its variants unchanged
// (a put hands back exactly what was put) while reading and writing the
// registry only needs the three conversions below.

#include "registry/VkRegEnums.h"

#include "platform/WinTypes.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

class VkRegData {
public:
    virtual ~VkRegData();

    virtual bool IsEmpty() const = 0;
    // The type a value takes when this data is put into it.
    virtual VkRegTypes NaturalType() const = 0;
    // Conversions used when writing; false when the data has no such form.
    virtual bool ToText(std::string* out) const = 0;
    virtual bool ToInt32(LONG* out) const = 0;
    virtual bool ToBytes(std::vector<BYTE>* out) const = 0;
};

using VkRegDataPtr = std::shared_ptr<const VkRegData>;

// Data as the registry and INI files deliver it: nothing, text, a 32-bit
// number or bytes.
class VkRegPlainData : public VkRegData {
public:
    VkRegPlainData() = default;
    explicit VkRegPlainData(std::string text) : m_data(std::move(text)) {}
    explicit VkRegPlainData(LONG number) : m_data(number) {}
    explicit VkRegPlainData(std::vector<BYTE> bytes) : m_data(std::move(bytes)) {}

    static VkRegDataPtr Empty() { return std::make_shared<VkRegPlainData>(); }
    static VkRegDataPtr Text(std::string text) { return std::make_shared<VkRegPlainData>(std::move(text)); }
    static VkRegDataPtr Number(LONG number) { return std::make_shared<VkRegPlainData>(number); }
    static VkRegDataPtr Bytes(std::vector<BYTE> bytes) { return std::make_shared<VkRegPlainData>(std::move(bytes)); }

    bool IsEmpty() const override;
    VkRegTypes NaturalType() const override;
    bool ToText(std::string* out) const override;
    bool ToInt32(LONG* out) const override;
    bool ToBytes(std::vector<BYTE>* out) const override;

    const std::string* AsText() const { return std::get_if<std::string>(&m_data); }
    const LONG* AsNumber() const { return std::get_if<LONG>(&m_data); }
    const std::vector<BYTE>* AsBytes() const { return std::get_if<std::vector<BYTE>>(&m_data); }

private:
    std::variant<std::monostate, std::string, LONG, std::vector<BYTE>> m_data;
};

// Text to a 32-bit number the way the automation conversion reads it:
// blanks around it allowed, a sign, decimals rounded half to even; false
// for anything else or when out of range.
bool VkRegTextToInt32(const std::string& text, LONG* out);
