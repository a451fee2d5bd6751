#pragma once
// Waiting in GUI tests without sleeping: process posted events until a
// condition holds.

#include <functional>

namespace qvtest {

// Processes events until done() holds; false after limitMs (a hang is a
// failure, not a timing assumption, so the limit is generous).
bool WaitUntil(const std::function<bool()>& done, int limitMs = 60000);

} // namespace qvtest
