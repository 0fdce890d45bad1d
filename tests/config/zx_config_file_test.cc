// Tests of the key = value reader: the syntax rules, the value writer and its
// round trip, loading files, and rewriting a template.
#include "config/zx_config_file.h"

#include <gtest/gtest.h>

#include <string>

#include "config/zx_env_fixture.h"
#include "model/zx_string_list.h"

namespace {

using zxtest::TempDir;

std::string str(const ZxString& s) { return std::string(s.c_str(), s.length()); }

// Every pair as "key=value" lines, sorted by key.
std::string pairs(const ZxConfigFile& file) {
  ZxStringList keys;
  file.keys(keys);
  keys.sort();
  std::string out;
  for (int i = 0; i < keys.count(); ++i) out += str(*keys.get(i)) + "=" + str(file.get(*keys.get(i))) + "|";
  return out;
}

ZxConfigFile parsed(const std::string& text) {
  ZxConfigFile file;
  file.parse(ZxString(text.data(), static_cast<int>(text.size())));
  return file;
}

TEST(ConfigFileSyntax, Table) {
  struct Case {
    const char* what;
    std::string text;
    std::string pairs;
  };
  const Case cases[] = {
      {"plain", "a = 1\n", "a=1|"},
      {"no final line end", "a = 1", "a=1|"},
      {"comment line", "# a = 1\nb=2", "b=2|"},
      {"indented comment", "  \t# a = 1\nc = 3\n", "c=3|"},
      {"headers are skipped", "[one]\nk = 1\n[two] k = 2\n", "k=2|"},
      {"unclosed header swallows the rest", "[open a = 1\nb = 2", ""},
      {"blanks dropped from keys", "client timeout = 5\n", "clienttimeout=5|"},
      {"keys keep their case", "Key = V\nkey = v\n", "Key=V|key=v|"},
      {"line without =", "novalue\nx = 1\n", "x=1|"},
      {"# before = starts a new line", "abc # x = 1\n", "x=1|"},
      {"double-quoted with trailing comment", "a = \"a b\" # c\n", "a=a b|"},
      {"bare stops at blank", "a = a b # c\n", "a=a|"},
      {"bare stops at #", "a = x#y\n", "a=x|"},
      {"bare keeps =", "a=b=c\n", "a=b=c|"},
      {"single quotes keep double quotes", "a = 'x\"y' rest\nb = 1\n", "a=x\"y|b=1|"},
      {"quote ends at the line end", "a = \"open\nb = 2\n", "a=open|b=2|"},
      {"CR dropped inside quotes", "a = \"x\r\"\n", "a=x|"},
      {"braces nest and keep line breaks", "a = {x\n{y}\n}\nb = 2\n", "a=x\n{y}\n|b=2|"},
      {"CR dropped inside braces", "a = {x\r\ny}\n", "a=x\ny|"},
      {"unclosed brace runs to the end", "a = {never closes\nb = 2", "a=never closes\nb = 2|"},
      {"= at the very end", "a =", ""},
      {"= then line end", "a =\nb = 2\n", "a=|b=2|"},
      {"= then blanks", "a =  \t\nb = 2\n", "a=|b=2|"},
      {"later pair wins", "a = 1\na = 2\n", "a=2|"},
      {"high byte cuts a bare value", "a = caf\xc3\xa9\n", "a=caf|"},
      {"CR-LF line ends", "a = 1\r\nb = 2\r\n", "a=1|b=2|"},
      {"stray text after the value", "a = 1 2 3\nb = 4\n", "a=1|b=4|"},
      {"empty text", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(pairs(parsed(c.text)), c.pairs) << c.what;
}

TEST(ConfigFileSyntax, GetOfAMissingKeyIsEmptyAndSetReplaces) {
  ZxConfigFile file = parsed("a = 1\n");
  EXPECT_TRUE(file.get("missing").isEmpty());
  EXPECT_FALSE(file.has("missing"));
  file.set("a", "2");
  file.set("b", "3");
  EXPECT_EQ(pairs(file), "a=2|b=3|");
  EXPECT_EQ(file.count(), 2);
  ZxConfigFile copy = file;
  file.clear();
  EXPECT_EQ(pairs(copy), "a=2|b=3|");
  EXPECT_EQ(file.count(), 0);
}

TEST(ConfigFileWriter, FormsAndRoundTrip) {
  struct Case {
    std::string value;
    std::string written;  // "" when only the round trip is checked
  };
  const Case cases[] = {
      {"plain", "k = plain\n"},
      {"", "k = \n"},
      {"a b", "k = \"a b\"\n"},
      {"a\tb", "k = \"a\tb\"\n"},
      {"x\ny", "k = {x\ny}\n"},
      {"x\n{y}\n", "k = {x\n{y}\n}\n"},
      // Values the plain forms would cut or misread.
      {"a#b", "k = \"a#b\"\n"},
      {"caf\xc3\xa9", "k = \"caf\xc3\xa9\"\n"},
      {"\"lead", "k = '\"lead'\n"},
      {"'lead", "k = \"'lead\"\n"},
      {"{lead", "k = \"{lead\"\n"},
      {"a\"b c", "k = 'a\"b c'\n"},
      {"a\"b'c d", "k = {a\"b'c d}\n"},
  };
  for (const Case& c : cases) {
    ZxString out;
    ZxString value(c.value.data(), static_cast<int>(c.value.size()));
    ZxConfigFile::appendPair(out, "k", value);
    if (!c.written.empty()) {
      EXPECT_EQ(str(out), c.written) << c.value;
    }
    EXPECT_EQ(str(parsed(str(out)).get("k")), c.value) << c.value;
  }
}

TEST(ConfigFileLoad, FilesDirectoriesAndLayers) {
  TempDir tmp;
  std::string first = tmp.write("first.conf", "a = 1\nb = 2\n");
  std::string second = tmp.write("second.conf", "b = 3\n");
  std::string empty = tmp.write("empty.conf", "");
  std::string dir = tmp.mkdir("dir.conf");

  ZxConfigFile file(first.c_str());
  EXPECT_TRUE(file.loaded());
  EXPECT_TRUE(file.load(second.c_str()));
  EXPECT_EQ(pairs(file), "a=1|b=3|");

  ZxConfigFile none(tmp.file("missing").c_str());
  EXPECT_FALSE(none.loaded());
  ZxConfigFile folder(dir.c_str());
  EXPECT_FALSE(folder.loaded());
  EXPECT_EQ(folder.count(), 0);
  ZxConfigFile blank(empty.c_str());
  EXPECT_TRUE(blank.loaded());
  EXPECT_EQ(blank.count(), 0);
  // A failed load keeps the pairs of an earlier one.
  EXPECT_FALSE(file.load(dir.c_str()));
  EXPECT_EQ(pairs(file), "a=1|b=3|");
}

TEST(ConfigFileRewrite, TemplateMerge) {
  ZxConfigFile values;
  values.set("supervisor_host", "new");
  values.set("client_timeout", "42");
  values.set("client_path_map", "x\ny");
  values.set("extra", "e e");
  values.set("alpha", "1");
  const std::string templ =
      "# zx.conf template\n"
      "supervisor_host = oldhost\n"
      "# client_timeout = 1000\n"
      "unknown_key = 5\n"
      "client_path_map = {\n"
      "a = b\n"
      "}\n"
      "\n"
      "# these are not included in the template\n"
      "supervisor_host = again\n"
      "Upper = 1\n";
  const std::string expected =
      "# zx.conf template\n"
      "supervisor_host = new\n"
      "client_timeout = 42\n"
      "#unknown_key = 5\n"
      "client_path_map = {x\ny}\n"
      "\n"
      "#supervisor_host = again\n"  // a second line cannot override the value above
      "#Upper = 1\n"                // the run starts at "p": an unknown key
      "# these are not included in the template\n"
      "alpha = 1\n"
      "extra = \"e e\"\n"
      "\n";
  ZxString out = values.rewriteText(ZxString(templ.c_str()));
  EXPECT_EQ(str(out), expected);
  // What was written reads back as the object's values.
  ZxConfigFile back = parsed(str(out));
  EXPECT_EQ(pairs(back), pairs(values));

  TempDir tmp;
  std::string templatePath = tmp.write("zx.conf.template", templ);
  std::string target = tmp.file("zx.conf");
  ASSERT_TRUE(values.writeRewritten(templatePath.c_str(), target.c_str()));
  ZxConfigFile written(target.c_str());
  EXPECT_EQ(str(written.get("client_timeout")), "42");
  // Without a template, every key goes after the marker.
  EXPECT_EQ(str(values.rewrite(tmp.file("missing").c_str())).rfind("# these are not included", 0), 0u);
}

}  // namespace
