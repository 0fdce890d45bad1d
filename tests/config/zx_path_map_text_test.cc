// Path map texts merged into a job's path map record.
#include "config/zx_path_map_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/zx_config_file.h"

namespace {

using Pairs = std::vector<std::pair<const char*, const char*>>;

void expectPairs(const ZxStringHash& hash, const Pairs& pairs, const char* what) {
  EXPECT_EQ(hash.count(), static_cast<int>(pairs.size())) << what;
  for (const auto& p : pairs) {
    const ZxString* v = hash.find(ZxString(p.first));
    ASSERT_NE(v, nullptr) << what << ": " << p.first;
    EXPECT_EQ(std::string(v->c_str(), v->length()), p.second) << what << ": " << p.first;
  }
}

TEST(PathMapText, SectionsDirectAndLogical) {
  struct Case {
    const char* text;
    Pairs direct;
    Pairs logical;
  };
  const Case cases[] = {
      {"[direct]\na = b\n[logical]\nc = d\n", {{"a", "b"}}, {{"c", "d"}}},
      {"[direct]\na = b c\n", {{"a", "bc"}}, {}},  // unquoted words are joined
      {"[direct]\na = \"b c\"\n", {{"a", "b c"}}, {}},
      {"[direct]\n/mnt/proj = /net/proj\n/mnt/tex = /net/tex\n",
       {{"/mnt/proj", "/net/proj"}, {"/mnt/tex", "/net/tex"}},
       {}},
      {"[other]\na = b\n[logical]\nx = y\n", {}, {{"x", "y"}}},  // other sections ignored
      {"a = b\n", {}, {}},                                       // no section: nothing
      {"", {}, {}},
      {"[direct]\na = b\nbroken line\nc = d\n", {{"a", "b"}}, {}},  // a bad statement ends the text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ZxPathMap map;
    zxpathmap::addText(map, ZxString(c.text));
    expectPairs(map.directMap(), c.direct, c.text);
    expectPairs(map.logicalMap(), c.logical, c.text);
  }
}

TEST(PathMapText, MergesAndReplacesPairs) {
  ZxPathMap map;
  map.directMap().insert(ZxString("a"), ZxString("old"));
  map.directMap().insert(ZxString("k"), ZxString("kept"));
  zxpathmap::addText(map, ZxString("[direct]\na = new\n"));
  expectPairs(map.directMap(), {{"a", "new"}, {"k", "kept"}}, "merge");
}

TEST(PathMapText, BracedValueOfTheConfigurationFile) {
  // How zx.conf holds a path map: a braced value spanning several lines.
  ZxConfigFile conf;
  conf.parse(ZxString("client_path_map = {\n[direct]\n/a = /b\n[logical]\nproj = /net/proj\n}\n"));
  ZxPathMap map;
  zxpathmap::addText(map, conf.get(ZxString("client_path_map")));
  expectPairs(map.directMap(), {{"/a", "/b"}}, "braced");
  expectPairs(map.logicalMap(), {{"proj", "/net/proj"}}, "braced");
}

}  // namespace
