// The POSIX implementation of the host interface.
#include "os/zx_os_host.h"

#include "os/zx_os_clock.h"

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
  out->weekDay = tm.tm_wday;
  return true;
}

bool localTimeNow(ZxLocalTime* out) {
  std::time_t t = std::time(nullptr);
  if (t == static_cast<std::time_t>(-1)) return false;
  return localTime(t, out);
}

int64_t unixNow() { return zxos::clockNow(); }

bool unixFromLocal(const ZxLocalTime& t, int64_t* out) {
  if (!out) return false;
  std::tm tm;
  std::memset(&tm, 0, sizeof tm);
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = 0;
  std::time_t v = std::mktime(&tm);
  if (v == static_cast<std::time_t>(-1)) return false;
  *out = static_cast<int64_t>(v);
  return true;
}

}  // namespace ZxOsHost
