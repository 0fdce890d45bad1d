// Tests of the flag sets and enumerations: every table's names, values and
// text order, the numeric shortcut, unknown names, splitList and
// isValidJobFlags.
#include "model/zx_flags.h"
#include "model/zx_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Rows = std::vector<std::pair<const char*, int>>;

struct FlagSetCase {
  const char* set;
  const ZxFlagTable& table;
  Rows rows;  // in text order, written out by hand
};

// The rows of every flag set as they must be written, in text order.
std::vector<FlagSetCase> flagSets() {
  return {
      {"LogCategory",
       LogCategory::table(),
       {{"startup", 0x1},   {"work", 0x2},         {"subjob", 0x4},     {"job", 0x8},
        {"host", 0x10},     {"log", 0x20},         {"admin", 0x40},     {"command", 0x80},
        {"query", 0x100},   {"sync", 0x200},       {"queue", 0x400},    {"callback", 0x800},
        {"debug", 0x1000},  {"error", 0x2000},     {"warning", 0x4000}, {"security", 0x8000},
        {"auth", 0x10000},  {"preempt", 0x20000},  {"memory", 0x40000}, {"web", 0x80000},
        {"info", 0x100000}, {"license", 0x200000}, {"file", 0x400000}}},
      {"SupervisorState",
       SupervisorState::table(),
       {{"reject_submit", 0x1}, {"stop_activity", 0x2}, {"enforce_password", 0x4}}},
      {"WorkerFlag",
       WorkerFlag::table(),
       {{"dynamic", 0x2},
        {"dedicated", 0x1},
        {"auto_mount", 0x4},
        {"remove_logs", 0x8},
        {"load_profile", 0x10},
        {"rotate_logs", 0x40},
        {"ssl", 0x20},
        {"enable_winbind", 0x80},
        {"disable_quickboot", 0x100}}},
      {"SupervisorFlag",
       SupervisorFlag::table(),
       {{"enforce_password", 0x1},
        {"host_recontact", 0x2},
        {"heartbeat_monitor", 0x4},
        {"running_monitor", 0x800},
        {"clone_logs", 0x8},
        {"remove_logs", 0x10},
        {"master", 0x20},
        {"ssl", 0x40},
        {"multicast", 0x80},
        {"schedule", 0x100},
        {"stub_optimize", 0x400},
        {"rotate_logs", 0x200},
        {"retry_busy", 0x1000},
        {"ignore_duplicate_peer", 0x2000},
        {"enable_max_connections", 0x4000},
        {"enable_prediction", 0x8000},
        {"disable_submit_check", 0x10000},
        {"archive_jobs", 0x20000}}},
      {"CallbackLanguageFlag",
       CallbackLanguageFlag::table(),
       {{"zexa", 0x1}, {"perl", 0x2}, {"python", 0x4}, {"post", 0x8}, {"mail", 0x10}, {"dependency", 0x20}}},
      {"KindFlag",
       KindFlag::table(),
       {{"job", 0x1},
        {"subjob", 0x2},
        {"work", 0x4},
        {"callback", 0x8},
        {"user", 0x10},
        {"admin", 0x20},
        {"mail", 0x40}}},
      {"JobPartFlag", JobPartFlag::table(), {{"job", 0x1}, {"subjob", 0x2}, {"work", 0x4}}},
      {"ClientFlag", ClientFlag::table(), {{"ssl", 0x40}, {"restrict_domain", 0x80}}},
      {"LazyFlag", LazyFlag::table(), {{"lazy", 0x1}, {"log_times", 0x2}}},
      {"JobFlag",
       JobFlag::table(),
       {{"uninterruptible", 0x1},
        {"memory_hard_limit", 0x2},
        {"grid", 0x4},
        {"thrifty", 0x40},
        {"expand", 0x20},
        {"auto_mount", 0x8},
        {"export_environment", 0x10},
        {"host_list", 0x100},
        {"elite", 0x200},
        {"mail", 0x400},
        {"disable_windows_job_object", 0x800},
        {"disable_cpu_limit", 0x1000},
        {"disable_auto_complete", 0x2000}}},
      {"Permission",
       Permission::table(),
       {{"submit_job", 0x1},
        {"submit_callback", 0x2},
        {"submit_global_callback", 0x4},
        {"bump", 0x8},
        {"kill", 0x10},
        {"remove", 0x20},
        {"modify", 0x40},
        {"preempt", 0x80},
        {"block", 0x100},
        {"interrupt", 0x200},
        {"complete", 0x400},
        {"unblock", 0x800},
        {"suspend", 0x1000},
        {"resume", 0x2000},
        {"retry", 0x4000},
        {"reset", 0x100000},
        {"requeue", 0x8000},
        {"migrate", 0x10000},
        {"shove", 0x20000},
        {"fail", 0x40000},
        {"retire", 0x80000},
        {"lock_host", 0x8000000},
        {"sudo_admin", 0x10000000},
        {"impersonate", 0x20000000},
        {"admin", 0x40000000}}},
  };
}

TEST(FlagSets, EveryNameValueAndTextOrder) {
  for (const FlagSetCase& c : flagSets()) {
    SCOPED_TRACE(c.set);
    int all = 0;
    std::string joined;
    for (const auto& [name, bit] : c.rows) {
      EXPECT_EQ(std::string(c.table.toNames(bit).c_str()), name);
      EXPECT_EQ(c.table.fromNames(name), bit) << name;
      all |= bit;
      joined += (joined.empty() ? "" : ",") + std::string(name);
    }
    // The union lists every name once, in text order, and reads back whole.
    ZxString names = c.table.toNames(all);
    EXPECT_EQ(std::string(names.c_str()), joined);
    EXPECT_EQ(c.table.fromNames(names), all);
    // Every bit outside the named ones is dropped on output.
    EXPECT_EQ(c.table.toNames(-1), names);
    EXPECT_EQ(std::string(c.table.toNames(~all).c_str()), "0");
  }
}

TEST(FlagSets, ToNamesCases) {
  struct Case {
    const ZxFlagTable& table;
    int value;
    const char* expected;
  } cases[] = {
      {JobFlag::table(), 0, "0"},
      {JobFlag::table(), 0x80, "0"},  // the unnamed bit
      {JobFlag::table(), 0x404, "grid,mail"},
      {JobFlag::table(), 0x68, "thrifty,expand,auto_mount"},  // text order, not bit order
      {JobFlag::table(), 0x81, "uninterruptible"},            // the old spelling is never written
      {SupervisorState::table(), 7, "reject_submit,stop_activity,enforce_password"},
      {WorkerFlag::table(), 3, "dynamic,dedicated"},
      {Permission::table(), 0x104000, "retry,reset"},
      {Permission::table(), 0x200000, "0"},
      {SupervisorFlag::table(), 0xE00, "running_monitor,stub_optimize,rotate_logs"},
      {ClientFlag::table(), 0xC0, "ssl,restrict_domain"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(c.table.toNames(c.value).c_str()), c.expected) << c.value;
  }
}

TEST(FlagSets, FromNamesCases) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"grid, mail", 0x404},  // items are trimmed
      {"mail,grid", 0x404},   // order does not matter
      {"Grid", 0},            // case matters
      {"uninterruptable", 1},
      {"uninterruptible", 1},
      {"128", 128},  // a number gives its value, even an unnamed bit
      {"-1", -1},
      {"-", 0},
      {" 64", 0},  // not numeric, and "64" is no name
      {"", 0},
      {"grid,bogus,mail", 0x404},  // unknown items add nothing
      {"grid,,mail,", 0x404},
      {"\tgrid\r\n", 0x4},
      {"\"grid\"", 0},  // a quoted item keeps its quotes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JobFlag::fromNames(c.text), c.expected) << '"' << c.text << '"';
  }
  // A repeated name counts once per occurrence; the sum wraps instead of
  // overflowing when it passes the sign bit.
  EXPECT_EQ(JobFlag::fromNames("grid,grid"), 8);
  EXPECT_EQ(Permission::fromNames("admin,admin"), static_cast<int>(0x80000000u));
}

TEST(FlagSets, IsValidJobFlags) {
  struct Case {
    const char* text;
    bool expected;
  } cases[] = {
      {"12", true},
      {"-5", true},
      {"", true},
      {"grid", true},
      {"grid, mail ,uninterruptable", true},
      {"grid,", true},  // no empty item after a final comma
      {"grid,bogus", false},
      {"bogus,grid", false},
      {"grid,,mail", false},  // the empty middle item is no name
      {"Grid", false},
      {"1x", false},
      {"0x80", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JobFlag::isValidJobFlags(c.text), c.expected) << '"' << c.text << '"';
  }
}

struct EnumCase {
  const char* set;
  const ZxEnumTable& table;
  Rows rows;
  const char* unknownName;
  int unknownValue;
};

TEST(Enumerations, EveryNameValueAndUnknowns) {
  std::vector<EnumCase> cases = {
      {"StatusCode",
       StatusCode::table(),
       {{"none", 0},
        {"saved", 5},
        {"complete", 16},
        {"warning", 21},
        {"failed", 32},
        {"killed", 48},
        {"blocked", 272},
        {"paused", 293},
        {"suspended", 304},
        {"pending", 320},
        {"waiting", 323},
        {"badlogin", 325},
        {"running", 336}},
       "none",
       0},
      {"CallbackLanguage",
       CallbackLanguage::table(),
       {{"perl", 1},
        {"python", 2},
        {"tcl", 3},
        {"zexa", 4},
        {"unknown", 5},
        {"post", 6},
        {"mail", 7},
        {"dependency", 8}},
       "unknown",
       5},
      {"EventCategory",
       EventCategory::table(),
       {{"job", 0},
        {"subjob", 1},
        {"work", 2},
        {"unknown", 4},
        {"variable", 5},
        {"client", 6},
        {"time", 8},
        {"repeat", 16},
        {"global", 128},
        {"globaltime", 136},
        {"globalrepeat", 152}},
       "unknown",
       4},
      {"ResourceKind",
       ResourceKind::table(),
       {{"unlimited", 1}, {"host", 2}, {"global", 3}, {"scoped", 4}, {"license", 5}, {"scopedlicense", 6}},
       "unknown",
       0},
      {"VariableScope",
       VariableScope::table(),
       {{"job", 1}, {"global", 2}, {"host", 256}, {"scoped", 257}},
       "unknown",
       0},
  };
  for (const EnumCase& c : cases) {
    SCOPED_TRACE(c.set);
    EXPECT_EQ(c.table.count(), static_cast<int>(c.rows.size()));
    for (const auto& [name, value] : c.rows) {
      EXPECT_STREQ(c.table.nameOf(value), name);
      EXPECT_EQ(c.table.valueOf(name), value) << name;
    }
    EXPECT_STREQ(c.table.nameOf(999), c.unknownName);
    EXPECT_STREQ(c.table.nameOf(-1), c.unknownName);
    EXPECT_EQ(c.table.valueOf("bogus"), c.unknownValue);
    EXPECT_EQ(c.table.valueOf(""), c.unknownValue);
  }
}

TEST(Enumerations, NamedEdgeCases) {
  EXPECT_STREQ(StatusCode::nameOf(999), "none");
  EXPECT_EQ(StatusCode::valueOf("done"), 0);     // a class name, not a status
  EXPECT_EQ(StatusCode::valueOf("336"), 0);      // no numeric shortcut
  EXPECT_EQ(StatusCode::valueOf("Running"), 0);  // case matters
  EXPECT_EQ(CallbackLanguage::valueOf("ruby"), 5);
  EXPECT_STREQ(CallbackLanguage::nameOf(5), "unknown");
  EXPECT_STREQ(CallbackLanguage::nameOf(0), "unknown");
  EXPECT_EQ(EventCategory::valueOf("host"), 4);
  EXPECT_STREQ(EventCategory::nameOf(3), "unknown");
  EXPECT_STREQ(ResourceKind::nameOf(0), "unknown");
  EXPECT_STREQ(VariableScope::nameOf(0), "unknown");
  EXPECT_EQ(VariableScope::valueOf("unknown"), 0);
}

std::vector<std::string> split(const char* text) {
  ZxStringList items = splitList(text);
  std::vector<std::string> out;
  for (int i = 0; i < items.count(); ++i) out.emplace_back(items.get(i)->c_str(), items.get(i)->length());
  return out;
}

TEST(SplitList, Cases) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    V expected;
  } cases[] = {
      {"", V{}},
      {"a", V{"a"}},
      {"a,b", V{"a", "b"}},
      {"a,,b", V{"a", "", "b"}},
      {"a,", V{"a"}},  // no empty item after a final comma
      {",", V{""}},
      {",a", V{"", "a"}},
      {"a,,", V{"a", ""}},
      {" a , b ", V{"a", "b"}},
      {"a, ", V{"a", ""}},  // an item of blanks is empty
      {"\t\r\n", V{""}},
      {"a b,c", V{"a b", "c"}},  // inner blanks stay
      {"\"a,b\",c", V{"\"a,b\"", "c"}},
      {"x\"a,b\"y,c", V{"x\"a,b\"y", "c"}},
      {"'a,b',c", V{"'a,b'", "c"}},
      {"\"a\\\",b\",c", V{"\"a\\\",b\"", "c"}},  // an escaped quote does not close the group
      {"'it\\'s,x',y", V{"'it\\'s,x'", "y"}},
      {"\"a,'b\",c", V{"\"a,'b\"", "c"}},  // the other quote is plain inside a group
      {"{a,b},c", V{"{a,b}", "c"}},
      {"{a,{b,c},d},e", V{"{a,{b,c},d}", "e"}},  // nesting counted
      {"a}b,c", V{"a}b", "c"}},                  // a lone closing brace is a plain character
      {"\"a,b", V{"\"a,b"}},                     // an open group runs to the end
      {"{a,{b}", V{"{a,{b}"}},
      {"\"a\\", V{"\"a\\"}},  // a backslash at the very end
      {" \"a\" , {b} ", V{"\"a\"", "{b}"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(SplitList, KeepsBytesAfterNul) {
  ZxStringList items = splitList(ZxString("a\0b,c", 5));
  ASSERT_EQ(items.count(), 2);
  EXPECT_EQ(items.get(0)->length(), 3);
  EXPECT_EQ(*items.get(1), "c");
}

}  // namespace
