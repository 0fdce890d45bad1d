// The supervisor commands run in process against a scripted supervisor on
// 127.0.0.1, with the clock seam replaced: the job id words, and that a
// failed command leaves no result behind, including one whose supervisor
// answered "no result" (a pause, recorded instead of slept).
#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <mayahost/host.h>

#include <memory>
#include <string>
#include <vector>

#include "model/zx_err.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"
#include "plugin/zx_job_arguments.h"
#include "plugin/zx_job_commands.h"
#include "plugin/zx_job_control_commands.h"

namespace {

using zxtest::FakeClock;
using zxtest::ScriptedSupervisor;

TEST(JobIdWords, OnlyJobIdsAreRead) {
  struct Case {
    const char* word;
    bool ok;
    int id;
    int sub;
  };
  const Case cases[] = {
      {"12", true, 12, -1},
      {"13.2", true, 13, 2},
      {"12.", true, 12, 0},
      {"12.*", true, 12, 0},
      {"7.0", true, 7, 0},
      {"2147483647", true, 2147483647, -1},
      {"0", false, 0, 0},  // the end of the list, never a job
      {"00", false, 0, 0},
      {"0.3", false, 0, 0},
      {"", false, 0, 0},
      {"abc", false, 0, 0},
      {"12x", false, 0, 0},
      {"x12", false, 0, 0},
      {"-4", false, 0, 0},
      {"+4", false, 0, 0},
      {" 12", false, 0, 0},
      {"12 ", false, 0, 0},
      {"12.3.4", false, 0, 0},
      {"12.3x", false, 0, 0},
      {"12.*3", false, 0, 0},
      {"12.-1", false, 0, 0},
      {"12..", false, 0, 0},
      {"2147483648", false, 0, 0},
      {"12.2147483648", false, 0, 0},
      {"99999999999999999999", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    ZxJobId id(99, 99);
    ASSERT_EQ(readJobId(c.word, id), c.ok);
    if (c.ok) {
      EXPECT_EQ(id.id(), c.id);
      EXPECT_EQ(id.subId(), c.sub);
    } else {
      EXPECT_EQ(id, ZxJobId(99, 99));  // untouched
    }
  }
}

class ErrorHost : public mayahost::Host {
 public:
  MStatus registerCommand(const MString&, MCreatorFunction) override { return MStatus::kSuccess; }
  MStatus deregisterCommand(const MString&) override { return MStatus::kSuccess; }
  MStatus sourceFile(const MString&) override { return MStatus::kSuccess; }
  MStatus executeCommand(const MString&, bool, bool) override { return MStatus::kSuccess; }
  void displayError(const MString& message) override { errors.push_back(message.asChar()); }
  void displayWarning(const MString&) override {}
  void displayInfo(const MString&) override {}
  std::vector<std::string> errors;
};

struct Outcome {
  MStatus status;
  mayahost::CommandResult result;
  std::vector<std::string> errors;
};

template <class Command>
Outcome run(const std::vector<std::string>& words) {
  MArgList args;
  for (const std::string& w : words) args.addString(MString(w.c_str()));
  ErrorHost host;
  mayahost::setHost(&host);
  mayahost::currentResult().clear();
  std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(Command::creator()));
  Outcome o{command->doIt(args), mayahost::currentResult(), host.errors};
  mayahost::currentResult().clear();
  mayahost::setHost(nullptr);
  return o;
}

class SupervisorCommandTest : public zxtest::ClientTest {
 protected:
  void serve(std::vector<zxtest::Answer> answers) {
    server_.reset(new ScriptedSupervisor);
    for (zxtest::Answer& a : answers) server_->add(std::move(a));
    writeConf(server_->port());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
  }
  std::unique_ptr<ScriptedSupervisor> server_;
};

TEST_F(SupervisorCommandTest, AFailedCommandLeavesNoResult) {
  struct Case {
    const char* name;
    Outcome (*run)();
    std::string first;  // the first error line
  };
  const Case cases[] = {
      {"zxkill", [] { return run<zxKill>({"12"}); }, "couldn't obtain data from supervisor."},
      {"zxmodify",
       [] {
         return run<zxModify>({"{priority 1}", "12"});
       },
       "couldn't obtain data from supervisor."},
      {"zxjobinfo",
       [] {
         return run<zxJobinfo>({"-user", "all"});
       },
       "couldn't obtain data from supervisor."},
      {"zxsubmit", [] { return run<zxSubmit>({"{name a}"}); }, "supervisor not accepting jobs."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    serve({zxtest::reply(3, new ZxErr(3057))});
    Outcome o = c.run();
    EXPECT_EQ(o.status, MStatus::kFailure);
    ASSERT_FALSE(o.errors.empty());
    EXPECT_EQ(o.errors[0], c.first);
    EXPECT_EQ(o.result.kind, mayahost::CommandResult::Kind::kNone);
  }
}

TEST_F(SupervisorCommandTest, ASupervisorWithNoResultFailsAfterAPause) {
  serve({zxtest::reply(0)});
  Outcome o = run<zxSuspend>({"12"});
  EXPECT_EQ(o.status, MStatus::kFailure);
  ASSERT_FALSE(o.errors.empty());
  EXPECT_EQ(o.errors[0], "couldn't obtain data from supervisor.");
  EXPECT_EQ(o.result.kind, mayahost::CommandResult::Kind::kNone);
  ASSERT_EQ(FakeClock::pauses().size(), 1u);
  EXPECT_GE(FakeClock::pauses()[0], 1);
  EXPECT_LE(FakeClock::pauses()[0], 10);
  EXPECT_EQ(server_->count(), 1);
}

}  // namespace
