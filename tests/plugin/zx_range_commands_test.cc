// Tests of the frame range commands driven through the Maya API stand-in:
// argument gathering (only string arrays count), the list results and the
// "gen" results shaped as arrays of work hashes.
#include "plugin/zx_range_commands.h"

#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <maya/MStringArray.h>
#include <mayahost/host.h>

#include <memory>
#include <string>
#include <vector>

#include "util/zx_frame_list.h"

namespace {

using mayahost::CommandResult;

// One MEL argument: a string array, or (to be skipped) a string or an integer.
struct Arg {
  enum Kind { kArray, kString, kInt } kind;
  std::vector<std::string> items;
  int number;
};
Arg array(std::vector<std::string> items) { return {Arg::kArray, std::move(items), 0}; }
Arg word(std::string s) { return {Arg::kString, {std::move(s)}, 0}; }
Arg integer(int v) { return {Arg::kInt, {}, v}; }

struct Outcome {
  MStatus status;
  CommandResult result;
};

Outcome run(void* (*creator)(), const std::vector<Arg>& args) {
  MArgList list;
  for (const Arg& a : args) {
    if (a.kind == Arg::kInt) {
      list.addInt(a.number);
    } else if (a.kind == Arg::kString) {
      list.addString(MString(a.items[0]));
    } else {
      MStringArray items;
      for (const std::string& s : a.items) items.append(MString(s));
      list.addStringArray(items);
    }
  }
  mayahost::currentResult().clear();
  std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
  Outcome r{command->doIt(list), mayahost::currentResult()};
  mayahost::currentResult().clear();
  return r;
}

using Creator = void* (*)();

TEST(RangeCommands, ResultsForEachCommand) {
  struct Case {
    const char* name;
    Creator creator;
    std::vector<Arg> args;
    std::vector<std::string> result;
  };
  const Case cases[] = {
      {"split", zxRangesplit::creator, {array({"1-3", "10"})}, {"1", "2", "3", "10"}},
      {"split across arrays", zxRangesplit::creator, {array({"1-3"}), array({"10"})}, {"1", "2", "3", "10"}},
      {"split pattern",
       zxRangesplit::creator,
       {array({"shot.[01-03].tif"})},
       {"shot.01.tif", "shot.02.tif", "shot.03.tif"}},
      {"split mixes ranges and patterns", zxRangesplit::creator, {array({"1-2", "a.tif"})}, {"1-2", "a.tif"}},
      {"split skips non-arrays",
       zxRangesplit::creator,
       {word("1-3"), integer(4), array({}), array({"5"}), word("6")},
       {"5"}},
      {"split of nothing", zxRangesplit::creator, {}, {}},
      {"split of only skipped arguments", zxRangesplit::creator, {word("1-3"), integer(2)}, {}},
      {"genframes", zxGenframes::creator, {array({"1-2"})}, {"array", "{name 1}", "{name 2}"}},
      {"genframes quotes its elements",
       zxGenframes::creator,
       {array({"a\"b,c\\d,,e"})},
       {"array", "{name a\\\"b}", "{name c\\\\d}", "{name \"\"}", "{name e}"}},
      {"genframes of nothing", zxGenframes::creator, {}, {"array"}},
      {"chunk", zxRangechunk::creator, {array({"5", "1-12"})}, {"1-5", "6-10", "11-12"}},
      {"chunk of size 0", zxRangechunk::creator, {array({"0", "1-10"})}, {}},
      {"chunk joins texts of all arrays, last size wins",
       zxRangechunk::creator,
       {array({"10", "1-4"}), word("3"), array({"2", "7-8"})},
       {"1-2", "3-4", "7", "8"}},
      {"chunk reads no patterns", zxRangechunk::creator, {array({"5", "shot.[1-3].tif"})}, {}},
      {"chunk of nothing", zxRangechunk::creator, {}, {}},
      {"chunk without a size", zxRangechunk::creator, {integer(5), word("1-10")}, {}},
      {"genchunks",
       zxGenchunks::creator,
       {array({"3", "1-10x2"})},
       {"array", "{name 1-5x2}", "{name 7-9x2}"}},
      {"genchunks of nothing", zxGenchunks::creator, {}, {"array"}},
  };
  for (const Case& c : cases) {
    Outcome r = run(c.creator, c.args);
    EXPECT_EQ(r.status, MStatus::kSuccess) << c.name;
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kStringArray) << c.name;
    EXPECT_EQ(r.result.array, c.result) << c.name;
  }
}

// Collects the messages the commands show.
class MessageHost : public mayahost::Host {
 public:
  MStatus registerCommand(const MString&, MCreatorFunction) override { return MStatus::kSuccess; }
  MStatus deregisterCommand(const MString&) override { return MStatus::kSuccess; }
  MStatus sourceFile(const MString&) override { return MStatus::kSuccess; }
  MStatus executeCommand(const MString&, bool, bool) override { return MStatus::kSuccess; }
  void displayError(const MString& m) override { errors.push_back(m.str()); }
  void displayWarning(const MString&) override {}
  void displayInfo(const MString&) override {}
  std::vector<std::string> errors;
};

// A list that would pass a bound is never answered cut short: the command
// fails with an empty result and an error naming the bound. Chunks of plain
// ranges are worked out from the ranges, so a long range chunked coarsely
// is answered whole.
TEST(RangeCommands, ListsPastTheirBoundsFailNamingTheBound) {
  const std::string longName(100000, 'n');
  const std::string frames = "more than " + std::to_string(FrameList::kMaxFrames) + " frames";
  const std::string chunks = "more than " + std::to_string(FrameList::kMaxChunks) + " chunks";
  struct Case {
    const char* name;
    Creator creator;
    std::vector<Arg> args;
    std::string error;  // empty: success
    size_t count;
    std::string last;
  } cases[] = {
      {"a million frames by 10",
       zxRangechunk::creator,
       {array({"10", "1-1000000"})},
       "",
       100000,
       "999991-1000000"},
      {"two billion frames by 10000",
       zxGenchunks::creator,
       {array({"10000", "1-2000000000"})},
       "",
       200001,
       "{name 1999990001-2000000000}"},
      {"two billion frames by 1000", zxRangechunk::creator, {array({"1000", "1-2000000000"})}, chunks, 0, ""},
      {"a million frames by 1", zxGenchunks::creator, {array({"1", "1-1000000"})}, chunks, 0, ""},
      {"every third frame excepted",
       zxRangechunk::creator,
       {array({"5", "1-2000000000X3"})},
       "separate ranges",
       0,
       ""},
      {"a billion frames split", zxRangesplit::creator, {array({"1-1000000000"})}, frames, 0, ""},
      {"frames past the bound", zxGenframes::creator, {array({"1-300000", "1-200000"})}, frames, 0, ""},
      {"long names", zxGenframes::creator, {array({longName + ".[1-1000]"})}, "more than 32 MiB", 0, ""},
      {"many names", zxRangesplit::creator, {array({"a[1-300000],b[1-300000]"})}, "names", 0, ""},
      // Four billion frames walked for none taken used to hang here.
      {"nothing to take",
       zxGenframes::creator,
       {array({"-2147483648-2147483647X1", "5"})},
       "",
       2,
       "{name 5}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageHost host;
    mayahost::setHost(&host);
    Outcome r = run(c.creator, c.args);
    mayahost::setHost(nullptr);
    if (c.error.empty()) {
      EXPECT_EQ(r.status, MStatus::kSuccess);
      EXPECT_TRUE(host.errors.empty());
      ASSERT_EQ(r.result.array.size(), c.count);
      EXPECT_EQ(r.result.array.back(), c.last);
      continue;
    }
    EXPECT_EQ(r.status, MStatus::kFailure);
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kNone);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(c.error), std::string::npos) << host.errors[0];
  }
}

}  // namespace
