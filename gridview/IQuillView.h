#pragma once
// "TwQlVw.QuillView": the SQL grid control's identity, its dual interface
// and its event interface. Hosts include this header for the class
// identifier and the dispatch ids; they call the control through IDispatch.

#include "platform/ComInterfaces.h"

constexpr CLSID CLSID_QuillView = {0x2A9DB356, 0x5B0E, 0x4D7F, {0xA9, 0xB5, 0x74, 0x5C, 0x0A, 0x23, 0x10, 0x96}};
constexpr IID IID_IQuillView = {0x7C3E5A21, 0x4B6D, 0x4F08, {0x9E, 0x12, 0x3A, 0x5D, 0x8C, 0x7B, 0x61, 0xF4}};
constexpr IID DIID__IQuillViewEvents = {0x1D84F2B7, 0x6C39, 0x4A5E, {0xB0, 0x7F, 0x92, 0xE1, 0x4C, 0x3D, 0x58, 0xA6}};
constexpr GUID LIBID_TWQLVWLib = {0xCE070892, 0x982, 0x429E, {0xAA, 0xFA, 0xC6, 0xF6, 0xA9, 0xC4, 0xB5, 0xE0}};
#define TWQLVW_CLSID "{2A9DB356-5B0E-4D7F-A9B5-745C0A231096}"
#define TWQLVW_LIBID "{CE070892-0982-429E-AAFA-C6F6A9C4B5E0}"
#define TWQLVW_IID_IQUILLVIEW "{7C3E5A21-4B6D-4F08-9E12-3A5D8C7B61F4}"
#define TWQLVW_DIID_EVENTS "{1D84F2B7-6C39-4A5E-B07F-92E14C3D58A6}"

enum QuillViewDispId : DISPID {
    DISPID_QV_DATABASE = 1,
    DISPID_QV_USERNAME = 2,
    DISPID_QV_PASSWORD = 3,
    DISPID_QV_INTERACTIVE_PROPERTIES = 4,
    DISPID_QV_INTERACTIVE_LOGIN = 5,
    DISPID_QV_REFRESH = 6,
    DISPID_QV_CONNECTED = 7,
    DISPID_QV_PERSIST = 8,
    DISPID_QV_LOGIN = 9,
    DISPID_QV_GETIUNKNOWN = 10,
    DISPID_QV_RECONNECT = 11,
    DISPID_QV_DISCONNECT = 12,
    DISPID_QV_SETEXTERNALEXPLORER = 13,
    DISPID_QV_RUN = 14,
    DISPID_QV_PAUSE = 15,
    DISPID_QV_STOP = 16,
    DISPID_QV_ABORT = 17,
    DISPID_QV_MONITORMODE = 18,
    DISPID_QV_RESET = 19,
    DISPID_QV_SQLVISIBLE = 20,
    DISPID_QV_RUNNING = 21,
    DISPID_QV_PAUSED = 22,
    DISPID_QV_IDLE = 23,
    DISPID_QV_TITLE = 24,
};
// Of _IQuillViewEvents.
constexpr DISPID DISPID_QV_ONLOGIN = 1;       // "Called when login process has finished."
constexpr DISPID DISPID_QV_ONTITLECHANGE = 2; // "Called when View title has changed."

// Every member answers S_OK unless noted; E_POINTER for a null out pointer.
// Once the control's window is gone every member does nothing and answers
// its default. All run on the thread that created the control.
struct IQuillView : IDispatch {
    static constexpr IID Iid() { return IID_IQuillView; }
    using BaseInterface = IDispatch;
    // Logon details; a put takes effect at the next logon.
    virtual HRESULT get_Database(BSTR* pVal) = 0;
    virtual HRESULT put_Database(BSTR newVal) = 0;
    virtual HRESULT get_UserName(BSTR* pVal) = 0;
    virtual HRESULT put_UserName(BSTR newVal) = 0;
    virtual HRESULT get_Password(BSTR* pVal) = 0;
    virtual HRESULT put_Password(BSTR newVal) = 0;
    // The properties dialog (refresh, limits, title, status bar).
    virtual HRESULT Interactive_Properties() = 0;
    // The logon dialog; VARIANT_TRUE when confirmed and the logon was queued.
    virtual HRESULT Interactive_Login(VARIANT_BOOL* pReturn) = 0;
    // Queues a re-run of the grid's SQL text and returns at once.
    virtual HRESULT Refresh() = 0;
    // VARIANT_TRUE only while connected (not while connecting).
    virtual HRESULT Connected(VARIANT_BOOL* pRet) = 0;
    // Saves (bLoad not VARIANT_TRUE) or loads the grid's state; without
    // bIncludeConnection the logon details and cells are stored blank and a
    // load leaves the details empty. E_FAIL for an object without IStream
    // or a damaged stream (which then changes nothing).
    virtual HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bIncludeConnection, VARIANT_BOOL bLoad) = 0;
    // Logs on with the stored details when not connected; nothing otherwise.
    virtual HRESULT Login() = 0;
    // The control's IUnknown without an added reference.
    virtual HRESULT GetIUnknown(IUnknown** ppunk) = 0;
    // As Login.
    virtual HRESULT Reconnect() = 0;
    // Queues a log-off.
    virtual HRESULT Disconnect() = 0;
    // Keeps the handle of an explorer tool window; nothing else.
    virtual HRESULT SetExternalExplorer(LONG hWnd) = 0;
    // Takes the SQL text from the edit and queues a run of it.
    virtual HRESULT Run() = 0;
    // Toggles a run between running and paused.
    virtual HRESULT Pause() = 0;
    // Ends a run keeping the rows so far.
    virtual HRESULT Stop() = 0;
    // Ends a run discarding its rows.
    virtual HRESULT Abort() = 0;
    // Re-running the statement after each refresh interval.
    virtual HRESULT get_MonitorMode(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_MonitorMode(VARIANT_BOOL newVal) = 0;
    // Empties the SQL text and the grid.
    virtual HRESULT Reset() = 0;
    // Whether the SQL edit shows above the grid.
    virtual HRESULT get_SQLVisible(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT put_SQLVisible(VARIANT_BOOL newVal) = 0;
    // Run state: running, paused, or no statement running.
    virtual HRESULT get_Running(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_Paused(VARIANT_BOOL* pVal) = 0;
    virtual HRESULT get_Idle(VARIANT_BOOL* pVal) = 0;
    // The view's title; a put that changes it raises OnTitleChange.
    virtual HRESULT get_Title(BSTR* pVal) = 0;
    virtual HRESULT put_Title(BSTR newVal) = 0;
};
