// Fuzz target: the sectioned configuration reader (ZxConfigTree::parse) on
// arbitrary text, warnings included (they go to a log file on /dev/null).
// Properties: the section cap holds, and both name listings agree with the
// sections held.
#include "config/zx_config_tree.h"
#include "fuzz_support.h"
#include "util/zx_log.h"
#include "model/zx_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet = [] {
    ZxLog::log().setLogFile("/dev/null", 0);
    return true;
  }();
  (void)quiet;
  ZxConfigTree tree;
  tree.parse(zxfuzz::text(data, size));
  ZX_FUZZ_CHECK(tree.count() <= ZxConfigTree::kMaxSections);
  ZxStringList names, ordered;
  tree.sectionNames(names);
  tree.sectionNamesInOrder(ordered);
  ZX_FUZZ_CHECK(names.count() == tree.count());
  ZX_FUZZ_CHECK(ordered.count() == tree.count());
  for (int i = 0; i < ordered.count(); ++i) ZX_FUZZ_CHECK(tree.section(*ordered.get(i)) != nullptr);
  return 0;
}
