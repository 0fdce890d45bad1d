// Tests of the log sink: console and file destinations, weekly file names,
// the first-path-wins rule, the category mask, the stamp, the output
// operators, the recursive lock and the weekly-file pruner. Every file lives
// in a fresh temporary folder.
#include "util/zx_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "model/zx_flags.h"

namespace {

namespace fs = std::filesystem;

// The fixed clock and host of the test sinks.
ZxLocalTime g_now;
bool g_clockWorks = true;
bool fixedClock(ZxLocalTime* out) {
  if (!g_clockWorks) return false;
  *out = g_now;
  return true;
}
ZxString g_host("h");
ZxString fixedHost() { return g_host; }

ZxLocalTime at(int year, int month, int day, int hour, int minute, int second, int yearDay) {
  ZxLocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.yearDay = yearDay;
  return t;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ZxLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zx_log_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    console_ = std::tmpfile();
    ASSERT_NE(console_, nullptr);
    g_now = at(2009, 3, 3, 9, 5, 3, 61);
    g_clockWorks = true;
    g_host = "h";
  }
  void TearDown() override {
    if (console_) std::fclose(console_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Everything written to the test console so far.
  std::string console() {
    std::fflush(console_);
    std::rewind(console_);
    std::string out;
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, console_)) > 0) out.append(buf, n);
    return out;
  }
  ZxString pathOf(const char* name) const { return ZxString((dir_ / name).string().c_str()); }

  fs::path dir_;
  std::FILE* console_ = nullptr;
};

TEST_F(ZxLogTest, WithoutPathLinesGoToTheConsoleUnchanged) {
  ZxLog sink(fixedClock, fixedHost, console_);
  {
    ZxLogLine(sink, LogCategory::kError, "ERROR: ")
        << "cannot open " << ZxString("x.conf") << " (" << 2 << ")";
  }
  sink << "raw piece";
  EXPECT_EQ(console(), "ERROR: cannot open x.conf (2)\nraw piece");
}

TEST_F(ZxLogTest, ModeZeroAppendsToThePath) {
  ZxString path = pathOf("zx.log");
  { std::ofstream(path.c_str()) << "old\n"; }
  ZxLog sink(fixedClock, fixedHost, console_);
  sink.setLogFile(path, 0);
  { ZxLogLine(sink, LogCategory::kInfo, "INFO: ") << "one"; }
  { ZxLogLine(sink, LogCategory::kWarning, "WARNING: ", true) << "two"; }
  EXPECT_EQ(readFile(path.c_str()), "old\nINFO: one\n[Mar 3, 2009 9:05:03] h : WARNING: two\n");
  EXPECT_EQ(console(), "");
}

TEST_F(ZxLogTest, ModeOneWritesWeeklyFiles) {
  struct Case {
    int yearDay;
    const char* suffix;
  } cases[] = {
      {0, ".0"},  {6, ".0"},  {7, ".1"},  // 8 January is day 7: week 1
      {13, ".1"}, {14, ".2"}, {364, ".52"}, {365, ".52"},
  };
  ZxString path = pathOf("week");
  ZxLog sink(fixedClock, fixedHost, console_);
  sink.setLogFile(path, 1);
  for (const Case& c : cases) {
    g_now.yearDay = c.yearDay;
    ZxString expected(path);
    expected.append(c.suffix);
    EXPECT_EQ(sink.currentFileName(), expected) << c.yearDay;
  }
  g_now = at(2009, 1, 8, 12, 0, 0, 7);
  sink << "in week one\n";
  EXPECT_EQ(readFile((dir_ / "week.1")), "in week one\n");
  EXPECT_FALSE(fs::exists(dir_ / "week"));

  // The week is taken per piece: a line across the change lands in two files.
  g_now.yearDay = 13;
  sink << "first half ";
  g_now.yearDay = 14;
  sink << "second half\n";
  EXPECT_EQ(readFile((dir_ / "week.1")), "in week one\nfirst half ");
  EXPECT_EQ(readFile((dir_ / "week.2")), "second half\n");

  // Without a clock the week is unknown and the piece goes to the console.
  g_clockWorks = false;
  sink << "no clock";
  EXPECT_EQ(console(), "no clock");
}

TEST_F(ZxLogTest, FirstPathWinsLaterCallsChangeOnlyTheMode) {
  ZxString first = pathOf("first");
  ZxLog sink(fixedClock, fixedHost, console_);
  EXPECT_EQ(sink.currentFileName(), "");
  sink.setLogFile(first, 1);
  sink.setLogFile(pathOf("second"), 0);
  EXPECT_EQ(sink.path(), first);
  EXPECT_EQ(sink.mode(), 0);
  sink << "x";
  EXPECT_EQ(readFile(first.c_str()), "x");
  EXPECT_FALSE(fs::exists(dir_ / "second"));
  sink.setLogFile(first, 7);  // no such mode: the console
  sink << "y";
  EXPECT_EQ(console(), "y");
}

TEST_F(ZxLogTest, UnopenableFileFallsBackToTheConsole) {
  ZxLog sink(fixedClock, fixedHost, console_);
  sink.setLogFile(pathOf("missing_folder/zx.log"), 0);
  sink << "kept";
  EXPECT_EQ(console(), "kept");
}

TEST_F(ZxLogTest, MaskFiltersWholeLines) {
  ZxLog sink(fixedClock, fixedHost, console_);
  EXPECT_EQ(sink.mask(), 0xFFFFEFFFu);
  { ZxLogLine(sink, LogCategory::kDebug, "INFO: ", true) << "hidden " << 1; }
  { ZxLogLine(sink, LogCategory::kError, "ERROR: ") << "shown"; }
  sink.setMask(LogCategory::kDebug);
  {
    ZxLogLine line(sink, LogCategory::kError, "ERROR: ");
    EXPECT_FALSE(line.enabled());
    line << "hidden too";
  }
  { ZxLogLine(sink, LogCategory::kDebug, "INFO: ") << "debug now"; }
  sink.setMask(0);
  { ZxLogLine(sink, 0, "INFO: ") << "no category"; }
  EXPECT_EQ(console(), "ERROR: shown\nINFO: debug now\n");
}

TEST_F(ZxLogTest, ProcessWideSinkAndMask) {
  EXPECT_EQ(&ZxLog::log(), &ZxLog::log());
  EXPECT_EQ(ZxLog::logMask(), 0xFFFFEFFFu);
  // Each kind of line tests its own category (only disabled lines here, so
  // that nothing reaches standard output).
  ZxLog::setLogMask(LogCategory::kError);
  EXPECT_EQ(ZxLog::logMask(), 0x2000u);
  EXPECT_FALSE(ZxLogLine::info().enabled());
  EXPECT_FALSE(ZxLogLine::warning(true).enabled());
  ZxLog::setLogMask(LogCategory::kWarning | LogCategory::kInfo);
  EXPECT_FALSE(ZxLogLine::error().enabled());
  ZxLog::setLogMask(ZxLog::kDefaultMask);
  EXPECT_TRUE(ZxLog::log().tryLock());  // every line above released the lock
  ZxLog::log().unlock();
}

TEST_F(ZxLogTest, StampText) {
  struct Case {
    ZxLocalTime time;
    const char* host;
    const char* expected;
  } cases[] = {
      {at(2009, 3, 3, 9, 5, 3, 61), "h", "[Mar 3, 2009 9:05:03] h : "},
      {at(2010, 1, 1, 0, 0, 0, 0), "render01", "[Jan 1, 2010 0:00:00] render01 : "},
      {at(1999, 12, 31, 23, 59, 59, 364), "a.b", "[Dec 31, 1999 23:59:59] a.b : "},
      {at(2009, 13, 1, 1, 1, 1, 0), "", "[13 1, 2009 1:01:01]  : "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(ZxLog::stampText(c.time, c.host), c.expected);
  }

  std::string longHost(2000, 'x');
  ZxString stamped = ZxLog::stampText(at(2009, 3, 3, 9, 5, 3, 61), ZxString(longHost.c_str()));
  EXPECT_EQ(stamped, ZxString(("[Mar 3, 2009 9:05:03] " + longHost.substr(0, 1023) + " : ").c_str()));

  ZxLog sink(fixedClock, fixedHost, console_);
  sink.stamp() << "x";
  g_clockWorks = false;
  sink.stamp() << "y";
  EXPECT_EQ(console(), "[Mar 3, 2009 9:05:03] h : xy");
}

TEST_F(ZxLogTest, OutputOperators) {
  ZxLog sink(fixedClock, fixedHost, console_);
  const char* nothing = nullptr;
  sink << -7 << " " << 4000000000u << " " << -9000000000L << " " << 18000000000000000000UL << " " << 1.5f
       << " " << -0.25 << " " << -5LL << nothing << ZxString("a\0b", 3);
  EXPECT_EQ(console(),
            std::string("-7 4000000000 -9000000000 18000000000000000000 1.500000 -0.250000 -5a\0b", 71));
}

TEST_F(ZxLogTest, LockIsRecursiveAndExcludesOtherThreads) {
  ZxLog sink(fixedClock, fixedHost, console_);
  sink.lock();
  EXPECT_TRUE(sink.tryLock());  // the holder may take it again
  { ZxLogLine(sink, LogCategory::kError, "ERROR: ") << "while held"; }
  bool otherGotIt = true;
  std::thread([&] {
    otherGotIt = sink.tryLock();
    if (otherGotIt) sink.unlock();
  }).join();
  EXPECT_FALSE(otherGotIt);
  sink.unlock();
  sink.unlock();
  std::thread([&] {
    otherGotIt = sink.tryLock();
    if (otherGotIt) sink.unlock();
  }).join();
  EXPECT_TRUE(otherGotIt);
  EXPECT_EQ(console(), "ERROR: while held\n");
}

TEST_F(ZxLogTest, PrunerKeepsTheNewestWeeklyFiles) {
  ZxString path = pathOf("p");
  // Weeks 0, 3, 7, 40 and 52 exist; week 3 is the newest, then 52, 40, 0, 7.
  // "p.53" lies outside the weeks and "p" is the plain file: both stay.
  struct File {
    const char* name;
    int ageHours;
  } files[] = {{"p.0", 30}, {"p.3", 1}, {"p.7", 40}, {"p.40", 20}, {"p.52", 10}, {"p.53", 99}, {"p", 99}};
  auto now = fs::file_time_type::clock::now();
  for (const File& f : files) {
    fs::path p = dir_ / f.name;
    std::ofstream(p) << f.name;
    fs::last_write_time(p, now - std::chrono::hours(f.ageHours));
  }
  ZxLog sink(fixedClock, fixedHost, console_);
  sink.setLogFile(path, 0);
  sink.setLogFile(path, 1);
  g_now.yearDay = 21;  // announcements go to this week's file, p.3
  EXPECT_EQ(sink.pruneWeeklyFiles(2), 3);
  for (const char* kept : {"p.3", "p.52", "p.53", "p"}) EXPECT_TRUE(fs::exists(dir_ / kept)) << kept;
  for (const char* gone : {"p.0", "p.7", "p.40"}) EXPECT_FALSE(fs::exists(dir_ / gone)) << gone;
  std::string prefix = "[Mar 3, 2009 9:05:03] h : INFO: removing log file: " + (dir_ / "p.").string();
  EXPECT_EQ(readFile(dir_ / "p.3"), "p.3" + prefix + "40\n" + prefix + "0\n" + prefix + "7\n");

  // Keeping more than exist, or a negative (unset) count, removes nothing;
  // keeping none removes all, silently when "info" is off.
  EXPECT_EQ(sink.pruneWeeklyFiles(5), 0);
  EXPECT_EQ(sink.pruneWeeklyFiles(-1), 0);
  EXPECT_TRUE(fs::exists(dir_ / "p.3") && fs::exists(dir_ / "p.52"));
  sink.setMask(ZxLog::kDefaultMask & ~static_cast<unsigned int>(LogCategory::kInfo));
  sink.setLogFile(path, 0);  // announcements (if any) would go to "p"
  EXPECT_EQ(sink.pruneWeeklyFiles(0), 2);
  EXPECT_FALSE(fs::exists(dir_ / "p.3"));
  EXPECT_EQ(readFile(dir_ / "p"), "p");
  EXPECT_EQ(console(), "");
}

TEST_F(ZxLogTest, PrunerWithoutPathTouchesNothing) {
  // A sink without a path must not look for ".0" to ".52" in the working folder.
  fs::path cwd = fs::current_path();
  fs::current_path(dir_);
  { std::ofstream(".0") << "not a log"; }
  ZxLog sink(fixedClock, fixedHost, console_);
  EXPECT_EQ(sink.pruneWeeklyFiles(0), 0);
  EXPECT_TRUE(fs::exists(dir_ / ".0"));
  fs::current_path(cwd);
}

}  // namespace
