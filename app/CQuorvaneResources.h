#pragma once
// The program's menu (resource 127, shown while queue windows are open),
// accelerators and tool bar (resource 128).

#include "generic/VkMenuTable.h"

const VkMenuTable& QvQueueMenu();
const VkAccelTable& QvAccelerators();
const VkToolBarTable& QvToolBar();
