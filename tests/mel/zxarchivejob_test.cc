// zxarchivejob through MEL: the job hash a script builds is archived to a
// file that reads back into the same job, and the command's error rows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mel/melhost_runner.h"
#include "model/zx_job.h"
#include "plugin/zx_job_hash.h"
#include "serial/zx_pack.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;
using meltest::TempDir;

MelRun mel(const std::string& script) { return runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", script}); }

TEST(MelArchivejob, ArchivesAPackedJobThatReadsBack) {
  TempDir dir;
  const std::string path = dir.path() + "/job.bin";
  MelRun r =
      mel("string $job = `zxpack {\"hash\"} \"name\" \"my job\" \"cpus\" \"3\" \"timelimit\" \"90\"`; "
          "zxarchivejob \"" +
          path + "\" $job;");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 1u) << r.out;
  EXPECT_EQ(lines[0]["command"], "zxarchivejob");
  EXPECT_EQ(lines[0]["ok"], true);
  EXPECT_EQ(lines[0]["errors"], nlohmann::json::array());
  ASSERT_TRUE(lines[0]["result"].is_array()) << lines[0].dump();
  ASSERT_EQ(lines[0]["result"].size(), 1u);

  std::unique_ptr<ZxJob> expected(hashToJob("{name \"my job\" cpus 3 timelimit 90}"));
  ZxString hash;
  jobToHash(expected.get(), hash);
  EXPECT_EQ(lines[0]["result"][0], hash.c_str());

  ZxJob read;
  ASSERT_GT(read.readFile(path.c_str(), ZxPack::kFormBinary), 0);
  EXPECT_TRUE(read == *expected);
  EXPECT_EQ(std::string(read.name().c_str()), "my job");
  EXPECT_EQ(read.cpus(), 3);
  EXPECT_EQ(read.timeout(), 90);
  EXPECT_EQ(read.callbacks().count(), 1);
}

TEST(MelArchivejob, ErrorRows) {
  TempDir dir;
  struct Case {
    std::string call;
    bool ok;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"zxarchivejob;", false, {"You must specify both a filename and a job hash."}},
      {"zxarchivejob \"" + dir.path() + "/a.bin\";", false, {}},
      {"zxarchivejob \"" + dir.path() + "/b.bin\" {\"{name a}\"};", false, {}},
      // A folder that does not exist: the file cannot be written, which is no failure.
      {"zxarchivejob \"" + dir.path() + "/missing/c.bin\" \"{name a}\";", true, {}},
  };
  for (const Case& c : cases) {
    MelRun r = mel(c.call);
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_EQ(lines.size(), 1u) << c.call << "\n" << r.out << r.err;
    EXPECT_EQ(lines[0]["ok"], c.ok) << c.call;
    EXPECT_EQ(lines[0]["errors"], nlohmann::json(c.errors)) << c.call;
    EXPECT_EQ(r.status, c.ok ? 0 : 1) << c.call;
    // Nothing written: an empty string array.
    if (c.ok) {
      EXPECT_EQ(lines[0]["result"], nlohmann::json::array()) << lines[0].dump();
    }
  }
}

// The empty result assigns to a string array in MEL, as a script that
// checks whether the archive was written does.
TEST(MelArchivejob, AnUnwrittenArchiveAssignsAnEmptyArray) {
  MelRun r =
      mel("string $r[] = `zxarchivejob \"/no/such/dir/x.job\" \"{name a}\"`;\n"
          "print (\"written \" + size($r) + \"\\n\");");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("written 0\n"), std::string::npos) << r.out;
}

}  // namespace
