// ZxTime: epoch conversion, date texts and durations.
#include "model/zx_time.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[7] = {"Sun", "Mon", "Tues", "Wed", "Thurs", "Fri", "Sat"};

bool localTime(int64_t unixTime, std::tm& out) {
  std::time_t t = static_cast<std::time_t>(unixTime);
  return localtime_r(&t, &out) != nullptr;
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

void ZxTime::setNow() { fromUnix(static_cast<int64_t>(std::time(nullptr))); }

void ZxTime::appendTo(ZxString& out) const {
  if (value_ == 0) {
    out.append("None");
    return;
  }
  std::tm tm;
  if (!localTime(toUnix(), tm)) return;
  char text[64];
  int n = std::snprintf(text, sizeof text, "%s %d, %d %d:%02d:%02d", kMonths[tm.tm_mon % 12], tm.tm_mday,
                        tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
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
  for (int i = 0; i <= n; ++i) {
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
  std::tm tm;
  std::memset(&tm, 0, sizeof tm);
  for (int m = 0; m < 12; ++m)
    if (tokens[0] == kMonths[m]) tm.tm_mon = m;
  tm.tm_mday = tokens[1].toInt();
  tm.tm_year = tokens[3].toInt() - 1900;
  if (tokens.size() > 4) tm.tm_hour = tokens[4].toInt();
  if (tokens.size() > 6) tm.tm_min = tokens[6].toInt();
  if (tokens.size() > 8) tm.tm_sec = tokens[8].toInt();
  tm.tm_isdst = 0;
  std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return;
  fromUnix(static_cast<int64_t>(t));
}

const char* ZxTime::weekdayName() const {
  std::tm tm;
  if (!localTime(toUnix(), tm)) return "";
  return kWeekdays[tm.tm_wday % 7];
}

int ZxTime::hour() const {
  std::tm tm;
  if (!localTime(toUnix(), tm)) return -1;
  return tm.tm_hour;
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
