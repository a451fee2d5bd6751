#include "generic/IVkControlWindow.h"

#include <QWidget>

HRESULT VkHandOverControlWindow(QWidget* window, QWidget* parent, QWidget** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!window)
        return E_FAIL;
    if (parent) {
        window->setParent(parent);
        window->setGeometry(parent->rect());
    }
    window->show();
    *out = window;
    return S_OK;
}
