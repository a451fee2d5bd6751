#pragma once
// The module's bookkeeping: live objects and server locks decide whether it
// may be unloaded.

#include "platform/WinTypes.h"

void CVkRegObjectCreated();
void CVkRegObjectDestroyed();
void CVkRegLockServer(bool lock);
bool CVkRegCanUnload();
