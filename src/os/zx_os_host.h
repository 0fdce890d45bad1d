// The host interface of the library: the local host name and the local
// calendar time. This POSIX implementation uses gethostname and localtime_r;
// a Windows build fills the same functions with its own calls.
#pragma once

#include <ctime>

#include "util/zx_string.h"

// A moment in local time, broken down as the log and the date texts need it.
struct ZxLocalTime {
  int year = 0;     // four digits, e.g. 2009
  int month = 0;    // 1 to 12
  int day = 0;      // day of the month, 1 to 31
  int hour = 0;     // 0 to 23
  int minute = 0;   // 0 to 59
  int second = 0;   // 0 to 60 (leap second)
  int yearDay = 0;  // day of the year, 0-based (1 January is 0)
};

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

}  // namespace ZxOsHost
