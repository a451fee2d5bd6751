#include "framework/TwKeyStates.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <dlfcn.h>

TwKeyStates TwKeyStates::FromIndicatorBits(unsigned bits)
{
    TwKeyStates states;
    states.capsLock = (bits & 0x1) != 0;
    states.numLock = (bits & 0x2) != 0;
    states.scrollLock = (bits & 0x4) != 0;
    return states;
}

std::optional<TwKeyStates> TwKeyStates::Query()
{
#if QT_CONFIG(xcb)
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // The X library is already loaded by the platform plug-in; bind the one
    // call we need without linking it.
    using GetIndicatorState = int (*)(Display*, unsigned, unsigned*);
    static GetIndicatorState query = [] {
        void* x11lib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return x11lib ? reinterpret_cast<GetIndicatorState>(dlsym(x11lib, "XkbGetIndicatorState")) : nullptr;
    }();
    constexpr unsigned kUseCoreKeyboard = 0x0100;
    unsigned bits = 0;
    if (!query || query(display, kUseCoreKeyboard, &bits) != 0)
        return std::nullopt;
    return FromIndicatorBits(bits);
#else
    return std::nullopt;
#endif
}
