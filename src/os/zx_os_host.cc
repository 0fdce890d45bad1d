// The POSIX implementation of the host interface.
#include "os/zx_os_host.h"

#include <unistd.h>

#include <cstring>

namespace ZxOsHost {

ZxString hostName() {
  char buf[kMaxHostName + 1];
  std::memset(buf, 0, sizeof buf);
  // gethostname need not terminate a truncated name; the last byte stays 0.
  if (gethostname(buf, kMaxHostName) != 0) return ZxString();
  return ZxString(buf);
}

bool localTime(std::time_t t, ZxLocalTime* out) {
  if (!out) return false;
  std::tm tm;
  if (!localtime_r(&t, &tm)) return false;
  out->year = tm.tm_year + 1900;
  out->month = tm.tm_mon + 1;
  out->day = tm.tm_mday;
  out->hour = tm.tm_hour;
  out->minute = tm.tm_min;
  out->second = tm.tm_sec;
  out->yearDay = tm.tm_yday;
  return true;
}

bool localTimeNow(ZxLocalTime* out) {
  std::time_t t = std::time(nullptr);
  if (t == static_cast<std::time_t>(-1)) return false;
  return localTime(t, out);
}

}  // namespace ZxOsHost
