#pragma once
// The framework's own menu (resource 128), shown while no queue window is
// open.

#include "generic/VkMenuTable.h"

const VkMenuTable& TwFrameMenu();
