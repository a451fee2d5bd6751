#include "registry/VkRegLocks.h"

std::recursive_mutex& VkRegKeyLock()
{
    static std::recursive_mutex s_lock;
    return s_lock;
}

std::recursive_mutex& VkRegValueLock()
{
    static std::recursive_mutex s_lock;
    return s_lock;
}
