// ZxTextNode: one node of a parsed text form. Field elements land in
// `values`, nested object elements in `children`; repeated names are made
// unique as name, name1, name2, ... in the order the elements appear.
//
// Ownership: a node owns its children and its value texts.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "util/zx_string.h"

class ZxTextNode {
 public:
  ZxTextNode() = default;
  ZxTextNode(const ZxTextNode&) = delete;
  ZxTextNode& operator=(const ZxTextNode&) = delete;

  // The text of the field element `name`, or null when there is none.
  const ZxString* value(const char* name) const;
  // The nested object stored under `name`, or null.
  ZxTextNode* child(const char* name) const;

  // Store under `name` made unique; the node takes ownership of `node`.
  void addValue(const ZxString& name, const ZxString& text);
  void addChild(const ZxString& name, ZxTextNode* node);

  size_t valueCount() const { return values_.size(); }
  size_t childCount() const { return children_.size(); }

  // Parser state: the character data since the last element start and the
  // name of the element being read ("undef_obj" after a field element ends).
  ZxString text;
  ZxString current{"undef_obj"};

 private:
  // Next numeric suffix worth trying per base name, so that making n equal
  // names unique costs O(n) rather than O(n^2). Every suffix below it is
  // known to be taken, which gives the same names as trying 1, 2, ... anew.
  using Suffixes = std::unordered_map<std::string, int>;
  template <class Map>
  static std::string uniqueName(const Map& map, Suffixes& next, const ZxString& name);

  std::unordered_map<std::string, std::unique_ptr<ZxTextNode>> children_;
  std::unordered_map<std::string, ZxString> values_;
  Suffixes nextChildSuffix_;
  Suffixes nextValueSuffix_;
};
