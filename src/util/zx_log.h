// ZxLog: the library's log sink, with its category mask and its lock, and
// ZxLogLine, the helper that writes one whole filtered line.
//
// The sink writes every piece to its destination as it comes: with mode 0 to
// the destination path itself, with mode 1 to the weekly file
// "<path>.<week>" (week = local day of the year, 0-based, divided by 7), and
// to the console (standard output) when no path is set or the file cannot be
// opened. Each piece opens and closes the file anew; nothing is buffered.
//
// A line is written under the log lock (a recursive mutex): lock, test the
// category bit in the mask, write the level word ("ERROR: ", "WARNING: ",
// "INFO: "), optionally after stamp(), then the pieces and "\n", unlock.
// ZxLogLine does exactly that.
//
// The stamp needs the local time and the host's name, which only the
// operating system knows, and the log stands below the OS layer. So a sink is
// handed its clock and host name as two functions when it is built, and the
// process-wide sink (ZxLog::log()) is defined by the OS layer
// (os/zx_os_log.cc), which builds it with the system's clock and host name,
// the way a storage library's default environment is declared beside its
// interface and defined by the platform's port. This keeps the log free of
// every system call (but the file appends of the C library) and keeps one
// sink per process, created before its first use. The category numbers come
// from util/zx_log_category.h; their names live with the flag tables.
//
// One sink exists per process (ZxLog::log()); it is created when the module
// loads and destroyed when it unloads. Further sinks can be built with their
// own clock, host name and console for tests. A sink owns its path copy; the
// console stream belongs to the caller.
#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>

#include "util/zx_local_time.h"
#include "util/zx_log_category.h"
#include "util/zx_string.h"

class ZxLog {
 public:
  using TimeSource = bool (*)(ZxLocalTime* out);
  using HostSource = ZxString (*)();

  // Every category except "debug" (0x1000).
  static constexpr unsigned int kDefaultMask = 0xFFFFEFFFu;
  // Weekly files are numbered 0 to 52 (day 364 of a leap year is week 52).
  static constexpr int kLastWeek = 52;

  // A null time source writes no stamps, a null host source an empty host
  // name; a null console means standard output.
  ZxLog(TimeSource time, HostSource host, std::FILE* console);
  ZxLog(const ZxLog&) = delete;
  ZxLog& operator=(const ZxLog&) = delete;
  ~ZxLog() = default;

  // The process-wide sink, with the system's clock and host name (defined
  // by the OS layer, see above), and its category mask.
  static ZxLog& log();
  static unsigned int logMask() { return log().mask(); }
  static void setLogMask(unsigned int mask) { log().setMask(mask); }

  unsigned int mask() const { return mask_.load(std::memory_order_relaxed); }
  void setMask(unsigned int mask) { mask_.store(mask, std::memory_order_relaxed); }
  // True when every bit of `category` (a LogCategory value) is set in the mask.
  bool enabled(unsigned int category) const { return category != 0 && (mask() & category) == category; }

  // Sets the mode, and the destination path if none was set yet: the first
  // call chooses the path for the sink's lifetime, later calls change only
  // the mode. Mode 0 writes to the path, mode 1 to the weekly files; any
  // other mode writes to the console.
  void setLogFile(const ZxString& path, int mode);
  const ZxString& path() const { return path_; }
  int mode() const { return mode_; }
  // The file the next piece goes to; empty when it goes to the console.
  ZxString currentFileName() const;

  // The log lock; recursive, so a holder may log through helpers that lock too.
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool tryLock() { return mutex_.try_lock(); }

  // Output of one piece each; every operator returns the sink.
  ZxLog& operator<<(const ZxString& text);
  ZxLog& operator<<(const char* text);  // null writes nothing
  ZxLog& operator<<(int v);
  ZxLog& operator<<(unsigned int v);
  ZxLog& operator<<(long v);
  ZxLog& operator<<(unsigned long v);
  ZxLog& operator<<(long long v);
  ZxLog& operator<<(unsigned long long v);
  ZxLog& operator<<(float v);   // "%f", as ZxString writes floats
  ZxLog& operator<<(double v);  // "%f"

  // Writes the line prefix "[Mar 3, 2009 9:05:03] host : " for the local
  // time now; writes nothing when the local time cannot be obtained.
  // Host names longer than kMaxStampHost bytes are cut there.
  ZxLog& stamp();
  // The prefix that stamp() writes for `t` and `host` (host capped at 1023 bytes).
  static ZxString stampText(const ZxLocalTime& t, const ZxString& host);
  // Host names are at most 255 bytes in practice; the cap bounds a stamp
  // while allowing any name the system can return.
  static constexpr int kMaxStampHost = 1023;

  // Deletes all but the `keep` most recently modified weekly files
  // "<path>.0" to "<path>.52", announcing each deletion as a stamped
  // "INFO: removing log file: <name>" line when "info" is enabled. Returns
  // the number of files deleted. Does nothing when no path is set (so that
  // files named ".0" and so on in the working folder are never touched) or
  // when `keep` is negative (not set).
  int pruneWeeklyFiles(int keep);

 private:
  void write(const char* bytes, int n);

  std::recursive_mutex mutex_;
  std::atomic<unsigned int> mask_{kDefaultMask};
  TimeSource time_;
  HostSource host_;
  std::FILE* console_;
  ZxString path_;
  bool pathSet_ = false;
  int mode_ = 0;
};

// One log line: takes the sink's lock, and when `category` is enabled writes
// the optional stamp and the level word; the pieces streamed into it follow;
// destruction ends the line with "\n" (if enabled) and releases the lock.
//   ZxLogLine::error() << "cannot open " << path;
class ZxLogLine {
 public:
  ZxLogLine(ZxLog& sink, unsigned int category, const char* level, bool stamped = false);
  ZxLogLine(const ZxLogLine&) = delete;
  ZxLogLine& operator=(const ZxLogLine&) = delete;
  ~ZxLogLine();

  // Lines of the process-wide sink: "ERROR: " under "error", "WARNING: "
  // under "warning", "INFO: " under "info".
  static ZxLogLine error(bool stamped = false);
  static ZxLogLine warning(bool stamped = false);
  static ZxLogLine info(bool stamped = false);

  bool enabled() const { return enabled_; }

  template <class T>
  ZxLogLine& operator<<(const T& piece) {
    if (enabled_) sink_ << piece;
    return *this;
  }

 private:
  ZxLog& sink_;
  bool enabled_;
};
