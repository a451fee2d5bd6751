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

// Every method answers E_POINTER for a null out-pointer. [n] is the DISPID.
// Objects handed out are new references the caller releases.

struct IVkRegSource : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegSource; }
    using BaseInterface = IDispatch;
    // A new tree of the branch below the home path; S_FALSE and null when it cannot be opened or no INI file exists.
    virtual HRESULT Read(BSTR applicationKey, IVkRegKey** key) = 0;                 // [1]
    // Where trees come from: sourceRegistry or sourceINIFile. Always S_OK.
    virtual HRESULT get_Source(VkRegSources* source) = 0;                            // [2]
    // E_FAIL, changing nothing, for anything but sourceRegistry or sourceINIFile.
    virtual HRESULT put_Source(VkRegSources source) = 0;
    // The registry path or the INI files' folder. Always S_OK.
    virtual HRESULT get_HomePath(BSTR* path) = 0;                                    // [3]
    // Always S_OK; an unknown root name later reads below HKEY_CURRENT_USER.
    virtual HRESULT put_HomePath(BSTR path) = 0;
    // Stores the tree's changes (every value when forced): S_FALSE when any failed, E_INVALIDARG for a foreign key.
    // force: optional; counts only when it is the boolean true (-1).
    virtual HRESULT Write(IVkRegKey* key, VARIANT force) = 0;                        // [4]
    // The same as Write.
    virtual HRESULT WriteDefault(IVkRegKey* key, VARIANT force) = 0;                 // [5]
    // Deletes the key's branch or INI file: S_FALSE if nothing was there or it failed, E_INVALIDARG for a foreign key.
    virtual HRESULT RemoveKey(IVkRegKey* key) = 0;                                   // [6]
};

struct IVkRegKey : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegKey; }
    using BaseInterface = IDispatch;
    // The value's data; S_FALSE, leaving *data alone, when there is no such value.
    virtual HRESULT get_Value(BSTR name, VARIANT* data) = 0;                         // [0]
    // Creates or replaces the value (a new one typed from the data); fails only if the VARIANT cannot be copied.
    virtual HRESULT put_Value(BSTR name, VARIANT data) = 0;
    // Number of values that are not removed. Always S_OK.
    virtual HRESULT get_Values(LONG* count) = 0;                                     // [1]
    // Number of sub-keys that are not removed. Always S_OK.
    virtual HRESULT get_Keys(LONG* count) = 0;                                       // [2]
    // The value as an object; S_FALSE and null when there is no such value.
    virtual HRESULT ValueObject(BSTR name, IVkRegValue** value) = 0;                 // [3]
    // The sub-key at a path (levels separated by a backslash); S_FALSE and null when any level is missing.
    virtual HRESULT Key(BSTR name, IVkRegKey** key) = 0;                             // [4]
    // The first sub-key of that name below, depth first in name order; S_FALSE and null when none.
    virtual HRESULT TraverseKeyFind(BSTR name, IVkRegKey** key) = 0;                 // [5]
    // The first value of that name here or anywhere below; S_FALSE and null when none.
    virtual HRESULT TraverseValueFind(BSTR name, IVkRegValue** value) = 0;           // [6]
    // The sub-key at the path, made with every missing level; E_INVALIDARG and null for a path without a name.
    virtual HRESULT AddKey(BSTR name, IVkRegKey** key) = 0;                          // [7]
    // Enters key under its own name, replacing one; E_INVALIDARG for a foreign or nameless key or a cycle.
    virtual HRESULT AddKeyObject(IVkRegKey* key) = 0;                                // [8]
    // Marks the sub-key removed (deleted by the next write) and hands it back; S_FALSE and null when absent.
    virtual HRESULT RemoveKey(BSTR name, IVkRegKey** key) = 0;                       // [9]
    // Marks the value removed and hands it back; S_FALSE and null when absent.
    virtual HRESULT RemoveValue(BSTR name, IVkRegValue** value) = 0;                 // [10]
    // The key's own name. Always S_OK.
    virtual HRESULT get_Name(BSTR* name) = 0;                                        // [11]
    // Renames the key in the tree. Always S_OK.
    virtual HRESULT put_Name(BSTR name) = 0;
    // Whether a value of that name exists and is not removed. Always S_OK.
    virtual HRESULT get_ValueExists(BSTR name, VARIANT_BOOL* exists) = 0;            // [12]
    // Whether a sub-key at that path exists and is not removed. Always S_OK.
    virtual HRESULT get_KeyExists(BSTR name, VARIANT_BOOL* exists) = 0;              // [13]
    // Marks every value and sub-key removed. Always S_OK.
    virtual HRESULT Clear() = 0;                                                     // [14]
    // Marks every value removed. Always S_OK.
    virtual HRESULT RemoveAllValues() = 0;                                           // [15]
    // Marks every sub-key removed. Always S_OK.
    virtual HRESULT RemoveAllKeys() = 0;                                             // [16]
};

struct IVkRegKeyIter : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegKeyIter; }
    using BaseInterface = IDispatch;
    // Starts the sub-key iteration again from the first name. Always S_OK.
    virtual HRESULT Reset() = 0;                                                     // [2]
    // The next sub-key in name order; S_FALSE and null past the last one.
    virtual HRESULT Next(IVkRegKey** key) = 0;                                       // [4]
};

struct IVkRegValueIter : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegValueIter; }
    using BaseInterface = IDispatch;
    // Starts the value iteration again from the first name. Always S_OK.
    virtual HRESULT Reset() = 0;                                                     // [2]
    // The next value in name order; S_FALSE and null past the last one.
    virtual HRESULT Next(IVkRegValue** value) = 0;                                   // [4]
};

struct IVkRegValue : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegValue; }
    using BaseInterface = IDispatch;
    // The value's name. Always S_OK.
    virtual HRESULT get_Name(BSTR* name) = 0;                                        // [1]
    // Renames the value. Always S_OK.
    virtual HRESULT put_Name(BSTR name) = 0;
    // The data as a VARIANT; the conversion's error when the stored data has no VARIANT form.
    virtual HRESULT get_Value(VARIANT* data) = 0;                                    // [2]
    // Takes the data and the type that follows from it; fails only if the VARIANT cannot be copied.
    virtual HRESULT put_Value(VARIANT data) = 0;
    // The registry type the value is written with. Always S_OK.
    virtual HRESULT get_Type(VkRegTypes* type) = 0;                                  // [3]
    // E_FAIL, changing nothing, for anything outside dtypeEmpty .. dtypeBinary.
    virtual HRESULT put_Type(VkRegTypes type) = 0;
};

struct IVkRegSubValues : IDispatch {
    static constexpr IID Iid() { return IID_IVkRegSubValues; }
    using BaseInterface = IDispatch;
    // Part index of the text split at the delimiters; E_FAIL and null outside 0 .. Parts - 1.
    virtual HRESULT get_SubValue(LONG index, BSTR* part) = 0;                        // [0]
    // Replaces part index, or appends at index Parts (the value becomes text); E_FAIL for other indexes.
    virtual HRESULT put_SubValue(LONG index, BSTR part) = 0;
    // The delimiter characters ("|" for a new value). Always S_OK.
    virtual HRESULT get_Delimiters(BSTR* delimiters) = 0;                            // [1]
    // Any character of the text splits the parts. Always S_OK.
    virtual HRESULT put_Delimiters(BSTR delimiters) = 0;
    // Number of parts; 0 for empty text or data with no text form. Always S_OK.
    virtual HRESULT get_Parts(LONG* count) = 0;                                      // [2]
};
