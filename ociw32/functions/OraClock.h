#pragma once
// The clock behind SYSDATE: the machine's local time (Oracle's SYSDATE is the
// server's local time), optionally pinned to a fixed DATE or shifted by an
// offset so that tests and demos can run at a chosen moment.
//
// The process-wide setting applies to every connection that has no setting of
// its own (see SetConnectionClock in OraFunctions.h). All calls are thread-safe.

#include <cstdint>

namespace VkOracle {

enum class OraClockMode {
    System, // the machine's local time
    Pinned, // always `value` (a DATE in seconds)
    Offset, // the machine's local time plus `value` seconds
};

struct OraClockSetting {
    OraClockMode mode = OraClockMode::System;
    int64_t value = 0;
};

// The machine's local wall-clock time as a DATE (whole seconds).
int64_t OraLocalTimeNow();

void SetOracleClockPinned(int64_t seconds);
void SetOracleClockOffset(int64_t seconds);
void ClearOracleClock();
OraClockSetting OracleClockSetting();

// Now by the process-wide setting, or by a given one.
int64_t OracleNow();
int64_t OracleNow(const OraClockSetting& setting);

} // namespace VkOracle
