// The host interface of the library: the local host name, the system clock
// and local calendar time. This POSIX implementation uses gethostname, time,
// localtime_r and mktime; a Windows build fills the same functions with its
// own calls.
#pragma once

#include <cstdint>
#include <ctime>

#include "util/zx_local_time.h"
#include "util/zx_string.h"

namespace ZxOsHost {

// The host's name, at most kMaxHostName bytes; empty when it cannot be read.
ZxString hostName();
// Host names are at most 255 bytes in practice; the cap keeps a fixed buffer
// while allowing any name the system can return.
constexpr int kMaxHostName = 1023;

// Local time of the moment `t` (seconds since 1970); false when the system
// cannot convert it, leaving `out` unchanged.
bool localTime(std::time_t t, ZxLocalTime* out);
// Local time now; false when it cannot be obtained.
bool localTimeNow(ZxLocalTime* out);

// Seconds since 1970 by the system clock (through the clock seam of
// os/zx_os_clock.h, which tests may replace); -1 when the clock cannot be
// read.
int64_t unixNow();
// The moment of the local calendar time `t` read as standard time (no
// daylight saving), with out-of-range fields carried over as mktime does
// (day 32 of January is 1 February); weekDay and yearDay are not read.
// False when the moment cannot be represented.
bool unixFromLocal(const ZxLocalTime& t, int64_t* out);

}  // namespace ZxOsHost
