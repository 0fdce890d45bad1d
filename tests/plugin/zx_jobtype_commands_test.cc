// The job type and job flag commands driven through the Maya API stand-in,
// against job type folders made in a temporary folder.
#include "plugin/zx_jobtype_commands.h"

#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MStringArray.h>
#include <mayahost/host.h>
#include <sys/stat.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/zx_flags.h"
#include "plugin/zx_job_type_folders.h"

namespace {

using mayahost::CommandResult;

struct Outcome {
  MStatus status;
  CommandResult result;
};

Outcome run(void* (*creator)(), const MArgList& args) {
  mayahost::currentResult().clear();
  std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(creator()));
  Outcome r{command->doIt(args), mayahost::currentResult()};
  mayahost::currentResult().clear();
  return r;
}

MArgList strings(const std::vector<std::string>& words) {
  MArgList list;
  for (const std::string& w : words) list.addString(MString(w));
  return list;
}

class JobTypeCommands : public JobTypeFolders {};

TEST_F(JobTypeCommands, JobConfigAnswersKeysWithAndWithoutResolution) {
  std::string maya = addType("maya", "maya_menu = menu/farm.mel\nabs = /opt/farm.mel\ndetail = \"a b\"\n");
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {{"maya", "maya_menu", "1"}, maya + "/menu/farm.mel"},
      {{"maya", "maya_menu", "0"}, "menu/farm.mel"},
      {{"maya", "maya_menu"}, "menu/farm.mel"},
      {{"maya", "maya_menu", "256"}, "menu/farm.mel"},  // only the low byte counts
      {{"maya", "maya_menu", "257"}, maya + "/menu/farm.mel"},
      {{"maya", "maya_menu", "yes"}, "menu/farm.mel"},  // not a number: off
      {{"maya", "abs", "1"}, "/opt/farm.mel"},
      {{"maya", "detail", "0"}, "a b"},
      {{"maya", "missing", "0"}, ""},
      {{"maya", "missing", "1"}, maya + "/"},
      {{"houdini", "maya_menu", "0"}, ""},
      {{"houdini", "maya_menu", "1"}, "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    Outcome r = run(zxJobconfig::creator, strings(c.args));
    std::string what = c.args[0] + " " + c.args[1] + (c.args.size() > 2 ? " " + c.args[2] : "");
    EXPECT_EQ(r.status, MStatus::kSuccess) << what;
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kString) << what;
    EXPECT_EQ(r.result.text, c.expected) << what;
  }
  // A numeric third argument counts like its text.
  MArgList withInt = strings({"maya", "maya_menu"});
  withInt.addInt(1);
  EXPECT_EQ(run(zxJobconfig::creator, withInt).result.text, maya + "/menu/farm.mel");
}

TEST_F(JobTypeCommands, JobConfigFailsSilentlyWithoutTypeAndKey) {
  MArgList arrayFirst;
  arrayFirst.addStringArray(MStringArray());
  arrayFirst.addString(MString("maya_menu"));
  MArgList arraySecond = strings({"maya"});
  arraySecond.addStringArray(MStringArray());
  const MArgList lists[] = {MArgList(), strings({"maya"}), arrayFirst, arraySecond};
  for (const MArgList& args : lists) {
    SCOPED_TRACE(testing::Message() << "row " << (&args - &lists[0]));
    Outcome r = run(zxJobconfig::creator, args);
    EXPECT_EQ(r.status, MStatus::kFailure);
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kNone);
  }
}

TEST_F(JobTypeCommands, JobTypeAvailableListsValidTypes) {
  Outcome none = run(zxJobtypeavailable::creator, MArgList());
  EXPECT_EQ(none.status, MStatus::kSuccess);
  EXPECT_EQ(none.result.kind, CommandResult::Kind::kStringArray);  // an empty array, not nothing
  EXPECT_TRUE(none.result.array.empty());

  addType("maya", "");
  addType("nuke", "");
  addType(".svn", "");
  addType("old", "required_zexa_version = 5.3\n");
  Outcome r = run(zxJobtypeavailable::creator, strings({"ignored", "arguments"}));
  EXPECT_EQ(r.status, MStatus::kSuccess);
  EXPECT_EQ(std::set<std::string>(r.result.array.begin(), r.result.array.end()),
            (std::set<std::string>{"maya", "nuke"}));
  EXPECT_EQ(r.result.array.size(), 2u);
}

TEST_F(JobTypeCommands, JobFlagIntConvertsNumbersAndNames) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"12", 12},
      {"auto_mount,export_environment", JobFlag::kAutoMount | JobFlag::kExportEnvironment},
      {"mail", JobFlag::kMail},
      {"mail,no_such_flag", JobFlag::kMail},
      {"no_such_flag", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    Outcome r = run(zxJobflagint::creator, strings({c.text}));
    EXPECT_EQ(r.status, MStatus::kSuccess) << c.text;
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kInt) << c.text;
    EXPECT_EQ(r.result.number, c.expected) << c.text;
  }
  MArgList number;
  number.addInt(24);
  EXPECT_EQ(run(zxJobflagint::creator, number).result.number, 24);

  MArgList array;
  array.addStringArray(MStringArray());
  const MArgList failing[] = {MArgList(), array};
  for (const MArgList& args : failing) {
    SCOPED_TRACE(testing::Message() << "row " << (&args - &failing[0]));
    Outcome r = run(zxJobflagint::creator, args);
    EXPECT_EQ(r.status, MStatus::kFailure);
    EXPECT_EQ(r.result.kind, CommandResult::Kind::kNone);
  }
}

}  // namespace
