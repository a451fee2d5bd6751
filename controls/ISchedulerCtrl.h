#pragma once
// "QVCtrl.SchedulerCtrl": the job scheduler control's identity, its dual
// interface and its event interface. Hosts include this header for the
// class identifier and the dispatch ids; they call the control through
// IDispatch.

#include "platform/ComInterfaces.h"

constexpr CLSID CLSID_SchedulerCtrl = {0x55D576AA, 0xE98E, 0x4906, {0xAF, 0x22, 0x12, 0x5C, 0x4B, 0x9C, 0x55, 0x86}};
constexpr IID IID_ISchedulerCtrl = {0xBB50BC60, 0xD218, 0x4726, {0x97, 0xA7, 0x20, 0x60, 0x21, 0x55, 0x75, 0xC1}};
constexpr IID DIID__ISchedulerCtrlEvents = {0x9B41D132, 0xF9B8, 0x44D0, {0xA9, 0x8D, 0x79, 0xD6, 0xFF, 0xBA, 0xB7, 0xBC}};
constexpr GUID LIBID_QVCTRLLib = {0x495D9791, 0x1923, 0x4D57, {0xA2, 0xEC, 0x89, 0xFF, 0xA4, 0xFD, 0x8A, 0xA3}};
#define QVCTRL_LIBID "{495D9791-1923-4D57-A2EC-89FFA4FD8AA3}"

enum SchedulerDispId : DISPID {
    DISPID_SC_INTERACTIVE_EXPORT = 1,
    DISPID_SC_INTERACTIVE_IMPORT = 2,
    DISPID_SC_INTERACTIVE_PROPERTIES = 3,
    DISPID_SC_STOPALL = 4,
    DISPID_SC_STOPSELECTED = 5,
    DISPID_SC_DELETEALL = 6,
    DISPID_SC_DELETESELECTED = 7,
    DISPID_SC_COPYSELECTED = 8,
    DISPID_SC_DOPASTE = 9,
    DISPID_SC_SELECTIONCOUNT = 10,
    DISPID_SC_CANPASTE = 11,
    DISPID_SC_INTERACTIVE_NEW = 12,
    DISPID_SC_INTERACTIVE_NEWWIZARD = 13,
    DISPID_SC_INTERACTIVE_MODIFY = 14,
    DISPID_SC_RUNSELECTED = 15,
    DISPID_SC_BREAKSELECTED = 16,
    DISPID_SC_INTERACTIVE_LOGIN = 17,
    DISPID_SC_DATABASE = 18,
    DISPID_SC_USERNAME = 19,
    DISPID_SC_PASSWORD = 20,
    DISPID_SC_REFRESH = 21,
    DISPID_SC_CONNECTED = 22,
    DISPID_SC_ITEMS = 23,
    DISPID_SC_PERSIST = 24,
    DISPID_SC_LOGIN = 25,
    DISPID_SC_GETIUNKNOWN = 26,
    DISPID_SC_RECONNECT = 27,
    DISPID_SC_DISCONNECT = 28,
    DISPID_SC_SETEXTERNALEXPLORER = 29,
    DISPID_SC_INTERACTIVE_FORECAST = 30,
    DISPID_SC_STOPSAFELY = 31,
    DISPID_SC_INTERACTIVE_COMPARE = 32,
};
constexpr DISPID DISPID_SC_ONLOGIN = 1; // of _ISchedulerCtrlEvents

// Every member answers S_OK unless noted; E_POINTER for a null out pointer.
// All run on the thread that created the control.
struct ISchedulerCtrl : IDispatch {
    static constexpr IID Iid() { return IID_ISchedulerCtrl; }
    using BaseInterface = IDispatch;
    // The export and import dialogs of this queue.
    virtual HRESULT Interactive_Export() = 0;
    virtual HRESULT Interactive_Import() = 0;
    // The queue's properties dialog.
    virtual HRESULT Interactive_Properties() = 0;
    // Asks, then stops every running job of the queue.
    virtual HRESULT StopAll() = 0;
    // Asks, then stops the selected jobs.
    virtual HRESULT StopSelected() = 0;
    // Does nothing.
    virtual HRESULT DeleteAll() = 0;
    // Asks, then removes the selected jobs.
    virtual HRESULT DeleteSelected() = 0;
    // The selected jobs onto the clipboard; the clipboard is left alone without a selection.
    virtual HRESULT CopySelected() = 0;
    // Copies the clipboard's jobs into the queue; nothing when it holds none.
    virtual HRESULT DoPaste() = 0;
    // Number of selected rows.
    virtual HRESULT SelectionCount(LONG* pReturn) = 0;
    // VARIANT_TRUE when the clipboard holds jobs this queue can take.
    virtual HRESULT CanPaste(VARIANT_BOOL* pReturn) = 0;
    // The job detail dialog for a new job.
    virtual HRESULT Interactive_New() = 0;
    // Does nothing.
    virtual HRESULT Interactive_NewWizard() = 0;
    // The job detail dialog for the first selected job; nothing without one.
    virtual HRESULT Interactive_Modify() = 0;
    // Asks, then runs the selected jobs.
    virtual HRESULT RunSelected() = 0;
    // Asks, then breaks or unbreaks the selected jobs.
    virtual HRESULT BreakSelected() = 0;
    // The logon dialog; VARIANT_TRUE when confirmed and the logon was queued.
    virtual HRESULT Interactive_Login(VARIANT_BOOL* pReturn) = 0;
    // Logon details; a put takes effect at the next logon.
    virtual HRESULT get_Database(BSTR* pVal) = 0;
    virtual HRESULT put_Database(BSTR newVal) = 0;
    virtual HRESULT get_UserName(BSTR* pVal) = 0;
    virtual HRESULT put_UserName(BSTR newVal) = 0;
    virtual HRESULT get_Password(BSTR* pVal) = 0;
    virtual HRESULT put_Password(BSTR newVal) = 0;
    // Queues a refresh and returns at once.
    virtual HRESULT Refresh() = 0;
    // VARIANT_TRUE only while connected (not while connecting).
    virtual HRESULT Connected(VARIANT_BOOL* pRet) = 0;
    // Number of rows shown.
    virtual HRESULT get_Items(LONG* pVal) = 0;
    // Saves (bLoad not VARIANT_TRUE) or loads the queue's state; E_FAIL for
    // an object without IStream or a damaged stream.
    virtual HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bLoad) = 0;
    // Logs on with the stored details when not connected; nothing otherwise.
    virtual HRESULT Login() = 0;
    // The control's IUnknown without an added reference.
    virtual HRESULT GetIUnknown(IUnknown** ppunk) = 0;
    // As Login.
    virtual HRESULT Reconnect() = 0;
    // Queues a log-off.
    virtual HRESULT Disconnect() = 0;
    // Keeps the handle of the explorer tool window to feed.
    virtual HRESULT SetExternalExplorer(LONG hWnd) = 0;
    // The forecast of the first selected job's runs; nothing without one.
    virtual HRESULT Interactive_Forecast() = 0;
    // Asks, then stops the first selected job so that it stays stopped
    // (broken during the kill, put back after); nothing without a selection.
    virtual HRESULT StopSafely() = 0;
    // The compare dialog of this queue and another open one; a message
    // when no other queue is open.
    virtual HRESULT Interactive_Compare() = 0;
};
