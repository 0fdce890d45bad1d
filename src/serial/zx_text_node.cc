// ZxTextNode: lookup and unique naming of field values and nested objects.
#include "serial/zx_text_node.h"

#include <string>

namespace {
std::string keyOf(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }
}  // namespace

const ZxString* ZxTextNode::value(const char* name) const {
  auto it = values_.find(name ? name : "");
  return it == values_.end() ? nullptr : &it->second;
}

ZxTextNode* ZxTextNode::child(const char* name) const {
  auto it = children_.find(name ? name : "");
  return it == children_.end() ? nullptr : it->second.get();
}

template <class Map>
std::string ZxTextNode::uniqueName(const Map& map, Suffixes& next, const ZxString& name) {
  std::string base = keyOf(name);
  if (map.find(base) == map.end()) return base;
  int& suffix = next[base];
  if (suffix < 1) suffix = 1;
  for (;; ++suffix) {
    std::string candidate = base + std::to_string(suffix);
    if (map.find(candidate) == map.end()) {
      ++suffix;
      return candidate;
    }
  }
}

void ZxTextNode::addValue(const ZxString& name, const ZxString& value) {
  std::string key = uniqueName(values_, nextValueSuffix_, name);
  values_.emplace(std::move(key), value);
}

void ZxTextNode::addChild(const ZxString& name, ZxTextNode* node) {
  std::string key = uniqueName(children_, nextChildSuffix_, name);
  children_.emplace(std::move(key), std::unique_ptr<ZxTextNode>(node));
}
