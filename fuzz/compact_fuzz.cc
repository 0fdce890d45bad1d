// Fuzz target: the compact reader (readCompact), the form stored in a job's
// "data" field.
// Properties: the tree never nests past kMaxPackageDepth; writeCompact of
// the tree reads back to the same tree and writes the same text again; after
// one conversion to a package string and back, further conversions change
// nothing; compactToPackage() (through its flat tree) writes exactly what
// treeToPackage() of the linked tree writes.
#include "fuzz_support.h"
#include "package_tree_support.h"
#include "plugin/zx_package_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  PackageNode* tree = readCompact(input);
  if (size == 0 || data[0] != '(') {
    ZX_FUZZ_CHECK(tree == nullptr);
    return 0;
  }
  if (!tree) return 0;  // out of memory
  ZX_FUZZ_CHECK(zxfuzz::treeDepth(tree) <= kMaxPackageDepth);

  ZxString compact = writeCompact(tree);
  PackageNode* back = readCompact(compact);
  ZX_FUZZ_CHECK(back != nullptr);
  ZX_FUZZ_CHECK(zxfuzz::sameTree(tree, back));
  ZX_FUZZ_CHECK(zxfuzz::same(writeCompact(back), compact));
  PackageNode::release(back);

  // A scalar value that begins with "(" or "{" reads back as a level (the
  // package string has no other form for it), so the first conversion may
  // reshape the tree; from then on the package string must be a fixed point.
  ZxString first = treeToPackage(tree);
  ZX_FUZZ_CHECK(zxfuzz::same(compactToPackage(input), first));
  ZX_FUZZ_CHECK(static_cast<long long>(first.length()) <= kPackageTextBase + kPackageTextPerByte * (2LL * static_cast<long long>(size) + 1));
  // As in the package tree target: strings of runaway size (a quote nested
  // deep) are bounded above but not read back through every level.
  const long long measured = packageLength(tree);
  const bool ordinary = measured <= 64LL * static_cast<long long>(size) + 65536;
  if (ordinary) ZX_FUZZ_CHECK(measured == first.length());
  PackageNode* once = ordinary ? PackageNode::create() : nullptr;
  PackageNode* twice = ordinary ? PackageNode::create() : nullptr;
  if (once && twice) packageToTree(first, once);
  // The first conversion may also turn a short text into a tree that only
  // a runaway string can write (an empty leaf, written "", nested deep);
  // the fixed point is checked where that string is of ordinary size.
  if (once && twice && packageLength(once) <= 64LL * static_cast<long long>(size) + 65536) {
    ZxString second = treeToPackage(once);
    packageToTree(second, twice);
    ZX_FUZZ_CHECK(zxfuzz::sameTree(once, twice));
    ZX_FUZZ_CHECK(zxfuzz::same(treeToPackage(twice), second));
  }
  PackageNode::release(once);
  PackageNode::release(twice);

  writeTagged(tree);
  PackageNode::release(tree);
  return 0;
}
