#pragma once
// The test module's classes and interfaces, shared with the tests.

#include "platform/ComInterfaces.h"

// VkTest.Widget: dual interface ITestWidget with events _ITestWidgetEvents.
constexpr CLSID CLSID_TestWidget = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x01}};
// VkTest.Plain: no version, no events.
constexpr CLSID CLSID_TestPlain = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x02}};
// VkTest.Broken: its creation always fails.
constexpr CLSID CLSID_TestBroken = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x03}};
// A class listed nowhere.
constexpr CLSID CLSID_TestMissing = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x04}};

constexpr IID IID_ITestWidget = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x10}};
constexpr IID DIID_ITestWidgetEvents = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x11}};
constexpr GUID LIBID_TestModule = {0x6E1F1A20, 0x3B52, 0x4C1D, {0x9A, 0x11, 0x51, 0x0B, 0x7C, 0x2D, 0x44, 0x20}};

// Dispatch identifiers of ITestWidget.
constexpr DISPID DISPID_TestName = 1;   // property get/put, text; also the default value (0)
constexpr DISPID DISPID_TestAdd = 2;    // method (a, b) -> a + b as 32-bit integers
constexpr DISPID DISPID_TestFire = 3;   // method (n): raises OnPing(n) on every sink
constexpr DISPID DISPID_TestThrow = 4;  // method: fails with an exception
constexpr DISPID DISPID_TestItem = 5;   // property get/put with one index argument
constexpr DISPID DISPID_TestJoin = 6;   // method (a [, b [, c]]): the texts given, joined by "+"
// Event of _ITestWidgetEvents.
constexpr DISPID DISPID_TestOnPing = 1; // OnPing(n)

struct ITestWidget : IDispatch {
    static constexpr IID Iid() { return IID_ITestWidget; }
    using BaseInterface = IDispatch;
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT Add(LONG a, LONG b, LONG* sum) = 0;
    virtual HRESULT Fire(LONG n) = 0;
};

// Exported by the test module: its live objects and locks right now.
using VkTestModuleLocksFn = LONG (*)();
