// ZxLog: the log sink, its weekly files and pruner; ZxLogLine.
#include "util/zx_log.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

ZxLog::ZxLog(TimeSource time, HostSource host, std::FILE* console)
    : time_(time), host_(host), console_(console) {}

void ZxLog::setLogFile(const ZxString& path, int mode) {
  std::lock_guard<std::recursive_mutex> hold(mutex_);
  mode_ = mode;
  if (!pathSet_) {
    path_ = path;
    pathSet_ = true;
  }
}

ZxString ZxLog::currentFileName() const {
  if (path_.isEmpty()) return ZxString();
  if (mode_ == 0) return path_;
  if (mode_ != 1) return ZxString();
  ZxLocalTime now;
  // Without the local time the week is unknown; the piece goes to the console
  // rather than to a guessed file.
  if (!time_ || !time_(&now)) return ZxString();
  ZxString name(path_);
  name.append('.').appendInt(now.yearDay / 7);
  return name;
}

void ZxLog::write(const char* bytes, int n) {
  if (!bytes || n <= 0) return;
  std::lock_guard<std::recursive_mutex> hold(mutex_);
  ZxString name = currentFileName();
  if (!name.isEmpty()) {
    if (std::FILE* f = std::fopen(name.c_str(), "a")) {
      std::fwrite(bytes, 1, static_cast<size_t>(n), f);
      std::fclose(f);
      return;
    }
  }
  std::fwrite(bytes, 1, static_cast<size_t>(n), console_ ? console_ : stdout);
}

ZxLog& ZxLog::operator<<(const ZxString& text) {
  write(text.c_str(), text.length());
  return *this;
}

ZxLog& ZxLog::operator<<(const char* text) {
  if (text) write(text, static_cast<int>(std::strlen(text)));
  return *this;
}

namespace {
template <class T>
ZxString formatted(const char* format, T v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, format, v);
  if (n < 0) return ZxString();
  return ZxString(buf, n < static_cast<int>(sizeof buf) ? n : static_cast<int>(sizeof buf) - 1);
}
}  // namespace

ZxLog& ZxLog::operator<<(int v) { return *this << formatted("%d", v); }
ZxLog& ZxLog::operator<<(unsigned int v) { return *this << formatted("%u", v); }
ZxLog& ZxLog::operator<<(long v) { return *this << formatted("%ld", v); }
ZxLog& ZxLog::operator<<(unsigned long v) { return *this << formatted("%lu", v); }
ZxLog& ZxLog::operator<<(long long v) { return *this << formatted("%lld", v); }
ZxLog& ZxLog::operator<<(unsigned long long v) { return *this << formatted("%llu", v); }
ZxLog& ZxLog::operator<<(float v) { return *this << formatted("%f", static_cast<double>(v)); }
ZxLog& ZxLog::operator<<(double v) { return *this << formatted("%f", v); }

ZxString ZxLog::stampText(const ZxLocalTime& t, const ZxString& host) {
  static const char* const kMonths[12] = {"Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ",
                                          "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec "};
  ZxString out("[");
  // A month outside 1..12 can only come from a broken clock; it is written
  // as a number rather than read outside the table.
  if (t.month >= 1 && t.month <= 12) {
    out.append(kMonths[t.month - 1]);
  } else {
    out.appendInt(t.month).append(' ');
  }
  out.appendInt(t.day).append(", ").appendPadded(t.year, 4).append(' ');
  out.appendInt(t.hour).append(':').appendPadded(t.minute, 2).append(':').appendPadded(t.second, 2);
  out.append("] ");
  out.append(host.c_str(), std::min(host.length(), kMaxStampHost));
  out.append(" : ");
  return out;
}

ZxLog& ZxLog::stamp() {
  ZxLocalTime now;
  if (!time_ || !time_(&now)) return *this;
  return *this << stampText(now, host_ ? host_() : ZxString());
}

int ZxLog::pruneWeeklyFiles(int keep) {
  namespace fs = std::filesystem;
  std::lock_guard<std::recursive_mutex> hold(mutex_);
  // A negative count is the library's "not set" and keeps every file: a
  // caller that did not choose a limit must not lose its logs.
  if (path_.isEmpty() || keep < 0) return 0;
  struct Found {
    ZxString name;
    fs::file_time_type modified;
  };
  std::vector<Found> found;
  for (int week = 0; week <= kLastWeek; ++week) {
    ZxString name(path_);
    name.append('.').appendInt(week);
    std::error_code ec;
    fs::file_time_type modified = fs::last_write_time(fs::path(name.c_str()), ec);
    if (!ec) found.push_back(Found{name, modified});
  }
  // Newest first; files of equal age keep their week order.
  std::stable_sort(found.begin(), found.end(),
                   [](const Found& a, const Found& b) { return a.modified > b.modified; });
  int removed = 0;
  for (size_t i = static_cast<size_t>(keep); i < found.size(); ++i) {
    {
      ZxLogLine line(*this, LogCategory::kInfo, "INFO: ", true);
      line << "removing log file: " << found[i].name;
    }
    std::error_code ec;
    if (fs::remove(fs::path(found[i].name.c_str()), ec)) ++removed;
  }
  return removed;
}

ZxLogLine::ZxLogLine(ZxLog& sink, unsigned int category, const char* level, bool stamped) : sink_(sink) {
  sink_.lock();
  enabled_ = sink_.enabled(category);
  if (!enabled_) return;
  if (stamped) sink_.stamp();
  sink_ << level;
}

ZxLogLine::~ZxLogLine() {
  if (enabled_) sink_ << "\n";
  sink_.unlock();
}

ZxLogLine ZxLogLine::error(bool stamped) {
  return ZxLogLine(ZxLog::log(), LogCategory::kError, "ERROR: ", stamped);
}
ZxLogLine ZxLogLine::warning(bool stamped) {
  return ZxLogLine(ZxLog::log(), LogCategory::kWarning, "WARNING: ", stamped);
}
ZxLogLine ZxLogLine::info(bool stamped) {
  return ZxLogLine(ZxLog::log(), LogCategory::kInfo, "INFO: ", stamped);
}
