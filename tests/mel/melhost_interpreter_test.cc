// The MEL interpreter of melhost, without plug-ins: values, control flow,
// procedures, scopes, backquotes, source, output shapes and errors.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "mel/melhost_runner.h"

namespace {

using meltest::MelRun;
using meltest::runMelhost;
using meltest::TempDir;

struct OutputCase {
  const char* what;
  const char* script;
  const char* out;
};

// Scripts that succeed; the whole of stdout is compared.
TEST(MelInterpreter, ScriptsPrintWhatMelWould) {
  const OutputCase cases[] = {
      {"concatenation and arithmetic",
       R"(string $a = "x"; int $n = 2; print ($a + $n + "\n"); print (1 + 2 + "x\n");)", "x2\n3x\n"},
      {"precedence", "print (3 + 4 * 2 - 6 / 3); print \" \"; print (7 % 4);", "9 3"},
      {"int division truncates, float does not", "print (7 / 2); print \" \"; print (7.0 / 2);", "3 3.5"},
      {"ints wrap at 32 bits", "int $x = 2147483647; $x = $x + 1; print $x;", "-2147483648"},
      {"declared types convert",
       R"(int $i = "42abc"; float $f = 3; string $s = 2.5; print ($i + "|" + $f + "|" + $s);)", "42|3|2.5"},
      {"arrays grow on write", R"(string $a[]; $a[2] = "c"; print (size($a) + ":" + $a[0] + ":" + $a[2]);)",
       "3::c"},
      {"reading past the end gives the default", "int $a[] = {1, 2}; print ($a[5] + size($a));", "2"},
      {"print of an array: one element per line", R"(print {"x", "y"};)", "x\ny\n"},
      {"size of a string and clear",
       R"(string $s = "abcd"; string $l[] = {"a"}; clear($l); print (size($s) + size($l));)", "4"},
      {"for-in", R"(string $l[] = {"a", "b", "c"}; for ($s in $l) print ($s + ";");)", "a;b;c;"},
      {"for-in over a copy",
       R"(string $l[] = {"a", "b"}; for ($s in $l) $l[size($l)] = $s; print (size($l));)", "4"},
      {"C-style for, while, do",
       "int $i; for ($i = 0; $i < 3; $i++) print $i; while ($i > 0) { $i--; print \"w\"; } "
       "do { print \"d\"; } while ($i > 0);",
       "012wwwd"},
      {"break and continue",
       "int $i; for ($i = 0; $i < 10; ++$i) { if ($i == 1) continue; if ($i == 4) break; print $i; }", "023"},
      {"compound assignment", R"(int $n = 5; $n += 3; $n *= 2; string $s = "a"; $s += "b"; print ($n + $s);)",
       "16ab"},
      {"comparisons and logic",
       R"(if ("abc" < "abd" && !(2 >= 3) || 0) print "t"; else print "f"; print (1 == 1.0);)", "t1"},
      {"else-if chain",
       "int $n = 2; if ($n == 1) print \"one\"; else if ($n == 2) print \"two\"; else print \"many\";",
       "two"},
      {"ternary", "int $n = 3; print ($n > 2 ? \"big\" : \"small\");", "big"},
      {"procedure with return, recursion",
       "global proc int fact(int $n) { if ($n <= 1) return 1; return $n * fact($n - 1); } "
       "print (fact(5));",
       "120"},
      {"procedure called before its definition in command syntax",
       R"(greet "bob"; global proc greet(string $who) { print ("hi " + $who); })", "hi bob"},
      {"procedure returning an array",
       R"(global proc string[] two() { return {"p", "q"}; } string $r[] = two(); print $r;)", "p\nq\n"},
      {"backquotes",
       R"(global proc string hi() { return "hi"; } string $v = `hi`; print ($v + `hi` + size(`two`));
                        global proc string[] two() { return {"a", "b"}; })",
       "hihi2"},
      {"globals are shared only when declared",
       R"(global string $g = "G"; global proc q() { global string $g; print $g; } q;)", "G"},
      {"a procedure's locals are its own",
       R"(string $x = "top"; global proc p() { string $x = "in"; } p; print $x;)", "top"},
      {"comments", "// line comment\n/* block\n comment */ print /* inline */ \"after\"; // trailing",
       "after"},
      {"string escapes", R"(print "a\tb\\c\"d\n";)", "a\tb\\c\"d\n"},
      {"bare words in command syntax",
       "print 12.5; print \" \"; print -3; print \" \"; print -user; print \" \"; "
       "print abc/def.mel; print \" \"; print 0x10;",
       "12.5 -3 -user abc/def.mel 16"},
      {"integer words too large for an int stay text in command syntax", "print 12345678901234;",
       "12345678901234"},
      {"floats print as %g", "print (0.5 + 1); print \" \"; print (1.0 * 3);", "1.5 3"},
      {"exists", R"(global proc mine() {} print (exists("mine") + exists("print") + exists("nothere"));)",
       "2"},
      {"eval runs text and answers its value",
       R"mel(eval "print \"e\""; int $n = `eval "size({1,2,3})"`; print $n;)mel", "e3"},
      {"catchQuiet: a failure is an answer, not the end",
       R"(print (catchQuiet(`nosuch`) + catchQuiet(size("ab"))); print " on";)", "1 on"},
  };
  for (const OutputCase& c : cases) {
    MelRun r = runMelhost({"-c", c.script});
    EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
  }
}

struct ErrorCase {
  const char* what;
  const char* script;
  int status;
  const char* err;  // expected within stderr
  const char* out;  // the whole of stdout: what ran before the error
};

// Failing scripts: the error is printed, the script stops, the status says why.
TEST(MelInterpreter, ErrorsStopTheScriptWithTheirStatus) {
  const ErrorCase cases[] = {
      {"unknown command", "print \"a\"; nosuchcmd 1 -x; print \"b\";", 1,
       "// Error: Cannot find procedure \"nosuchcmd\". //\n", "a"},
      {"unknown procedure in function syntax", "string $s = nosuch(\"a\");", 1,
       "// Error: Cannot find procedure \"nosuch\". //\n", ""},
      {"error built-in", "error \"boom\"; print \"b\";", 1, "// Error: boom //\n", ""},
      {"error inside a procedure stops the caller",
       "global proc f() { error \"in f\"; print \"no\"; } f; print \"no\";", 1, "// Error: in f //\n", ""},
      {"undeclared variable", "print $nothing;", 1, "\"$nothing\" is an undeclared variable.", ""},
      {"top-level variable not visible in a procedure", "string $t; global proc p() { print $t; } p;", 1,
       "\"$t\" is an undeclared variable.", ""},
      {"block scope ends with the block", "{ string $in = \"x\"; } print $in;", 1,
       "\"$in\" is an undeclared variable.", ""},
      {"wrong argument count", "global proc p(int $a) {} p 1 2;", 1,
       "Wrong number of arguments on call to p.", ""},
      {"division by zero", "int $z = 0; print (1 / $z);", 1, "Division by zero.", ""},
      {"integer INT_MIN / -1 does not trap", "int $m = -2147483647 - 1; print ($m / -1); print (1 % 0);", 1,
       "Division by zero.", "-2147483648"},
      {"array index too large", "string $a[]; $a[100000000] = \"x\";", 1, "is too large", ""},
      {"runaway string doubling", "string $s = \"x\"; while (1) $s += $s;", 1, "String too long", ""},
      {"negative index", "string $a[]; $a[-1] = \"x\";", 1, "out of range", ""},
      {"array into a scalar", "string $s = {\"a\"};", 1,
       "Cannot convert data of type string[] to type string.", ""},
      {"runaway recursion", "global proc r(int $n) { r($n + 1); } r(0);", 1, "Stack overflow", ""},
      {"syntax error: line and column, nothing runs", "print \"a\";\nint $x = ;", 2,
       "<command>:2:10: syntax error: unexpected ';'", ""},
      {"unterminated string", "print \"abc;", 2, "<command>:1:7: syntax error: unterminated string", ""},
      {"unterminated comment", "print 1; /* no end", 2, "<command>:1:10: syntax error: unterminated comment",
       ""},
      {"missing brace", "if (1) { print 1;", 2, "syntax error: expected '}' before end of input", ""},
      {"return outside a procedure", "return 1;", 2,
       "<command>:1:1: syntax error: 'return' outside a procedure", ""},
      {"procedure inside a block", "{ global proc p() {} }", 2,
       "procedures can only be defined at the top level", ""},
  };
  for (const ErrorCase& c : cases) {
    MelRun r = runMelhost({"-c", c.script});
    EXPECT_EQ(r.status, c.status) << c.what << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.what << "\nstderr: " << r.err;
    EXPECT_EQ(r.out, c.out) << c.what;
  }
}

// Nesting that would overflow a naive recursive parser is a syntax error.
TEST(MelInterpreter, DeepNestingIsASyntaxErrorNotACrash) {
  TempDir dir;
  const std::string parens = "print " + std::string(100000, '(') + "1" + std::string(100000, ')') + ";";
  std::string mixed = "int $x = 1";  // operators of alternating levels nest
  for (int i = 0; i < 100000; ++i) mixed += " + (1";
  mixed += std::string(100000, ')') + ";";
  std::string blocks = std::string(100000, '{') + std::string(100000, '}');
  std::string elses = "if (0) print 1;";
  for (int i = 0; i < 100000; ++i) elses += " else if (0) print 1;";
  for (const std::string& script : {parens, mixed, blocks, elses}) {
    MelRun r = runMelhost({dir.write("deep.mel", script)});
    EXPECT_EQ(r.status, 2) << r.err.substr(0, 400);
    EXPECT_NE(r.err.find("syntax error"), std::string::npos) << r.err.substr(0, 400);
  }
}

// A chain of operators of one level is not nesting: sums and joins of any
// length work, left to right, with the usual precedence between levels and
// "&&" / "||" skipping what their left side decides.
TEST(MelInterpreter, LongOperatorChainsAreNotNesting) {
  std::string sum = "int $x = 1", join = "string $s = \"ab\"", huge = "int $h = 1";
  for (int i = 1; i < 1000; ++i) sum += "+1", join += " + \"ab\"";
  for (int i = 1; i < 100000; ++i) huge += " + 1";
  struct Case {
    std::string script;
    std::string out;
  } cases[] = {
      {sum + "; print $x;", "1000"},
      {join + "; print (size($s));", "2000"},
      {huge + "; print $h;", "100000"},
      {"print (10 - 2 - 3);", "5"},
      {"print (2 * 3 + 4 * 5 - 6 / 2 % 4);", "23"},
      {"print (1 < 2 == 1);", "1"},
      {"print (\"a\" + 1 + 2);", "a12"},
      {"print (1 + 2 + \"a\");", "3a"},
      {"print (0 && nosuch() || 1);", "1"},
      {"print (1 || nosuch() || nosuch());", "1"},
      {"print (1 && 2 && 0 && nosuch());", "0"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script.substr(0, 60));
    MelRun r = runMelhost({dir.write("chain.mel", c.script + "\n")});
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 400);
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(MelInterpreter, SourceFindsFilesAndReportsTheirSyntaxErrors) {
  TempDir dir;
  // (Written with a byte order mark, as some editors do.)
  dir.write("lib.mel", "\xEF\xBB\xBFglobal proc string fromLib() { return \"lib\"; }\nprint \"sourced \";\n");
  dir.write("bad.mel", "print 1;\n  print (;\n");
  // The main script sources lib.mel relative to its own directory, although
  // the current directory is elsewhere.
  std::string main = dir.write("sub/../main.mel", "source \"lib.mel\";\nprint (fromLib() + \"\\n\");\n");
  MelRun r = runMelhost({main});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sourced lib\n");

  r = runMelhost({"-c", "source \"" + dir.path() + "/lib\"; print (fromLib());"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "sourced lib");

  r = runMelhost({"-c", "source \"" + dir.path() + "/bad.mel\"; print \"not reached\";"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(dir.path() + "/bad.mel:2:10: syntax error"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");

  // A caught syntax error does not make a later runtime error a syntax error.
  r = runMelhost({"-c", "if (catch(`source \"" + dir.path() + "/bad.mel\"`)) nosuch;"});
  EXPECT_EQ(r.status, 1) << r.err;

  r = runMelhost({"-c", "source \"no_such_file.mel\";"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no_such_file.mel"), std::string::npos) << r.err;

  // A syntax error in the main script file names the file.
  std::string broken = dir.write("broken.mel", "print 1;\nprint 2\n");
  r = runMelhost({broken});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(broken + ":3:1: syntax error"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

// Script files that are not regular files: a named pipe with no writer
// (which an ordinary open waits on for ever), a device and a folder. Each is
// refused at once, as the main script, through source and as a plug-in.
TEST(MelInterpreter, ScriptsThatAreNotRegularFilesAreRefusedAtOnce) {
  TempDir dir;
  const std::string fifo = dir.path() + "/pipe.mel";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir.path() + "/folder.mel";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), folder}) {
    SCOPED_TRACE(path);
    MelRun r = runMelhost({path}, 20);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("\"" + path + "\" is not a regular file"), std::string::npos) << r.err;
    r = runMelhost({"-c", "source \"" + path + "\"; print \"not reached\";"}, 20);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
    // Nor is a plug-in opened that is not a regular file.
    r = runMelhost({"-p", path, "-c", "print 1;"}, 20);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be loaded: not a regular file"), std::string::npos) << r.err;
  }
}

TEST(MelInterpreter, CatchShowsTheErrorAndGoesOn) {
  MelRun r = runMelhost({"-c", "int $c = catch(`error \"caught\"`); print $c;"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1");
  EXPECT_EQ(r.err, "// Error: caught //\n");
}

TEST(MelInterpreter, ResultLinesInTextMode) {
  MelRun r = runMelhost({"-c",
                         "global proc string[] two() { return {\"a\", \"b\"}; } two; size(\"abc\"); "
                         "string $s = `two`; global proc none() {} none;"});
  EXPECT_EQ(r.status, 1);  // `two` returns string[]; assigning it to string fails
  EXPECT_EQ(r.out, "// Result: a b //\n// Result: 3 //\n");
  EXPECT_NE(r.err.find("Cannot convert data of type string[] to type string."), std::string::npos) << r.err;
}

TEST(MelInterpreter, JsonLinesForCallStatements) {
  MelRun r = runMelhost({"--json", "-c",
                         "print \"hello\\n\"; size({\"a\", \"b\"}); string $x = \"no line\"; "
                         "global proc float half(int $n) { return $n / 2.0; } half 3; nosuch 1;"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.substr(0, 6), "hello\n");
  std::vector<nlohmann::json> lines = r.json();
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0], nlohmann::json::parse(R"({"command":"print","ok":true,"result":null,"errors":[]})"));
  EXPECT_EQ(lines[1], nlohmann::json::parse(R"({"command":"size","ok":true,"result":2,"errors":[]})"));
  EXPECT_EQ(lines[2], nlohmann::json::parse(R"({"command":"half","ok":true,"result":1.5,"errors":[]})"));
  EXPECT_EQ(
      lines[3],
      nlohmann::json::parse(
          R"({"command":"nosuch","ok":false,"result":null,"errors":["Cannot find procedure \"nosuch\"."]})"));
  // In JSON mode errors of a statement are in its line, not on stderr.
  EXPECT_EQ(r.err, "");

  // A failing statement that is not a call still gets a line.
  r = runMelhost({"--json", "-c", "string $s = `nosuch`;"});
  EXPECT_EQ(r.status, 1);
  ASSERT_EQ(r.json().size(), 1u) << r.out;
  EXPECT_EQ(
      r.json()[0],
      nlohmann::json::parse(
          R"({"command":null,"ok":false,"result":null,"errors":["Cannot find procedure \"nosuch\"."]})"));

  // Bytes that are not UTF-8 do not break the JSON line.
  r = runMelhost({"--json", "-c", "size(\"\xff\xfe\");"});
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.json().size(), 1u) << r.out;
}

TEST(MelInterpreter, ScriptFromStandardInputAndUsage) {
  TempDir dir;
  std::string script = dir.write("s.mel", "print \"from file\";");
  // "-" reads standard input, which the runner connects to /dev/null.
  MelRun r = runMelhost({"-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = runMelhost({script});
  EXPECT_EQ(r.out, "from file");
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"-c", "print 1;", script},
        std::vector<std::string>{dir.path() + "/missing.mel"}}) {
    r = runMelhost(bad);
    EXPECT_EQ(r.status, 2) << bad[0];
    EXPECT_EQ(r.out, "") << bad[0];
  }
}

}  // namespace
