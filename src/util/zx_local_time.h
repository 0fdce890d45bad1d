// ZxLocalTime: a moment in local calendar time, broken down as the log
// stamps and the date texts need it. The OS layer fills it from the
// system's clock and time zone (os/zx_os_host.h); here it is plain data.
#pragma once

struct ZxLocalTime {
  int year = 0;     // four digits, e.g. 2009
  int month = 0;    // 1 to 12
  int day = 0;      // day of the month, 1 to 31
  int hour = 0;     // 0 to 23
  int minute = 0;   // 0 to 59
  int second = 0;   // 0 to 60 (leap second)
  int yearDay = 0;  // day of the year, 0-based (1 January is 0)
  int weekDay = 0;  // day of the week, 0 (Sunday) to 6
};
