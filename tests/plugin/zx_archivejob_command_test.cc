// Tests of zxarchivejob driven through the Maya API stand-in: the archive
// file reads back into the job built from the hash, the result is that
// job's hash, and the argument and file errors.
#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <maya/MPxCommand.h>
#include <mayahost/host.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/zx_job.h"
#include "plugin/zx_job_commands.h"
#include "plugin/zx_job_hash.h"
#include "serial/zx_pack.h"

namespace {

// Collects the messages shown with displayError.
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

Outcome archive(const MArgList& args) {
  ErrorHost host;
  mayahost::setHost(&host);
  mayahost::currentResult().clear();
  std::unique_ptr<MPxCommand> command(static_cast<MPxCommand*>(zxArchivejob::creator()));
  Outcome o{command->doIt(args), mayahost::currentResult(), host.errors};
  mayahost::currentResult().clear();
  mayahost::setHost(nullptr);
  return o;
}

MArgList strings(const std::vector<std::string>& items) {
  MArgList args;
  for (const std::string& s : items) args.addString(MString(s.c_str()));
  return args;
}

std::string tempPath(const char* tag) {
  return ::testing::TempDir() + "zx_archive_" + tag + "_" + std::to_string(getpid());
}

std::string packed(ZxJob& job) {
  job.pack();
  return std::string(job.buffer(), static_cast<size_t>(job.used()));
}

TEST(ArchivejobCommand, WritesTheJobInBinaryFormAndAnswersItsHash) {
  const std::string path = tempPath("ok");
  const std::string hash =
      "{name \"my job\" cpus 4 prototype maya timelimit 60 package \"{scene /p/a.mb}\" "
      R"x(agenda "(\"{name 1}\" \"{name 2}\")"})x";
  Outcome o = archive(strings({path, hash}));
  EXPECT_EQ(o.status, MStatus::kSuccess);
  EXPECT_TRUE(o.errors.empty());
  ASSERT_EQ(o.result.kind, mayahost::CommandResult::Kind::kStringArray);
  ASSERT_EQ(o.result.array.size(), 1u);

  std::unique_ptr<ZxJob> expected(hashToJob(hash.c_str()));
  ZxString expectedHash;
  ASSERT_TRUE(jobToHash(expected.get(), expectedHash));
  EXPECT_EQ(o.result.array[0], expectedHash.c_str());

  // The file is exactly the binary form of that job, and reads back whole.
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, packed(*expected));
  ZxJob read;
  EXPECT_GT(read.readFile(path.c_str(), ZxPack::kFormBinary), 0);
  EXPECT_TRUE(read == *expected);
  EXPECT_EQ(read.agenda().count(), 2);
  EXPECT_EQ(read.callbacks().count(), 1);
  ZxJob anyForm;  // the job file reader takes the binary form first
  EXPECT_GT(anyForm.readFile(path.c_str(), ZxPack::kFormJob), 0);
  EXPECT_TRUE(anyForm == *expected);

  // A second archive to the same path truncates the file.
  o = archive(strings({path, "{name x}"}));
  EXPECT_EQ(o.status, MStatus::kSuccess);
  ZxJob second;
  EXPECT_GT(second.readFile(path.c_str(), ZxPack::kFormBinary), 0);
  EXPECT_EQ(std::string(second.name().c_str()), "x");
  EXPECT_EQ(second.agenda().count(), 0);
  std::remove(path.c_str());
}

TEST(ArchivejobCommand, ArgumentAndFileErrors) {
  Outcome none = archive(MArgList());
  EXPECT_EQ(none.status, MStatus::kFailure);
  EXPECT_EQ(none.errors, std::vector<std::string>({"You must specify both a filename and a job hash."}));

  Outcome one = archive(strings({tempPath("one")}));
  EXPECT_EQ(one.status, MStatus::kFailure);
  EXPECT_TRUE(one.errors.empty());
  EXPECT_EQ(one.result.kind, mayahost::CommandResult::Kind::kNone);

  MStringArray array;
  array.append("{name a}");
  MArgList arrayHash;
  arrayHash.addString(MString(tempPath("array").c_str()));
  arrayHash.addStringArray(array);
  Outcome notString = archive(arrayHash);
  EXPECT_EQ(notString.status, MStatus::kFailure);
  EXPECT_TRUE(notString.errors.empty());

  MArgList arrayPath;
  arrayPath.addStringArray(array);
  arrayPath.addString("{name a}");
  EXPECT_EQ(archive(arrayPath).status, MStatus::kFailure);

  // A file that cannot be written: success, an empty string array.
  Outcome missing = archive(strings({::testing::TempDir() + "zx_no_such_folder/sub/job.bin", "{name a}"}));
  EXPECT_EQ(missing.status, MStatus::kSuccess);
  EXPECT_TRUE(missing.errors.empty());
  EXPECT_EQ(missing.result.kind, mayahost::CommandResult::Kind::kStringArray);
  EXPECT_TRUE(missing.result.array.empty());

  // An integer reads as its decimal text, which is no hash: a default job.
  const std::string path = tempPath("int");
  MArgList intHash;
  intHash.addString(MString(path.c_str()));
  intHash.addInt(5);
  Outcome number = archive(intHash);
  EXPECT_EQ(number.status, MStatus::kSuccess);
  ASSERT_EQ(number.result.array.size(), 1u);
  ZxJob defaults;
  ZxString defaultHash;
  jobToHash(&defaults, defaultHash);
  EXPECT_EQ(number.result.array[0], defaultHash.c_str());
  std::remove(path.c_str());
}

// Paths that cannot be written: nothing is opened that could block (a named
// pipe or a device), nothing is written under another name (a NUL byte cut
// the path short before), and what was there stays as it was. Each answers
// success with an empty result.
TEST(ArchivejobCommand, RefusedPathsAreLeftAlone) {
  const std::string base = tempPath("refused");
  ::mkdir(base.c_str(), 0700);
  const std::string fifo = base + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = base + "/folder";
  ::mkdir(folder.c_str(), 0700);
  const std::string prefix = base + "/cut";
  const std::string withNul = prefix + std::string("\0.job", 5);
  struct Case {
    const char* what;
    std::string path;
  } cases[] = {{"named pipe", fifo}, {"device", "/dev/null"}, {"folder", folder}, {"NUL byte", withNul}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MArgList args;
    args.addString(MString(c.path.data(), static_cast<int>(c.path.size())));
    args.addString("{name a}");
    Outcome o = archive(args);
    EXPECT_EQ(o.status, MStatus::kSuccess);
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.result.kind, mayahost::CommandResult::Kind::kStringArray);
    EXPECT_TRUE(o.result.array.empty());
  }
  struct stat info;
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_NE(::access(prefix.c_str(), F_OK), 0);
  std::remove(fifo.c_str());
  ::rmdir(folder.c_str());
  ::rmdir(base.c_str());
}

}  // namespace
