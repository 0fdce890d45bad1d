// melhost with plug-ins: the zx plug-in's commands through MEL, loading and
// unloading, and the host's side of the Maya API through a probe plug-in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mel/melhost_runner.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;
using meltest::TempDir;

const char* const kCommandNames[] = {
    "zxremove",     "zxmodify",    "zxkill",      "zxretire",           "zxinterrupt",  "zxpreempt",
    "zxblock",      "zxunblock",   "zxsuspend",   "zxresume",           "zxrequeue",    "zxretry",
    "zxjobinfo",    "zxsubmit",    "zxpack",      "zxunpack",           "zxrangesplit", "zxrangechunk",
    "zxgenframes",  "zxgenchunks", "zxjobconfig", "zxjobtypeavailable", "zxarchivejob", "zxversion",
    "zxjobflagint",
};

bool mentionsCannotFind(const nlohmann::json& line) {
  for (const auto& e : line["errors"])
    if (e.get<std::string>().find("Cannot find procedure") != std::string::npos) return true;
  return false;
}

TEST(MelPlugin, VersionLineIsExact) {
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", "zxversion;"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "{\"command\":\"zxversion\",\"ok\":true,\"result\":\"5.4-0\",\"errors\":[]}\n");
}

TEST(MelPlugin, VersionIgnoresItsArguments) {
  const char* const calls[] = {
      "zxversion \"a\" 12 {\"x\", \"y\"};",
      "zxversion(1, 2.5, \"s\");",
      "zxversion -flag word -12 $v;",
      "zxversion (`zxversion`) $l;",
  };
  for (const char* call : calls) {
    MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c",
                           std::string("string $v = \"x\"; string $l[] = {\"p\"}; ") + call});
    EXPECT_EQ(r.status, 0) << call << "\n" << r.err;
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_EQ(lines.size(), 1u) << call << "\n" << r.out;
    EXPECT_EQ(lines[0]["result"], "5.4-0") << call;
    EXPECT_EQ(lines[0]["ok"], true) << call;
  }
  // In text mode the value is a Result line; assigned, it is the variable's value.
  MelRun r =
      runMelhost({"-p", ZX_PLUGIN_PATH, "-c", "zxversion; string $v = `zxversion`; print ($v + \"\\n\");"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "// Result: 5.4-0 //\n5.4-0\n");
}

TEST(MelPlugin, AllCommandsAreKnownAfterLoadAndGoneAfterUnload) {
  for (const char* name : kCommandNames) {
    MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", std::string(name) + ";"});
    std::vector<nlohmann::json> lines = r.json();
    ASSERT_EQ(lines.size(), 1u) << name << "\n" << r.out << r.err;
    EXPECT_EQ(lines[0]["command"], name);
    EXPECT_FALSE(mentionsCannotFind(lines[0])) << name << ": " << lines[0].dump();
    // A command either works or says why not, and the status agrees.
    EXPECT_EQ(r.status, lines[0]["ok"] == true ? 0 : 1) << name;

    r = runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", std::string("unloadPlugin \"zx\"; ") + name + ";"});
    EXPECT_EQ(r.status, 1) << name;
    lines = r.json();
    ASSERT_EQ(lines.size(), 2u) << name << "\n" << r.out;
    EXPECT_EQ(lines[0]["ok"], true) << name << ": " << lines[0].dump();
    EXPECT_EQ(lines[1]["errors"],
              nlohmann::json::array({std::string("Cannot find procedure \"") + name + "\"."}));
  }
}

TEST(MelPlugin, LoadAndUnloadFromMel) {
  // Load by path from MEL, unload by path; a second load of the same file is one plug-in.
  std::string path = ZX_PLUGIN_PATH;
  MelRun r = runMelhost({"--json", "-c",
                         "loadPlugin \"" + path + "\"; loadPlugin \"" + path +
                             "\"; zxversion; unloadPlugin \"" + path + "\"; exists zxversion;"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 5u) << r.out;
  EXPECT_EQ(lines[0]["result"], nlohmann::json::array({"zx"}));
  EXPECT_EQ(lines[2]["result"], "5.4-0");
  EXPECT_EQ(lines[4]["result"], 0);

  r = runMelhost({"-c", "unloadPlugin \"zx\";"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is not loaded"), std::string::npos) << r.err;

  r = runMelhost({"-c", "loadPlugin \"/no/such/plugin.so\"; print \"not reached\";"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot be loaded"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(MelPlugin, PluginsThatCannotBeLoadedStopTheRun) {
  TempDir dir;
  std::string notElf = dir.write("text.so", "not a shared object\n");
  const char* const plugins[] = {"/no/such/dir/zx.so", ZX_PROBE_NOAPI_PATH, ZX_PROBE_EMPTYAPI_PATH};
  std::vector<std::string> paths(std::begin(plugins), std::end(plugins));
  paths.push_back(notElf);
  for (const std::string& p : paths) {
    MelRun r = runMelhost({"-p", p, "-c", "print \"ran\";"});
    EXPECT_EQ(r.status, 2) << p;
    EXPECT_EQ(r.out, "") << p;
    EXPECT_NE(r.err.find("cannot be loaded"), std::string::npos) << p << ": " << r.err;
  }
  // A good plug-in before a bad one is still unloaded cleanly.
  MelRun r = runMelhost({"-p", ZX_PROBE_FULL_PATH, "-p", ZX_PROBE_NOAPI_PATH, "-c", "print \"ran\";"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "probe unloaded\n");
}

TEST(MelPlugin, NoCommandTouchesTheUndoQueue) {
  // Each command runs through executeCommand, so a failing one does not stop the script.
  std::string script;
  for (const char* name : kCommandNames)
    script += std::string("probe_exec \"") + name + " 1 {\\\"a\\\"}\" 0;\n";
  script += "zxhost_undo_count;\n";
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, "-p", ZX_PROBE_FULL_PATH, "--json", "-c", script});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 26u) << r.out;
  EXPECT_EQ(lines.back()["result"], 0);
  // The counter does count a command that says it is undoable.
  r = runMelhost(
      {"-p", ZX_PROBE_FULL_PATH, "--json", "-c", "probe_undoable; probe_undoable; zxhost_undo_count;"});
  ASSERT_EQ(r.json().size(), 3u) << r.out;
  EXPECT_EQ(r.json()[2]["result"], 2);
}

TEST(MelPlugin, ArgumentsReachTheCommandWithTheirKinds) {
  MelRun r =
      runMelhost({"-p", ZX_PROBE_FULL_PATH, "--json", "-c",
                  "string $v = \"var\"; string $l[] = {\"x\", \"y\"}; "
                  "probe_args word 12 -3 2.5 \"str\" {\"a\", \"b\"} $v $l (1 + 2) -user a/b.c `probe_args x`;"
                  "probe_args(\"s\", 4, 0.5, $l);"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0]["result"],
            nlohmann::json::parse(R"(["s:word","i:12","i:-3","f:2.5","s:str","a:a,b","s:var",
                                                          "a:x,y","i:3","s:-user","s:a/b.c","a:s:x"])"));
  EXPECT_EQ(lines[1]["result"], nlohmann::json::parse(R"(["s:s","i:4","f:0.5","a:x,y"])"));
}

TEST(MelPlugin, ExecuteCommandAndSourceFileCallBackIntoMel) {
  TempDir dir;
  std::string lib = dir.write("lib.mel", "global int $fromLib = 7;\n");
  std::string script =
      "probe_exec \"nosuch\" 0; probe_exec \"nosuch\" 1; probe_exec \"print \\\"inner\\\\n\\\"\" 0; "
      "probe_exec \"print (\" 0; probe_source \"" +
      lib + "\"; probe_source \"" + dir.path() +
      "/missing.mel\"; global int $fromLib; print ($fromLib + \"\\n\"); probe_nested;";
  MelRun r = runMelhost({"-p", ZX_PROBE_FULL_PATH, "--json", "-c", script});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 8u) << r.out;
  // Display off: failure, nothing shown, the outer statement goes on.
  EXPECT_EQ(lines[0], nlohmann::json::parse(R"({"command":"probe_exec","ok":true,"result":1,"errors":[]})"));
  // Display on: the error is shown as part of the outer statement, which still succeeds.
  EXPECT_EQ(
      lines[1],
      nlohmann::json::parse(
          R"({"command":"probe_exec","ok":true,"result":1,"errors":["Cannot find procedure \"nosuch\"."]})"));
  EXPECT_EQ(lines[2]["result"], 0);
  EXPECT_EQ(lines[3]["result"], 1);  // a syntax error is a failure, not the end of the run
  EXPECT_EQ(lines[4]["result"], 0);
  EXPECT_EQ(lines[5]["result"], 1);
  EXPECT_EQ(lines[7]["result"], "outer");  // the inner command did not clobber the outer result
  EXPECT_NE(r.out.find("inner\n"), std::string::npos);
  EXPECT_NE(r.out.find("\n7\n"), std::string::npos) << r.out;
  // The probe's uninitializePlugin runs MEL at the end, including an unknown procedure with display off.
  EXPECT_TRUE(meltest::endsWith(r.out, "probe unloaded\n")) << r.out;
}

TEST(MelPlugin, MessagesAndFailures) {
  MelRun r =
      runMelhost({"-p", ZX_PROBE_FULL_PATH, "--json", "-c", "probe_messages; probe_fail; print \"no\";"});
  EXPECT_EQ(r.status, 1);
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0], nlohmann::json::parse(
                          R"({"command":"probe_messages","ok":true,"result":"done","errors":["e1"]})"));
  EXPECT_EQ(lines[1],
            nlohmann::json::parse(R"({"command":"probe_fail","ok":false,"result":null,"errors":[]})"));
  EXPECT_NE(r.err.find("// Warning: w1 //\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("no"), std::string::npos);

  r = runMelhost({"-p", ZX_PROBE_FULL_PATH, "-c", "probe_messages;"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "i1\n// Result: done //\nprobe unloaded\n");
  EXPECT_EQ(r.err, "// Error: e1 //\n// Warning: w1 //\n");
}

TEST(MelPlugin, APluginCannotBeUnloadedWhileItsCommandRuns) {
  MelRun r = runMelhost({"-p", ZX_PROBE_FULL_PATH, "--json", "-c",
                         "probe_exec \"unloadPlugin zx_mel_probe_full\" 1; probe_messages;"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0]["result"], 1);
  EXPECT_NE(lines[0]["errors"].dump().find("in use"), std::string::npos) << lines[0].dump();
  EXPECT_EQ(lines[1]["result"], "done");
}

// The example script of the main job runs to its end with the plug-in.
TEST(MelPlugin, DemoScriptRuns) {
  MelRun r = runMelhost({"-p", ZX_PLUGIN_PATH, std::string(ZX_SOURCE_DIR) + "/examples/demo.mel"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("plug-in version 5.4-0\n"), std::string::npos) << r.out;
  EXPECT_TRUE(meltest::endsWith(r.out, "\ndone\n")) << r.out;
}

}  // namespace
