#pragma once
// The lock keys as the window system reports them, for the status bar's
// CAP, NUM and SCRL indicators.

#include <optional>

struct TwKeyStates {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;

    // From the keyboard indicator bits (Caps 1, Num 2, Scroll 4).
    static TwKeyStates FromIndicatorBits(unsigned bits);
    // The states now; empty when the platform does not tell them (the
    // offscreen and Wayland platforms).
    static std::optional<TwKeyStates> Query();
};
