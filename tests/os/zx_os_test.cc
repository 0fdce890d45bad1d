// Tests of the operating-system layer: base folders, the private temporary
// folder and its safety checks, path tests with the length rule, whole-file
// reads, folder listings, the account name and the process environment.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "config/zx_env_fixture.h"
#include "os/zx_os_env.h"
#include "os/zx_os_files.h"
#include "os/zx_os_host.h"
#include "os/zx_os_paths.h"
#include "os/zx_os_user.h"
#include "model/zx_string_list.h"
#include "serial/zx_log_capture.h"

namespace {

using zxtest::ScopedEnv;
using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

TEST(OsPaths, ConfigFolderIsEtcUnlessOverridden) {
  ScopedEnv env;
  ZxString out;
  env.unset("ZX_CONF_DIR");
  ASSERT_TRUE(zxos::configFolder(out));
  EXPECT_EQ(str(out), "/etc");
  env.set("ZX_CONF_DIR", "");
  ASSERT_TRUE(zxos::configFolder(out));
  EXPECT_EQ(str(out), "/etc");
  env.set("ZX_CONF_DIR", "/srv/zx conf");
  ASSERT_TRUE(zxos::configFolder(out));
  EXPECT_EQ(str(out), "/srv/zx conf");
  // A folder name no file system holds is refused, and `out` stays as it was.
  env.set("ZX_CONF_DIR", std::string(zxos::kMaxFolderName, 'a'));
  EXPECT_FALSE(zxos::configFolder(out));
  EXPECT_EQ(str(out), "/srv/zx conf");
  EXPECT_STREQ(zxos::defaultInstallDir(), "/opt/kvl/zexa");
}

TEST(OsPaths, TempFolderFromRuntimeDirMustBePrivate) {
  TempDir tmp;
  ScopedEnv env;
  std::string runtime = tmp.mkdir("run", 0700);
  ZxString out;
  env.set("XDG_RUNTIME_DIR", runtime + "/");
  ASSERT_TRUE(zxos::tempFolder(out));
  EXPECT_EQ(str(out), runtime);  // the trailing separator is dropped

  struct Case {
    const char* what;
    std::string path;
  };
  std::string open = tmp.mkdir("open", 0755);
  chmod(open.c_str(), 0755);
  std::string link = tmp.file("link");
  ASSERT_EQ(symlink(runtime.c_str(), link.c_str()), 0);
  std::string file = tmp.write("plain", "x");
  const Case cases[] = {
      {"readable by others", open},
      {"symbolic link", link},
      {"not a folder", file},
      {"missing", tmp.file("missing")},
  };
  for (const Case& c : cases) {
    env.set("XDG_RUNTIME_DIR", c.path);
    ZxString kept("kept");
    EXPECT_FALSE(zxos::tempFolder(kept)) << c.what;
    EXPECT_EQ(str(kept), "kept") << c.what;
  }
}

TEST(OsPaths, TempFolderUnderTmpdirIsCreatedPrivate) {
  TempDir tmp;
  ScopedEnv env;
  env.unset("XDG_RUNTIME_DIR").set("TMPDIR", tmp.path() + "/");
  ZxString out;
  ASSERT_TRUE(zxos::tempFolder(out));
  std::string expected = tmp.path() + "/zx-" + std::to_string(geteuid());
  EXPECT_EQ(str(out), expected);
  struct stat info;
  ASSERT_EQ(lstat(expected.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  // A second call finds the same folder.
  ZxString again;
  ASSERT_TRUE(zxos::tempFolder(again));
  EXPECT_EQ(str(again), expected);
}

TEST(OsPaths, TempFolderRefusesPlantedEntries) {
  struct Case {
    const char* what;
    int kind;  // 0 link to a private folder, 1 file, 2 folder open to others, 3 foreign owner
  };
  const Case cases[] = {{"symbolic link", 0}, {"file", 1}, {"open folder", 2}, {"foreign owner", 3}};
  for (const Case& c : cases) {
    TempDir tmp;
    ScopedEnv env;
    env.unset("XDG_RUNTIME_DIR").set("TMPDIR", tmp.path());
    std::string planted = tmp.path() + "/zx-" + std::to_string(geteuid());
    if (c.kind == 0) {
      std::string target = tmp.mkdir("target", 0700);
      ASSERT_EQ(symlink(target.c_str(), planted.c_str()), 0);
    } else if (c.kind == 1) {
      tmp.write("zx-" + std::to_string(geteuid()), "");
    } else if (c.kind == 2) {
      ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
      chmod(planted.c_str(), 0777);
    } else {
      if (geteuid() != 0) continue;  // only the superuser can hand a folder to another user
      ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
      ASSERT_EQ(chown(planted.c_str(), 4242, 4242), 0);
    }
    ZxString out;
    EXPECT_FALSE(zxos::tempFolder(out)) << c.what;
    EXPECT_TRUE(out.isEmpty()) << c.what;
  }
}

TEST(OsFiles, PathKindsAndTheLengthRule) {
  TempDir tmp;
  std::string file = tmp.write("f", "x");
  std::string dir = tmp.mkdir("d");
  std::string fifo = tmp.file("p");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Paths of exactly 259 and 260 characters naming a real folder.
  std::string base = tmp.path() + "/";
  std::string under = base + std::string(259 - base.size(), 'n');
  std::string at = base + std::string(260 - base.size(), 'm');
  ASSERT_LE(base.size(), 200u);
  ::mkdir(under.c_str(), 0755);
  ::mkdir(at.c_str(), 0755);

  struct Case {
    std::string path;
    zxos::PathKind kind;
    bool warns;
  };
  const Case cases[] = {
      {file, zxos::PathKind::kFile, false},  {dir, zxos::PathKind::kDirectory, false},
      {fifo, zxos::PathKind::kOther, false}, {tmp.file("absent"), zxos::PathKind::kAbsent, false},
      {"", zxos::PathKind::kAbsent, false},  {under, zxos::PathKind::kDirectory, false},
      {at, zxos::PathKind::kAbsent, true},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    zxos::PathKind kind = zxos::pathKind(ZxString(c.path.c_str()));
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(kind, c.kind) << c.path;
    EXPECT_EQ(printed, c.warns ? "WARNING: " + c.path + " exceeds MAX_PATH.\n" : "") << c.path;
  }
  EXPECT_TRUE(zxos::isFile(ZxString(file.c_str())));
  EXPECT_TRUE(zxos::isDirectory(ZxString(dir.c_str())));
  EXPECT_FALSE(zxos::isDirectory(ZxString(file.c_str())));
  EXPECT_TRUE(zxos::exists(ZxString(fifo.c_str())));
}

TEST(OsFiles, ReadFileTakesRegularFilesOnly) {
  TempDir tmp;
  std::string data("a\0b\r\nc", 6);
  std::string file = tmp.write("f", data);
  std::string empty = tmp.write("e", "");
  std::string dir = tmp.mkdir("d");
  std::string fifo = tmp.file("p");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  ZxString out("stale");
  ASSERT_TRUE(zxos::readFile(ZxString(file.c_str()), out));
  EXPECT_EQ(str(out), data);  // bytes kept as they are, NUL and CR included
  ASSERT_TRUE(zxos::readFile(ZxString(empty.c_str()), out));
  EXPECT_TRUE(out.isEmpty());
  const std::string refused[] = {dir, fifo, tmp.file("missing"), "", "/dev/zero"};
  for (const std::string& path : refused) {
    out = "stale";
    EXPECT_FALSE(zxos::readFile(ZxString(path.c_str()), out)) << path;  // a FIFO must not block
    EXPECT_TRUE(out.isEmpty()) << path;
  }
  // A NUL byte in the path would make the system read the file named by the
  // bytes before it.
  ZxString cut(file.c_str(), static_cast<int>(file.size()));
  cut.append('\0').append("x");
  EXPECT_FALSE(zxos::readFile(cut, out));
  EXPECT_EQ(zxos::pathKind(cut), zxos::PathKind::kAbsent);
}

TEST(OsFiles, FileOverTheReadCapIsRefusedWithOneLogLine) {
  TempDir tmp;
  std::string big = tmp.file("big.conf");
  int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, zxos::kMaxReadBytes + 1), 0);  // sparse: no disk space needed
  ::close(fd);
  std::string fits = tmp.file("fits.conf");
  fd = ::open(fits.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::ftruncate(fd, 100), 0);
  ::close(fd);

  ZxLogCapture log;
  ZxString out;
  zxos::ReadFailure why = zxos::ReadFailure::kNone;
  EXPECT_FALSE(zxos::readFile(ZxString(big.c_str()), out, &why));
  EXPECT_EQ(why, zxos::ReadFailure::kTooLarge);
  EXPECT_TRUE(zxos::readFile(ZxString(fits.c_str()), out));
  EXPECT_EQ(out.length(), 100);
  EXPECT_EQ(log.text(), "WARNING: " + big + " is larger than 64 MiB and was not read.\n");
}

TEST(OsFiles, WriteFileReplacesContentAndListingSkipsDots) {
  TempDir tmp;
  ZxString path(tmp.file("w").c_str());
  ASSERT_TRUE(zxos::writeFile(path, "first text"));
  ASSERT_TRUE(zxos::writeFile(path, "second"));
  ZxString back;
  ASSERT_TRUE(zxos::readFile(path, back));
  EXPECT_EQ(str(back), "second");
  EXPECT_FALSE(zxos::writeFile(ZxString(tmp.file("no/such/dir").c_str()), "x"));
  // The temporary file of each write went away with its rename.
  ZxStringList left;
  ASSERT_TRUE(zxos::listDirectory(ZxString(tmp.path().c_str()), left));
  EXPECT_EQ(str(left.join(",")), "w");

  tmp.mkdir(".svn");
  tmp.mkdir("maya");
  ZxStringList names;
  ASSERT_TRUE(zxos::listDirectory(ZxString(tmp.path().c_str()), names));
  names.sort();
  EXPECT_EQ(str(names.join(",")), ".svn,maya,w");
  ZxStringList none;
  EXPECT_FALSE(zxos::listDirectory(ZxString(tmp.file("missing").c_str()), none));
  EXPECT_EQ(none.count(), 0);
}

// What writeFile does with each kind of thing a path can name. Nothing but
// regular files (directly or through a link) is ever written, opening never
// blocks, and a refused path is left exactly as it was.
TEST(OsFiles, WriteFileWritesRegularFilesOnly) {
  TempDir tmp;
  const std::string fifo = tmp.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string dir = tmp.mkdir("dir");
  const std::string file = tmp.write("file", "old");
  ::chmod(file.c_str(), 0600);
  const std::string link = tmp.file("link");
  ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
  const std::string dangling = tmp.file("dangling");
  ASSERT_EQ(::symlink(tmp.file("nowhere").c_str(), dangling.c_str()), 0);
  const std::string withNul = file + std::string("\0x", 2);

  struct Case {
    const char* what;
    std::string path;
    bool written;
  } cases[] = {
      {"named pipe", fifo, false},   {"device", "/dev/null", false},
      {"folder", dir, false},        {"link that leads nowhere", dangling, false},
      {"NUL byte", withNul, false},  {"new file", tmp.file("new"), true},
      {"existing file", file, true}, {"link to a file", link, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZxString path(c.path.data(), static_cast<int>(c.path.size()));
    EXPECT_EQ(zxos::writeFile(path, ZxString("new text")), c.written);
  }
  struct stat info;
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(::lstat(dangling.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_NE(::access(tmp.file("nowhere").c_str(), F_OK), 0);  // not created through the link
  // The link still leads to the file, which was replaced and kept its mode.
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ZxString back;
  ASSERT_TRUE(zxos::readFile(ZxString(file.c_str()), back));
  EXPECT_EQ(str(back), "new text");
}

// A write that fails half-way (here: the file size limit) leaves the old
// file whole and no temporary file behind.
TEST(OsFiles, FailedWriteKeepsTheOldFile) {
  TempDir tmp;
  const std::string file = tmp.write("archive", "the old archive");
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &old);
  struct rlimit small = saved;
  small.rlim_cur = 8;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool written = zxos::writeFile(ZxString(file.c_str()), ZxString(std::string(4096, 'x').c_str()));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_FALSE(written);
  ZxString back;
  ASSERT_TRUE(zxos::readFile(ZxString(file.c_str()), back));
  EXPECT_EQ(str(back), "the old archive");
  ZxStringList names;
  ASSERT_TRUE(zxos::listDirectory(ZxString(tmp.path().c_str()), names));
  EXPECT_EQ(str(names.join(",")), "archive");
}

TEST(OsUser, NameAndIdComeFromTheProcessAccount) {
  ZxString name;
  struct passwd* pw = getpwuid(geteuid());
  if (!pw) GTEST_SKIP() << "no password entry for this account";
  ASSERT_TRUE(zxos::userName(name));
  EXPECT_EQ(str(name), pw->pw_name);
  EXPECT_EQ(str(zxos::userIdText()), std::to_string(geteuid()));
  ZxString domain("kept");
  EXPECT_FALSE(zxos::logonDomain(domain));
  EXPECT_EQ(str(domain), "kept");
}

TEST(OsEnv, BlockWorkingFolderAndLookup) {
  ScopedEnv env;
  env.set("ZX_OS_TEST_VAR", "a=b c").unset("ZX_OS_TEST_UNSET");
  ZxStringList block;
  zxos::environmentBlock(block);
  bool found = false;
  for (int i = 0; i < block.count(); ++i)
    if (str(*block.get(i)) == "ZX_OS_TEST_VAR=a=b c") found = true;
  EXPECT_TRUE(found);
  EXPECT_EQ(str(zxos::getEnv("ZX_OS_TEST_VAR")), "a=b c");
  EXPECT_TRUE(zxos::getEnv("ZX_OS_TEST_UNSET").isEmpty());
  EXPECT_TRUE(zxos::getEnv(nullptr).isEmpty());

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ZxString here;
  ASSERT_TRUE(zxos::currentDirectory(here));
  EXPECT_EQ(str(here), cwd);

  ZxStringList drives, targets;
  zxos::driveMounts(drives, targets);
  EXPECT_EQ(drives.count(), 0);
}

// The host's own clock and name, with the time zone pinned to UTC: local
// time of a moment, and the moment of a local time, both ways.
TEST(OsHost, LocalTimeAndHostName) {
  const char* oldTz = getenv("TZ");
  std::string saved = oldTz ? oldTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  struct Case {
    std::time_t t;
    int year, month, day, hour, minute, second, yearDay, weekDay;
  } cases[] = {
      {1236071103, 2009, 3, 3, 9, 5, 3, 61, 2},
      {1230767999, 2008, 12, 31, 23, 59, 59, 365, 3},  // leap year: the last day is 365
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    ZxLocalTime t;
    ASSERT_TRUE(ZxOsHost::localTime(c.t, &t));
    EXPECT_EQ(t.year, c.year);
    EXPECT_EQ(t.month, c.month);
    EXPECT_EQ(t.day, c.day);
    EXPECT_EQ(t.hour, c.hour);
    EXPECT_EQ(t.minute, c.minute);
    EXPECT_EQ(t.second, c.second);
    EXPECT_EQ(t.yearDay, c.yearDay);
    EXPECT_EQ(t.weekDay, c.weekDay);
    int64_t back = 0;
    ASSERT_TRUE(ZxOsHost::unixFromLocal(t, &back));
    EXPECT_EQ(back, static_cast<int64_t>(c.t));
  }
  // Fields out of range carry over: 32 January is 1 February.
  ZxLocalTime carried;
  carried.year = 2009;
  carried.month = 1;
  carried.day = 32;
  int64_t feb1 = 0;
  ASSERT_TRUE(ZxOsHost::unixFromLocal(carried, &feb1));
  EXPECT_EQ(feb1, 1233446400);
  EXPECT_FALSE(ZxOsHost::localTime(0, nullptr));
  EXPECT_FALSE(ZxOsHost::unixFromLocal(carried, nullptr));
  if (oldTz) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  char expected[1024] = {0};
  ASSERT_EQ(gethostname(expected, sizeof expected - 1), 0);
  EXPECT_EQ(ZxOsHost::hostName(), expected);
  ZxLocalTime now;
  EXPECT_TRUE(ZxOsHost::localTimeNow(&now));
  EXPECT_GE(now.year, 2009);
  EXPECT_GT(ZxOsHost::unixNow(), 1230767999);
}

}  // namespace
