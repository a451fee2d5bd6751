#include "ociw32/functions/OraClock.h"

#include <ctime>
#include <mutex>

namespace VkOracle {

namespace {

std::mutex s_clockLock;
OraClockSetting s_clock;

} // namespace

int64_t OraLocalTimeNow()
{
    // Every statement asks; the time zone's offset (glibc converts under a
    // lock) can change only on a second's boundary.
    thread_local std::time_t convertedAt = -1;
    thread_local int64_t offset = 0;
    const std::time_t now = std::time(nullptr);
    if (now != convertedAt) {
        std::tm local {};
        localtime_r(&now, &local);
        offset = local.tm_gmtoff;
        convertedAt = now;
    }
    return static_cast<int64_t>(now) + offset;
}

void SetOracleClockPinned(int64_t seconds)
{
    std::lock_guard<std::mutex> lock(s_clockLock);
    s_clock = {OraClockMode::Pinned, seconds};
}

void SetOracleClockOffset(int64_t seconds)
{
    std::lock_guard<std::mutex> lock(s_clockLock);
    s_clock = {OraClockMode::Offset, seconds};
}

void ClearOracleClock()
{
    std::lock_guard<std::mutex> lock(s_clockLock);
    s_clock = {};
}

OraClockSetting OracleClockSetting()
{
    std::lock_guard<std::mutex> lock(s_clockLock);
    return s_clock;
}

int64_t OracleNow() { return OracleNow(OracleClockSetting()); }

int64_t OracleNow(const OraClockSetting& setting)
{
    switch (setting.mode) {
    case OraClockMode::Pinned:
        return setting.value;
    case OraClockMode::Offset:
        return OraLocalTimeNow() + setting.value;
    case OraClockMode::System:
        break;
    }
    return OraLocalTimeNow();
}

} // namespace VkOracle
