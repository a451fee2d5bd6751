#pragma once
// The registry automation module's interfaces and class identifiers: the
// contract between VkReg and its users (the settings store creates a
// VkRegSource by class identifier and talks to it only through these).
// All interfaces are dual: callable through the vtable and through
// IDispatch by name or by DISPID.

#include "registry/VkRegEnums.h"

#include "platform/ComInterfaces.h"
#include "platform/Variant.h"

constexpr CLSID CLSID_VkRegSource = {0x8AF90668, 0xA1AF, 0x49F2, {0x8C, 0x84, 0x5B, 0xF8, 0x72, 0xE5, 0x8E, 0x6A}};
constexpr CLSID CLSID_VkRegKey = {0x79B72F0F, 0xCA39, 0x49F4, {0xB8, 0x7D, 0x1B, 0x87, 0xDA, 0xC6, 0x20, 0x46}};
constexpr CLSID CLSID_VkRegValue = {0x24200000, 0xE61C, 0x488C, {0xBB, 0x24, 0xB3, 0x74, 0x4E, 0xAA, 0x94, 0x0C}};
constexpr GUID LIBID_VKREGLib = {0x10F45981, 0xA728, 0x464D, {0x87, 0x02, 0x30, 0x39, 0x5D, 0x0B, 0xF0, 0x4A}};

constexpr IID IID_IVkRegSource = {0x5C0E1A10, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};
constexpr IID IID_IVkRegKey = {0x5C0E1A11, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};
constexpr IID IID_IVkRegKeyIter = {0x5C0E1A12, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};
constexpr IID IID_IVkRegValueIter = {0x5C0E1A13, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};
constexpr IID IID_IVkRegValue = {0x5C0E1A14, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};
constexpr IID IID_IVkRegSubValues = {0x5C0E1A15, 0x3B7D, 0x4E2A, {0x9F, 0x41, 0x7D, 0x2C, 0x11, 0xA0, 0x63, 0x01}};

struct IVkRegKey;
struct IVkRegValue;

struct IVkRegSource : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegSource; }
    using BaseInterface = IDispatch;
    virtual HRESULT Read(BSTR applicationKey, IVkRegKey** key) = 0;                 // [1]
    virtual HRESULT get_Source(VkRegSources* source) = 0;                            // [2]
    virtual HRESULT put_Source(VkRegSources source) = 0;
    virtual HRESULT get_HomePath(BSTR* path) = 0;                                    // [3]
    virtual HRESULT put_HomePath(BSTR path) = 0;
    // force: optional; counts only when it is the boolean true (-1).
    virtual HRESULT Write(IVkRegKey* key, VARIANT force) = 0;                        // [4]
    virtual HRESULT WriteDefault(IVkRegKey* key, VARIANT force) = 0;                 // [5]
    virtual HRESULT RemoveKey(IVkRegKey* key) = 0;                                   // [6]
};

struct IVkRegKey : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegKey; }
    using BaseInterface = IDispatch;
    virtual HRESULT get_Value(BSTR name, VARIANT* data) = 0;                         // [0]
    virtual HRESULT put_Value(BSTR name, VARIANT data) = 0;
    virtual HRESULT get_Values(LONG* count) = 0;                                     // [1]
    virtual HRESULT get_Keys(LONG* count) = 0;                                       // [2]
    virtual HRESULT ValueObject(BSTR name, IVkRegValue** value) = 0;                 // [3]
    virtual HRESULT Key(BSTR name, IVkRegKey** key) = 0;                             // [4]
    virtual HRESULT TraverseKeyFind(BSTR name, IVkRegKey** key) = 0;                 // [5]
    virtual HRESULT TraverseValueFind(BSTR name, IVkRegValue** value) = 0;           // [6]
    virtual HRESULT AddKey(BSTR name, IVkRegKey** key) = 0;                          // [7]
    virtual HRESULT AddKeyObject(IVkRegKey* key) = 0;                                // [8]
    virtual HRESULT RemoveKey(BSTR name, IVkRegKey** key) = 0;                       // [9]
    virtual HRESULT RemoveValue(BSTR name, IVkRegValue** value) = 0;                 // [10]
    virtual HRESULT get_Name(BSTR* name) = 0;                                        // [11]
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_ValueExists(BSTR name, VARIANT_BOOL* exists) = 0;            // [12]
    virtual HRESULT get_KeyExists(BSTR name, VARIANT_BOOL* exists) = 0;              // [13]
    virtual HRESULT Clear() = 0;                                                     // [14]
    virtual HRESULT RemoveAllValues() = 0;                                           // [15]
    virtual HRESULT RemoveAllKeys() = 0;                                             // [16]
};

struct IVkRegKeyIter : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegKeyIter; }
    using BaseInterface = IDispatch;
    virtual HRESULT Reset() = 0;                                                     // [2]
    // S_FALSE and null past the last sub-key.
    virtual HRESULT Next(IVkRegKey** key) = 0;                                       // [4]
};

struct IVkRegValueIter : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegValueIter; }
    using BaseInterface = IDispatch;
    virtual HRESULT Reset() = 0;                                                     // [2]
    virtual HRESULT Next(IVkRegValue** value) = 0;                                   // [4]
};

struct IVkRegValue : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegValue; }
    using BaseInterface = IDispatch;
    virtual HRESULT get_Name(BSTR* name) = 0;                                        // [1]
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_Value(VARIANT* data) = 0;                                    // [2]
    virtual HRESULT put_Value(VARIANT data) = 0;
    virtual HRESULT get_Type(VkRegTypes* type) = 0;                                  // [3]
    virtual HRESULT put_Type(VkRegTypes type) = 0;
};

struct IVkRegSubValues : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegSubValues; }
    using BaseInterface = IDispatch;
    virtual HRESULT get_SubValue(LONG index, BSTR* part) = 0;                        // [0]
    virtual HRESULT put_SubValue(LONG index, BSTR part) = 0;
    virtual HRESULT get_Delimiters(BSTR* delimiters) = 0;                            // [1]
    virtual HRESULT put_Delimiters(BSTR delimiters) = 0;
    virtual HRESULT get_Parts(LONG* count) = 0;                                      // [2]
};
