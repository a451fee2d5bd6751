#pragma once
// How a control module hands its window to its host. The control's window
// is a Qt widget that the control owns; the host asks for it once, places
// it inside a window of its own and, before that window goes, asks the
// control to close it (ending the control's background work first).

#include "platform/ComInterfaces.h"

class QWidget;

constexpr IID IID_IVkControlWindow = {0x6F1C2A40, 0x8B3D, 0x4E61, {0x9A, 0x27, 0x5C, 0x83, 0x1D, 0x40, 0x7E, 0x12}};

struct IVkControlWindow : IUnknown {
    static constexpr IID Iid() { return IID_IVkControlWindow; }
    using BaseInterface = IUnknown;
    // Makes the control's window a visible child of parent filling it, and
    // answers it in *window (not owned by the caller). E_POINTER for a null
    // out pointer, E_FAIL when the control has no window (closed already).
    // Interface thread only.
    virtual HRESULT CreateControlWindow(QWidget* parent, QWidget** window) = 0;
    // Ends the control's background work (bounded) and destroys its window;
    // S_FALSE when it was closed already. Interface thread only.
    virtual HRESULT DestroyControlWindow() = 0;
};

// CreateControlWindow for a control whose window is window (null once it
// was closed): places it in parent, shows it and answers it.
HRESULT VkHandOverControlWindow(QWidget* window, QWidget* parent, QWidget** out);
