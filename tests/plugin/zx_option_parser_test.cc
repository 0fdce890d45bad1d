// Tests of the command option parser with the option sets of the job
// commands and of zxjobinfo, and of the integer option kinds.
#include "plugin/zx_option_parser.h"
#include "model/zx_string_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

ZxStringList listOf(const Words& words) {
  ZxStringList list;
  for (const std::string& w : words) list.add(ZxString(w.data(), static_cast<int>(w.size())));
  return list;
}

Words positional(const OptionParser& p) {
  Words out;
  for (int i = 0; i < p.positionalCount(); ++i) out.push_back(str(p.positionalAt(i)));
  return out;
}

std::unique_ptr<OptionParser> jobCommandParser() {
  auto p = std::make_unique<OptionParser>();
  for (const char* f : {"running", "complete", "pending", "none"}) p->addFlag(f);
  for (const char* t : {"status", "user", "name", "pid", "pgrp", "priority", "cluster", "cpus"})
    p->addText(t);
  return p;
}

std::unique_ptr<OptionParser> jobInfoParser() {
  auto p = std::make_unique<OptionParser>();
  for (const char* f : {"running", "complete", "pending", "none"}) p->addFlag(f);
  p->addText("user");
  p->addFlag("long");
  return p;
}

std::unique_ptr<OptionParser> integerParser() {
  auto p = std::make_unique<OptionParser>();
  p->addInteger("count");
  p->addIntegerRange("frames");
  return p;
}

struct Case {
  Words words;
  bool ok;
  Words positional;         // checked when ok
  std::string error;        // checked when not ok
  std::string option = "";  // an option that must have been given ...
  std::string value = "";   // ... with this value
};

void check(OptionParser& p, const Case& c) {
  std::string label;
  for (const std::string& w : c.words) label += "[" + w + "]";
  ASSERT_EQ(p.parse(listOf(c.words)), c.ok) << label << " " << str(p.errorText());
  if (c.ok) {
    EXPECT_EQ(positional(p), c.positional) << label;
  } else {
    EXPECT_EQ(str(p.errorText()), c.error) << label;
  }
  if (!c.option.empty()) {
    bool given = false;
    ASSERT_TRUE(p.flag(c.option.c_str(), given)) << label;
    EXPECT_TRUE(given) << label << " " << c.option;
    ZxString v;
    EXPECT_TRUE(p.text(c.option.c_str(), v)) << label;
    EXPECT_EQ(str(v), c.value) << label;
  }
}

TEST(OptionParser, JobCommandOptions) {
  const Case cases[] = {
      {{}, true, {}, ""},
      {{"-user", "bob", "12", "13"}, true, {"12", "13"}, "", "user", "bob"},
      {{"--user", "bob", "12"}, true, {"12"}, "", "user", "bob"},
      {{"12", "-user", "bob"}, true, {"12", "-user", "bob"}, ""},
      {{"-run", "12"}, true, {"12"}, "", "running", ""},
      {{"-na", "x"}, true, {}, "", "name", "x"},
      {{"-no", "5"}, true, {"5"}, "", "none", ""},
      {{"-name", "n", "-pid", "7"}, true, {}, "", "pid", "7"},
      {{"-user", "a", "-user", "b"}, true, {}, "", "user", "b"},
      {{"-user", "-5", "1"}, true, {"1"}, "", "user", "-5"},  // a value is the next word, whatever it is
      {{"-status", "", "1"}, true, {"1"}, "", "status", ""},
      {{"-5", "-user", "x"}, true, {"-5", "-user", "x"}, ""},  // "-5" is a number, not an option
      {{"-", "12"}, true, {"-", "12"}, ""},
      {{"-p", "12"},
       false,
       {},
       "ERROR: ambiguous option '-p'\n\tcould be:\n\t\t-pending\n\t\t-pid\n\t\t-pgrp\n\t\t-priority\n"},
      {{"--c"},
       false,
       {},
       "ERROR: ambiguous option '--c'\n\tcould be:\n\t\t-complete\n\t\t-cluster\n\t\t-cpus\n"},
      {{"-n"}, false, {}, "ERROR: ambiguous option '-n'\n\tcould be:\n\t\t-none\n\t\t-name\n"},
      {{"-cpus"}, false, {}, "ERROR: parameter '-cpus' missing input\n"},
      {{"-u"}, false, {}, "ERROR: parameter '-u' missing input\n"},
      {{"-foo"}, false, {}, "ERROR: unknown option -foo\n"},
      {{"--"}, false, {}, "ERROR: unknown option --\n"},
      {{"-users", "x"}, false, {}, "ERROR: unknown option -users\n"},
      {{"-User", "x"}, false, {}, "ERROR: unknown option -User\n"},  // names are compared with case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    auto p = jobCommandParser();
    check(*p, c);
  }
}

TEST(OptionParser, JobInfoOptions) {
  const Case cases[] = {
      {{"-p"}, true, {}, "", "pending", ""},
      {{"-l", "12"}, true, {"12"}, "", "long", ""},
      {{"-n"}, true, {}, "", "none", ""},
      {{"-user", "all", "-running", "12"}, true, {"12"}, "", "running", ""},
      {{"-u", "bob"}, true, {}, "", "user", "bob"},
      {{"-foo"}, false, {}, "ERROR: unknown option -foo\n"},
      {{"-c"}, true, {}, "", "complete", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    auto p = jobInfoParser();
    check(*p, c);
  }
}

TEST(OptionParser, IntegerValues) {
  const Case cases[] = {
      {{"-count", "5"}, true, {}, "", "count", "5"},
      {{"-count", "+7", "x"}, true, {"x"}, "", "count", "+7"},
      {{"-count", "-3"}, true, {}, "", "count", "-3"},
      {{"-count", "0"}, true, {}, "", "count", "0"},
      {{"-count", ""}, false, {}, "ERROR: parameter '-count' is blank\n"},
      {{"-count", "x"}, false, {}, "ERROR: parameter '-count' is not an integer\n"},
      {{"-count", "-"}, false, {}, "ERROR: parameter '-count' is not an integer\n"},
      {{"-count", "12a"}, false, {}, "ERROR: parameter '-count' is not an integer\n"},
      {{"-count", "+-5"}, false, {}, "ERROR: parameter '-count' is not an integer\n"},
      {{"-count", "--"}, false, {}, "ERROR: parameter '-count' is not an integer\n"},
      {{"-co"}, false, {}, "ERROR: parameter '-co' missing input\n"},
      {{"-frames", "1-10"}, true, {}, "", "frames", "1-10"},
      {{"-f", "-"}, true, {}, "", "frames", "-"},
      {{"-frames", ""}, false, {}, "ERROR: option expects an integer '-frames'"},
      {{"-frames", "1,2"}, false, {}, "ERROR: parameter '1,2' is not an integer\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << (&c - &cases[0]));
    auto p = integerParser();
    check(*p, c);
  }
  auto p = integerParser();
  ASSERT_TRUE(p->parse(listOf({"-count", "+42"})));
  int n = 0;
  EXPECT_TRUE(p->integer("count", n));
  EXPECT_EQ(n, 42);
  EXPECT_FALSE(p->integer("frames", n));  // registered but not given
  EXPECT_FALSE(p->integer("nope", n));
}

TEST(OptionParser, QueriesAndStateAfterErrors) {
  auto p = jobCommandParser();
  bool given = true;
  EXPECT_FALSE(p->flag("runn", given));  // queries use exact names
  EXPECT_TRUE(p->flag("running", given));
  EXPECT_FALSE(given);
  ZxString v("kept");
  EXPECT_FALSE(p->text("user", v));
  EXPECT_EQ(str(v), "kept");

  // The first error ends the parse; what was read before stays marked.
  EXPECT_FALSE(p->parse(listOf({"-running", "-user", "bob", "-foo", "12"})));
  EXPECT_TRUE(p->flag("running", given));
  EXPECT_TRUE(given);
  EXPECT_TRUE(p->text("user", v));
  EXPECT_EQ(str(v), "bob");
  EXPECT_EQ(p->positionalCount(), 0);

  // A new parse empties the positional words.
  ASSERT_TRUE(p->parse(listOf({"1", "2"})));
  ASSERT_TRUE(p->parse(listOf({"3"})));
  EXPECT_EQ(positional(*p), (Words{"3"}));
  EXPECT_EQ(str(p->positionalAt(1)), "");
  EXPECT_EQ(str(p->positionalAt(-1)), "");
  p->setProgramName("zxkill");
  EXPECT_EQ(str(p->positionalAt(5)), "zxkill");
}

struct Calls {
  int help = 0, version = 0;
  std::string seen;
};

void onHelp(const OptionParser& p, void* context) {
  Calls* calls = static_cast<Calls*>(context);
  ++calls->help;
  calls->seen = str(p.errorText());
}
void onVersion(const OptionParser& p, void* context) {
  Calls* calls = static_cast<Calls*>(context);
  ++calls->version;
  calls->seen = str(p.errorText());
}

TEST(OptionParser, HelpAndVersionStopTheCommandWithoutEndingTheProcess) {
  auto p = jobInfoParser();
  EXPECT_FALSE(p->parse(listOf({"-help", "12"})));
  std::string usage = str(p->errorText());
  EXPECT_EQ(usage,
            "usage: [options] [arguments]\noptions:\n\t-help\n\t-version\n\t-running\n\t-complete\n"
            "\t-pending\n\t-none\n\t-user <text>\n\t-long\n");
  bool given = false;
  EXPECT_TRUE(p->flag("help", given));
  EXPECT_TRUE(given);

  p = jobInfoParser();
  EXPECT_FALSE(p->parse(listOf({"-v"})));
  EXPECT_EQ(str(p->errorText()), "5.4-0");

  // Help wins over version; each handler sees the text and runs once.
  Calls calls;
  p = integerParser();
  p->setHelpHandler(onHelp, &calls);
  p->setVersionHandler(onVersion, &calls);
  EXPECT_FALSE(p->parse(listOf({"--version", "-hel"})));
  EXPECT_EQ(calls.help, 1);
  EXPECT_EQ(calls.version, 0);
  EXPECT_EQ(calls.seen, str(p->errorText()));
  EXPECT_NE(calls.seen.find("\t-count <integer>\n\t-frames <range>\n"), std::string::npos);

  Calls versionOnly;
  p = integerParser();
  p->setHelpHandler(onHelp, &versionOnly);
  p->setVersionHandler(onVersion, &versionOnly);
  EXPECT_FALSE(p->parse(listOf({"-version"})));
  EXPECT_EQ(versionOnly.version, 1);
  EXPECT_EQ(versionOnly.help, 0);
  EXPECT_EQ(versionOnly.seen, "5.4-0");
}

}  // namespace
