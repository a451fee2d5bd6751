#pragma once
// "QVCtrl.ExplorerCtrl": the schema explorer control's identity, its dual
// interface and its event interface. Hosts include this header for the
// class identifier and the dispatch ids; they call the control through
// IDispatch.

#include "platform/ComInterfaces.h"

constexpr CLSID CLSID_ExplorerCtrl = {0x34EF699F, 0x58DC, 0x465B, {0xAA, 0x05, 0x71, 0xA7, 0xB9, 0xAF, 0xA0, 0x3B}};
constexpr IID IID_IExplorerCtrl = {0x057A50F1, 0x3492, 0x490B, {0x84, 0x0A, 0xCB, 0x0E, 0xE9, 0xA6, 0xE0, 0x43}};
constexpr IID DIID__IExplorerCtrlEvents = {0x33062C2F, 0xC55E, 0x4A50, {0xBA, 0x23, 0xE5, 0xDA, 0xCC, 0xA3, 0xD5, 0x72}};

enum ExplorerDispId : DISPID {
    DISPID_EX_INTERACTIVE_LOGIN = 1,
    DISPID_EX_CONNECTED = 2,
    DISPID_EX_PERSIST = 3,
    DISPID_EX_LOGIN = 4,
    DISPID_EX_GETIUNKNOWN = 5,
    DISPID_EX_RECONNECT = 6,
    DISPID_EX_DISCONNECT = 7,
    DISPID_EX_DATABASE = 8,
    DISPID_EX_USERNAME = 9,
    DISPID_EX_PASSWORD = 10,
    DISPID_EX_RESET = 11,
    DISPID_EX_CONNECTING = 12,
};
constexpr DISPID DISPID_EX_ONLOGIN = 1; // of _IExplorerCtrlEvents

// Every method answers E_POINTER for a null out-pointer and otherwise S_OK:
// connecting runs on the explorer's worker, and its outcome arrives as OnLogin.
struct IExplorerCtrl : IDispatch {
    static constexpr IID Iid() { return IID_IExplorerCtrl; }
    using BaseInterface = IDispatch;
    // Shows the log-on dialog and, when confirmed, connects with what was entered; *pReturn false when cancelled.
    virtual HRESULT Interactive_Login(VARIANT_BOOL* pReturn) = 0;
    // Whether the explorer holds an open session.
    virtual HRESULT Connected(VARIANT_BOOL* pRet) = 0;
    // Accepted and ignored: the explorer keeps no state in its host's stream.
    virtual HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bLoad) = 0;
    // Starts connecting with the current database, user and password (disconnecting first).
    virtual HRESULT Login() = 0;
    // The control's own IUnknown, without an added reference.
    virtual HRESULT GetIUnknown(IUnknown** ppunk) = 0;
    // The same as Login.
    virtual HRESULT Reconnect() = 0;
    // Starts closing the session; nothing when not connected.
    virtual HRESULT Disconnect() = 0;
    // The connect string (alias) used by the next Login.
    virtual HRESULT get_Database(BSTR* value) = 0;
    virtual HRESULT put_Database(BSTR value) = 0;
    // The user name used by the next Login.
    virtual HRESULT get_UserName(BSTR* value) = 0;
    virtual HRESULT put_UserName(BSTR value) = 0;
    // The password used by the next Login.
    virtual HRESULT get_Password(BSTR* value) = 0;
    virtual HRESULT put_Password(BSTR value) = 0;
    // Reloads the tree from its roots; nothing when not connected.
    virtual HRESULT Reset() = 0;
    // Whether a connect is under way.
    virtual HRESULT Connecting(VARIANT_BOOL* pbReturn) = 0;
};
