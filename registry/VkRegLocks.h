#pragma once
// The module-wide locks: every key object runs its calls under one lock and
// every value object under another. Key calls may take the value lock while
// holding theirs, never the other way round, so the two cannot deadlock.

#include <mutex>

std::recursive_mutex& VkRegKeyLock();
std::recursive_mutex& VkRegValueLock();
