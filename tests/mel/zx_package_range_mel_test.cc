// The package string and frame range commands as a MEL script sees them:
// each statement runs through melhost --json with the plug-in loaded and
// gives one line whose result is checked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mel/melhost_runner.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;

TEST(MelPackageAndRangeCommands, AnswerAsScriptsExpect) {
  struct Case {
    const char* statement;
    const char* result;  // the JSON of the result
  };
  const Case cases[] = {
      {"zxpack {\"hash\", \"k\", \"v\"};", R"j("{k v}")j"},
      {"zxpack \"array\";", R"j("()")j"},
      {"zxpack {\"hash\"} \"name\" \"my job\" \"cpus\" 4;", R"j("{name \"my job\" cpus 4}")j"},
      {"zxunpack \"{name \\\"my job\\\" cpus 4}\";", R"j(["hash","name","my job","cpus","4"])j"},
      {"zxunpack;", R"j(["scalar",""])j"},
      {"zxunpack \"(a (b c) d)\";", R"j(["array","a","(b","c)","d"])j"},
      {"zxrangesplit {\"1-3\", \"10\"};", R"j(["1","2","3","10"])j"},
      {"zxrangesplit {\"shot.[01-03].tif\"};", R"j(["shot.01.tif","shot.02.tif","shot.03.tif"])j"},
      {"zxgenframes {\"1-2\"};", R"j(["array","{name 1}","{name 2}"])j"},
      {"zxgenframes;", R"j(["array"])j"},
      {"zxrangechunk {\"5\", \"1-12\"};", R"j(["1-5","6-10","11-12"])j"},
      {"zxrangechunk {\"0\", \"1-10\"};", R"j([])j"},
      {"zxgenchunks {\"3\", \"1-10x2\"};", R"j(["array","{name 1-5x2}","{name 7-9x2}"])j"},
      {"zxgenchunks;", R"j(["array"])j"},
  };
  std::string script;
  for (const Case& c : cases) script += std::string(c.statement) + "\n";
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", script});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), sizeof cases / sizeof cases[0]) << r.out;
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(cases[i].statement);
    EXPECT_EQ(lines[i]["ok"], true);
    EXPECT_EQ(lines[i]["errors"], nlohmann::json::array());
    EXPECT_EQ(lines[i]["result"], nlohmann::json::parse(cases[i].result));
  }
}

TEST(MelPackageAndRangeCommands, PackedAgendaUnpacksLevelByLevel) {
  // A script's usual round: frames to work hashes, packed into a job, and
  // read back one level at a time.
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c",
                         "string $work[] = `zxgenframes {\"1-3\"}`;\n"
                         "string $agenda = `zxpack $work`;\n"
                         "string $job = `zxpack {\"hash\"} \"name\" \"shot 1\" \"agenda\" $agenda`;\n"
                         "string $level[] = `zxunpack $job`;\n"
                         "zxunpack $level[4];\n"
                         "string $items[] = `zxunpack $level[4]`;\n"
                         "zxunpack $items[3];\n"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0]["result"], nlohmann::json::parse(R"j(["array","{name 1}","{name 2}","{name 3}"])j"));
  EXPECT_EQ(lines[1]["result"], nlohmann::json::parse(R"j(["hash","name","3"])j"));
}

}  // namespace
