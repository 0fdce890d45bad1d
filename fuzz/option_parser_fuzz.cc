// Fuzz target: the command option parser (OptionParser::parse) on arbitrary
// word lists (the input cut at NUL and line feed), with options like those
// of the job commands, prefixes that collide included.
// Properties: a failure always leaves an error text; on success the
// positional words are exactly the tail of the word list.
#include "fuzz_support.h"
#include "plugin/zx_option_parser.h"
#include "model/zx_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxStringList words;
  zxfuzz::words(data, size, words);
  OptionParser parser;
  parser.setProgramName("zxjob");
  parser.addFlag("all");
  parser.addFlag("allow");
  parser.addText("user");
  parser.addText("users");
  parser.addIntegerRange("range");
  parser.addInteger("priority");
  parser.addInteger("pri");
  bool ok = parser.parse(words);
  if (!ok) {
    ZX_FUZZ_CHECK(!parser.errorText().isEmpty());
    return 0;
  }
  int n = parser.positionalCount();
  ZX_FUZZ_CHECK(n <= words.count());
  for (int i = 0; i < n; ++i)
    ZX_FUZZ_CHECK(zxfuzz::same(parser.positionalAt(i), *words.get(words.count() - n + i)));
  int value = 0;
  parser.integer("priority", value);
  ZxString text;
  parser.text("user", text);
  return 0;
}
