// Structural comparison of two package trees for the tree fuzz targets,
// with an explicit stack (trees nest up to kMaxPackageDepth levels).
#pragma once

#include <cstring>
#include <utility>
#include <vector>

#include "plugin/zx_package_tree.h"

namespace zxfuzz {

inline bool sameBytes(const char* a, int an, const char* b, int bn) {
  return an == bn && (an == 0 || std::memcmp(a, b, static_cast<size_t>(an)) == 0);
}

// Same shape, same names (absent and empty alike) and same values (absent
// and empty alike) at every node.
inline bool sameTree(const PackageNode* a, const PackageNode* b) {
  std::vector<std::pair<const PackageNode*, const PackageNode*>> stack;
  stack.emplace_back(a, b);
  while (!stack.empty()) {
    auto [x, y] = stack.back();
    stack.pop_back();
    if (!x || !y) {
      if (x != y) return false;
      continue;
    }
    if (x->childCount() != y->childCount()) return false;
    if (!sameBytes(x->name(), x->nameLength(), y->name(), y->nameLength())) return false;
    if (!sameBytes(x->value(), x->valueLength(), y->value(), y->valueLength())) return false;
    for (int i = 0; i < x->childCount(); ++i) stack.emplace_back(x->childAt(i), y->childAt(i));
  }
  return true;
}

// Levels below `node`: 0 for a leaf.
inline int treeDepth(const PackageNode* node) {
  std::vector<std::pair<const PackageNode*, int>> stack;
  stack.emplace_back(node, 0);
  int deepest = 0;
  while (!stack.empty()) {
    auto [n, d] = stack.back();
    stack.pop_back();
    if (d > deepest) deepest = d;
    for (int i = 0; i < n->childCount(); ++i) stack.emplace_back(n->childAt(i), d + 1);
  }
  return deepest;
}

// True when some hash of the tree has only empty keys. The compact form
// stores an empty name as absent, so such a hash comes back from it as an
// array: the one shape the compact form cannot carry.
inline bool hasKeylessHash(const PackageNode* node) {
  std::vector<const PackageNode*> stack{node};
  while (!stack.empty()) {
    const PackageNode* n = stack.back();
    stack.pop_back();
    bool named = false, keyed = false;
    for (int i = 0; i < n->childCount(); ++i) {
      const PackageNode* c = n->childAt(i);
      named = named || c->hasName();
      keyed = keyed || c->nameLength() > 0;
      stack.push_back(c);
    }
    if (named && !keyed) return true;
  }
  return false;
}

}  // namespace zxfuzz
