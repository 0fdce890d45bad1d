// Tests of zxpack and zxunpack, driven through the Maya API stand-in.
#include "plugin/zx_package_commands.h"

#include <gtest/gtest.h>
#include <maya/MArgList.h>
#include <mayahost/host.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Result = mayahost::CommandResult;

// One MEL argument: a string, an integer or a string array.
struct Arg {
  enum Kind { kString, kInt, kArray } kind;
  std::string text;
  int number = 0;
  Strings array;
};
Arg s(const std::string& t) { return {Arg::kString, t, 0, {}}; }
Arg i(int n) { return {Arg::kInt, "", n, {}}; }
Arg a(const Strings& items) { return {Arg::kArray, "", 0, items}; }

MArgList argsOf(const std::vector<Arg>& args) {
  MArgList list;
  for (const Arg& arg : args) {
    switch (arg.kind) {
      case Arg::kString:
        list.addString(MString(arg.text));
        break;
      case Arg::kInt:
        list.addInt(arg.number);
        break;
      case Arg::kArray: {
        MStringArray array;
        for (const std::string& item : arg.array) array.append(MString(item));
        list.addStringArray(array);
        break;
      }
    }
  }
  return list;
}

template <class Command>
Result run(const std::vector<Arg>& args) {
  mayahost::currentResult().clear();
  std::unique_ptr<Command> command(static_cast<Command*>(Command::creator()));
  EXPECT_EQ(command->doIt(argsOf(args)), MStatus::kSuccess);
  return mayahost::currentResult();
}

std::string pack(const std::vector<Arg>& args) {
  Result r = run<zxPackageString>(args);
  EXPECT_EQ(r.kind, Result::Kind::kString);
  return r.text;
}

Strings unpack(const std::vector<Arg>& args) {
  Result r = run<zxUnPackageString>(args);
  EXPECT_EQ(r.kind, Result::Kind::kStringArray);
  return r.array;
}

TEST(ZxPack, BuildsPackageStrings) {
  struct Case {
    std::vector<Arg> args;
    std::string out;
  } cases[] = {
      {{a({"hash", "k", "v"})}, "{k v}"},
      {{s("array")}, "()"},
      {{s("hash")}, "{}"},
      {{s("scalar")}, ""},
      {{}, ""},
      // A whole level in the first array; later arguments are ignored.
      {{a({"array", "a b", "", "x\"y"}), s("ignored")}, "(\"a b\" \"\" x\\\"y)"},
      {{a({"x", "y z"})}, "(x \"y z\")"},  // untyped: every item is an element
      // A single type word in the first array sets the brackets.
      {{a({"hash"}), s("name"), s("my job"), s("cpus"), i(4)}, "{name \"my job\" cpus 4}"},
      {{a({"array"}), i(1), i(-2), s("3")}, "(1 -2 3)"},
      {{a({"scalar"}), s("a")}, "(a)"},
      {{a({"hash"})}, "{}"},
      // Any other single word is an element like a string.
      {{a({"other"}), s("b")}, "other b"},
      {{a({}), s("a")}, "a"},
      // Later arguments: words give their quoted form, type words empty levels,
      // non-empty arrays their one-level writing, empty arrays nothing.
      {{s("a"), s("hash"), s("array"), s("t\tb")}, "a {} () t\\tb"},
      {{a({"array"}), a({"hash", "k", "v"}), a({}), s("x")}, "(\"{k v}\" x)"},
      {{a({"hash"}), s("frames"), a({"array", "1", "2"})}, "{frames \"(1 2)\"}"},
      {{a({"array"}), s("x"), a({})}, "(x )"},
  };
  for (const Case& c : cases) EXPECT_EQ(pack(c.args), c.out) << c.out;
}

TEST(ZxUnpack, ParsesOneLevel) {
  struct Case {
    std::vector<Arg> args;
    Strings out;
  } cases[] = {
      {{}, {"scalar", ""}},
      {{s("")}, {"scalar", ""}},
      {{s("{k v}")}, {"hash", "k", "v"}},
      {{s("()")}, {"array"}},
      {{s("( )")}, {"array", ""}},
      {{s("(a \"\" x\\\"y)")}, {"array", "a", "", "x\"y"}},
      {{s("\"a b\"")}, {"scalar", "\"a b\""}},
      {{i(42)}, {"scalar", "42"}},
      {{a({"(a b)"})}, {"scalar", ""}},  // an array argument reads as ""
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    EXPECT_EQ(unpack(c.args), c.out);
  }
}

TEST(ZxPackUnpack, NestedUseRoundTrips) {
  std::string frames = pack({a({"array"}), s("1-10"), s("a b"), s("")});
  EXPECT_EQ(frames, "(1-10 \"a b\" \"\")");
  std::string env = pack({a({"hash", "PATH", "/bin /usr/bin", "Q", "say \"hi\""})});
  std::string job = pack({a({"hash"}), s("name"), s("job 1"), s("frames"), s(frames), s("env"), s(env)});
  Strings top = unpack({s(job)});
  ASSERT_EQ(top, (Strings{"hash", "name", "job 1", "frames", frames, "env", env}));
  EXPECT_EQ(unpack({s(top[4])}), (Strings{"array", "1-10", "a b", ""}));
  EXPECT_EQ(unpack({s(top[6])}), (Strings{"hash", "PATH", "/bin /usr/bin", "Q", "say \"hi\""}));
}

TEST(ZxPackUnpack, ArrayArgumentsStayOneElement) {
  // An array given after the type word is one nested element of the level.
  std::string job = pack({a({"hash"}), s("name"), s("x"), s("agenda"), a({"array", "{name 1}", "{name 2}"})});
  Strings top = unpack({s(job)});
  ASSERT_EQ(top.size(), 5u);
  EXPECT_EQ(top[3], "agenda");
  EXPECT_EQ(unpack({s(top[4])}), (Strings{"array", "{name 1}", "{name 2}"}));
}

TEST(ZxUnpack, DeepTextReturnsOneLevel) {
  // A megabyte of nesting is still one element of one level.
  std::string deep = std::string(512 * 1024, '(') + std::string(512 * 1024, ')');
  Strings out = unpack({s(deep)});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "array");
  EXPECT_EQ(out[1], deep.substr(1, deep.size() - 2));
}

}  // namespace
