// Filling a job's path map record from a path map text.
#include "config/zx_path_map_text.h"

#include "config/zx_config_file.h"
#include "config/zx_config_tree.h"

namespace zxpathmap {
namespace {

void copySection(const ZxConfigTree& tree, const char* name, ZxStringHash& into) {
  const ZxConfigFile* section = tree.section(ZxString(name));
  if (!section) return;
  section->values().forEach(
      [&into](const ZxString& key, const ZxString* value) { into.insert(key, value ? *value : ZxString()); });
}

}  // namespace

void addText(ZxPathMap& map, const ZxString& text) {
  ZxConfigTree tree;
  tree.parse(text);
  copySection(tree, "direct", map.directMap());
  copySection(tree, "logical", map.logicalMap());
}

}  // namespace zxpathmap
