// The command boundary under memory that runs out: every allocation a
// command makes is failed in turn, and each run must either succeed with
// exactly the result of an undisturbed run or fail with an empty result and
// "<command>: out of memory". Nothing may throw out of doIt, crash, leak
// (AddressSanitizer checks at exit) or answer a shortened result.
#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <mayahost/host.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "memory/zx_failing_alloc.h"
#include "plugin/zx_command_table.h"
#include "plugin/zx_job_type_folders.h"

namespace {

struct Arg {
  enum Kind { kString, kInt, kArray } kind;
  std::string text;
  std::vector<std::string> array;
};
Arg s(const std::string& t) { return {Arg::kString, t, {}}; }
Arg a(const std::vector<std::string>& items) { return {Arg::kArray, "", items}; }

MArgList argsOf(const std::vector<Arg>& args) {
  MArgList list;
  for (const Arg& arg : args) {
    if (arg.kind == Arg::kString) {
      list.addString(MString(arg.text.c_str(), static_cast<int>(arg.text.size())));
    } else {
      MStringArray array;
      for (const std::string& item : arg.array) array.append(MString(item.c_str()));
      list.addStringArray(array);
    }
  }
  return list;
}

MCreatorFunction creatorOf(const char* name) {
  for (int i = 0; i < zxCommandCount(); ++i)
    if (std::strcmp(zxCommandTable()[i].melName, name) == 0) return zxCommandTable()[i].creator;
  return nullptr;
}

struct Outcome {
  MStatus status = MStatus::kFailure;
  mayahost::CommandResult result;
  std::vector<std::string> messages;
  long long allocations = 0;
  bool fired = false;
};

class CommandBoundary : public JobTypeFolders {
 protected:
  // Runs the registered (guarded) command once, failing its n-th allocation
  // (none for n = 0).
  Outcome run(const char* name, const MArgList& args, long long n) {
    Outcome o;
    MCreatorFunction creator = creatorOf(name);
    if (!creator) {
      ADD_FAILURE() << name << " is not in the command table";
      return o;
    }
    std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
    host_.messages.clear();
    mayahost::currentResult().clear();
    {
      zxtest::FailNthAllocation failing(n);
      o.status = command->doIt(args);
      o.allocations = failing.count();
      o.fired = failing.fired();
    }
    o.result = mayahost::currentResult();
    o.messages = host_.messages;
    host_.messages.clear();
    mayahost::currentResult().clear();
    return o;
  }
};

bool sameResult(const mayahost::CommandResult& x, const mayahost::CommandResult& y) {
  return x.kind == y.kind && x.text == y.text && x.number == y.number && x.array == y.array;
}

TEST_F(CommandBoundary, EveryFailedAllocationFailsTheCommandOrChangesNothing) {
  addType("maya", "maya_menu = zx_menu.mel\nkey = value\n");
  addType("nuke", "key = other\n");
  const std::string archive = tmp_.file("job.zx");
  struct Case {
    const char* command;
    std::vector<Arg> args;
  } cases[] = {
      {"zxversion", {}},
      {"zxpack", {a({"hash", "name", "my job", "cpus", "4"})}},
      {"zxpack", {s("array"), s("a b"), a({"x", "y"}), s("{k v}")}},
      {"zxunpack", {s("{name \"my job\" agenda \"({name 1} {name 2})\"}")}},
      {"zxrangesplit", {a({"1-3", "shot.[01-03].tif"})}},
      {"zxrangechunk", {a({"5", "1-12", "20-30x2"})}},
      {"zxgenframes", {a({"1-2"})}},
      {"zxgenchunks", {a({"3", "1-10x2"})}},
      {"zxjobflagint", {s("grid,mail")}},
      {"zxjobconfig", {s("maya"), s("maya_menu"), s("1")}},
      {"zxjobtypeavailable", {}},
      {"zxarchivejob",
       {s(archive), s("{name a package \"{x 1}\" agenda \"({name 1} {name 2})\" timelimit 5}")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    MArgList args = argsOf(c.args);
    Outcome good = run(c.command, args, 0);
    ASSERT_EQ(good.status, MStatus::kSuccess);
    ASSERT_TRUE(good.messages.empty());
    // Every allocation for small runs; an even spread of them for large ones.
    const long long total = good.allocations + 8;
    const long long step = total > 400 ? total / 400 : 1;
    int failures = 0;
    for (long long n = 1; n <= total; n += step) {
      SCOPED_TRACE("allocation " + std::to_string(n));
      Outcome o = run(c.command, args, n);
      if (!o.fired || o.status == MStatus::kSuccess) {
        // Untouched, or an allocation whose failure the command could do
        // without: then the answer is the full one.
        EXPECT_EQ(o.status, MStatus::kSuccess);
        EXPECT_TRUE(sameResult(o.result, good.result));
        EXPECT_TRUE(o.messages.empty());
        continue;
      }
      ++failures;
      EXPECT_EQ(o.result.kind, mayahost::CommandResult::Kind::kNone);
      ASSERT_EQ(o.messages.size(), 1u);
      EXPECT_EQ(o.messages[0], std::string(c.command) + ": out of memory");
    }
    // The sweep reached allocations that matter (zxversion makes none).
    if (good.allocations > 0) {
      EXPECT_GT(failures, 0);
    }
  }
}

}  // namespace
