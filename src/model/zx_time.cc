// ZxTime: epoch conversion, date texts and durations.
#include "model/zx_time.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "os/zx_os_host.h"

namespace {
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[7] = {"Sun", "Mon", "Tues", "Wed", "Thurs", "Fri", "Sat"};

bool localTime(int64_t unixTime, ZxLocalTime& out) {
  return ZxOsHost::localTime(static_cast<std::time_t>(unixTime), &out);
}
}  // namespace

ZxTime::ZxTime(int64_t t, bool isUnix) {
  if (isUnix)
    fromUnix(t);
  else
    value_ = t > INT_MAX ? INT_MAX : (t < INT_MIN ? INT_MIN : static_cast<int>(t));
}

void ZxTime::fromUnix(int64_t t) {
  int64_t v = t - kEpoch;
  value_ = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}

void ZxTime::setNow() { fromUnix(ZxOsHost::unixNow()); }

void ZxTime::appendTo(ZxString& out) const {
  if (value_ == 0) {
    out.append("None");
    return;
  }
  ZxLocalTime tm;
  if (!localTime(toUnix(), tm)) return;
  char text[64];
  int n = std::snprintf(text, sizeof text, "%s %d, %d %d:%02d:%02d", kMonths[(tm.month + 11) % 12], tm.day,
                        tm.year, tm.hour, tm.minute, tm.second);
  if (n > 0) out.append(text, n < static_cast<int>(sizeof text) ? n : static_cast<int>(sizeof text) - 1);
}

ZxString ZxTime::dateText() const {
  ZxString s;
  appendTo(s);
  return s;
}

void ZxTime::fromDateText(const ZxString& text) {
  std::vector<ZxString> tokens;
  const char* s = text.c_str();
  int n = text.length();
  int start = -1;
  // The reader uses the first nine tokens ("Mon d , yyyy h : mm : ss");
  // later ones are not kept, so a long text costs no memory.
  const size_t kTokensUsed = 9;
  for (int i = 0; i <= n && tokens.size() < kTokensUsed; ++i) {
    char c = i < n ? s[i] : ' ';
    bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    bool mark = c == ',' || c == ':';
    if (blank || mark) {
      if (start >= 0) tokens.emplace_back(s + start, i - start);
      start = -1;
      if (mark) tokens.emplace_back(s + i, 1);
    } else if (start < 0) {
      start = i;
    }
  }
  if (tokens.size() <= 3 || tokens[2] != ",") return;
  ZxLocalTime tm;
  tm.month = 1;
  for (int m = 0; m < 12; ++m)
    if (tokens[0] == kMonths[m]) tm.month = m + 1;
  tm.day = tokens[1].toInt();
  // A year outside 1..9999 is not a date this reader accepts (and keeps the
  // conversion to the system's calendar from overflowing).
  int year = tokens[3].toInt();
  if (year < 1 || year > 9999) return;
  tm.year = year;
  if (tokens.size() > 4) tm.hour = tokens[4].toInt();
  if (tokens.size() > 6) tm.minute = tokens[6].toInt();
  if (tokens.size() > 8) tm.second = tokens[8].toInt();
  int64_t t;
  if (!ZxOsHost::unixFromLocal(tm, &t)) return;
  fromUnix(t);
}

const char* ZxTime::weekdayName() const {
  ZxLocalTime tm;
  if (!localTime(toUnix(), tm)) return "";
  return kWeekdays[tm.weekDay % 7];
}

int ZxTime::hour() const {
  ZxLocalTime tm;
  if (!localTime(toUnix(), tm)) return -1;
  return tm.hour;
}

ZxString ZxTime::durationText() const {
  int n = value_;
  char text[48];
  if (n <= 119)
    std::snprintf(text, sizeof text, "%d s", n);
  else if (n < 7200)
    std::snprintf(text, sizeof text, "%d.%d m", n / 60, (n % 60) / 6);
  else
    std::snprintf(text, sizeof text, "%d.%d h", n / 3600, (n % 3600) / 360);
  return ZxString(text);
}

std::ostream& operator<<(std::ostream& os, const ZxTime& t) { return os << t.dateText(); }
