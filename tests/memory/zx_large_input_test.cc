// Large inputs when memory runs short: every large block fails on purpose
// (as when the address space is used up), small ones still succeed. Each
// command must then fail with "<command>: out of memory" and an empty
// result, never crash, and never answer success with less than asked for:
// a shorter text, a list cut short, a job archived without its package,
// a configuration file taken as missing. With memory to spare the same
// inputs succeed.
#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <mayahost/host.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "memory/zx_failing_alloc.h"
#include "plugin/zx_command_table.h"
#include "plugin/zx_job_type_folders.h"

namespace {

MCreatorFunction creatorOf(const char* name) {
  for (int i = 0; i < zxCommandCount(); ++i)
    if (std::strcmp(zxCommandTable()[i].melName, name) == 0) return zxCommandTable()[i].creator;
  return nullptr;
}

struct Arg {
  bool array;
  std::vector<std::string> items;
};
Arg s(const std::string& t) { return {false, {t}}; }
Arg a(const std::vector<std::string>& items) { return {true, items}; }

class LargeInputs : public JobTypeFolders {
 protected:
  struct Outcome {
    MStatus status;
    mayahost::CommandResult result;
    std::vector<std::string> messages;
  };
  // Runs the registered command; with `limit`, every allocation of at
  // least that many bytes fails.
  Outcome run(const char* name, const std::vector<Arg>& args, size_t limit) {
    MArgList list;
    for (const Arg& arg : args) {
      if (!arg.array) {
        list.addString(MString(arg.items[0].c_str(), static_cast<int>(arg.items[0].size())));
        continue;
      }
      MStringArray items;
      for (const std::string& item : arg.items)
        items.append(MString(item.c_str(), static_cast<int>(item.size())));
      list.addStringArray(items);
    }
    std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creatorOf(name)()));
    host_.messages.clear();
    mayahost::currentResult().clear();
    Outcome o;
    if (limit > 0) {
      zxtest::FailLargeAllocations failing(limit);
      o.status = command->doIt(list);
    } else {
      o.status = command->doIt(list);
    }
    o.result = mayahost::currentResult();
    o.messages = host_.messages;
    host_.messages.clear();
    mayahost::currentResult().clear();
    return o;
  }
};

TEST_F(LargeInputs, CommandsFailWholeWhenLargeBlocksCannotBeHad) {
  constexpr size_t kLimit = 1 << 20;  // blocks from 1 MiB up fail
  std::string elements = "(";
  for (int i = 0; i < 400000; ++i) elements += "a ";  // 800 KB: the argument itself fits
  elements += ")";
  const std::string third(400000, 'x');
  const std::string archive = tmp_.file("job.zx");
  const std::string bigPackage = "{name shot package \"" + elements + "\"}";
  std::string conf;
  // 1.5 MB: a file that cannot be read whole must not count as missing.
  for (int i = 0; conf.size() < 1500000; ++i)
    conf += "k" + std::to_string(i) + " = " + std::to_string(i) + "\n";
  tmp_.write("etc/zx.conf", conf);
  addType("maya", conf + "key = value\n");

  struct Case {
    const char* what;
    const char* command;
    std::vector<Arg> args;
  } cases[] = {
      {"a package of many elements unpacked", "zxunpack", {s(elements)}},
      {"an array growing past the limit", "zxpack", {a({"array"}), s(third), s(third), s(third)}},
      {"a level nested into a growing text", "zxpack", {a({"array"}), s(third + third + third), s("x y")}},
      {"a job archived with a large package", "zxarchivejob", {s(archive), s(bigPackage)}},
      {"large configuration files", "zxjobconfig", {s("maya"), s("key")}},
      {"a long frame list", "zxrangesplit", {a({"1-300000"})}},
      {"long chunk lists", "zxgenchunks", {a({"1", "1-300000"})}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(archive.c_str());
    Outcome enough = run(c.command, c.args, 0);
    EXPECT_EQ(enough.status, MStatus::kSuccess);
    EXPECT_TRUE(enough.messages.empty());
    EXPECT_NE(enough.result.kind, mayahost::CommandResult::Kind::kNone);

    std::remove(archive.c_str());
    Outcome shortOfMemory = run(c.command, c.args, kLimit);
    EXPECT_EQ(shortOfMemory.status, MStatus::kFailure);
    EXPECT_EQ(shortOfMemory.result.kind, mayahost::CommandResult::Kind::kNone);
    ASSERT_EQ(shortOfMemory.messages.size(), 1u);
    EXPECT_EQ(shortOfMemory.messages[0], std::string(c.command) + ": out of memory");
  }
  // The archive that could not be made whole was not written at all.
  EXPECT_NE(::access(archive.c_str(), F_OK), 0);
}

}  // namespace
