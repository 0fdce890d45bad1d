// Fuzz target: package string to package tree (packageToTree), and the
// conversions built on it.
// Properties: the tree never nests past kMaxPackageDepth; treeToPackage of
// the tree converts back to the same tree; the package string survives the
// trip through the compact form (packageToCompact, compactToPackage) as the
// same tree; packageLength() measures treeToPackage() exactly; the string
// stays within the bound set by the bytes of the tree; the streaming
// packageToCompact() writes exactly what writeCompact() of the tree writes.
#include "fuzz_support.h"
#include "package_tree_support.h"
#include "plugin/zx_package_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  PackageNode* tree = PackageNode::create();
  if (!tree) return 0;
  packageToTree(input, tree);
  ZX_FUZZ_CHECK(zxfuzz::treeDepth(tree) <= kMaxPackageDepth);

  ZxString package = treeToPackage(tree);
  ZX_FUZZ_CHECK(static_cast<long long>(package.length()) <= kPackageTextBase + kPackageTextPerByte * (2LL * static_cast<long long>(size) + 1));
  // Quoting doubles the backslashes of each level, so a short text nested
  // deep around a quote measures megabytes and may be cut; a string that
  // fits every limit is written whole, as measured. Reading long strings back
  // through every level only repeats the same paths slowly, so the round
  // trips are checked on the strings of ordinary size.
  const long long measured = packageLength(tree);
  const bool whole = measured <= kPackageTextBase;
  if (whole) ZX_FUZZ_CHECK(measured == package.length());
  const bool ordinary = whole && measured <= 64LL * static_cast<long long>(size) + 65536;
  PackageNode* again = ordinary ? PackageNode::create() : nullptr;
  if (again) {
    packageToTree(package, again);
    ZX_FUZZ_CHECK(zxfuzz::sameTree(tree, again));
    PackageNode::release(again);
  }

  const ZxString compact = packageToCompact(input);
  ZX_FUZZ_CHECK(zxfuzz::same(compact, writeCompact(tree)));
  ZxString viaCompact = compactToPackage(compact);
  PackageNode* fromCompact = ordinary && !zxfuzz::hasKeylessHash(tree) ? PackageNode::create() : nullptr;
  if (fromCompact) {
    packageToTree(viaCompact, fromCompact);
    ZX_FUZZ_CHECK(zxfuzz::sameTree(tree, fromCompact));
    PackageNode::release(fromCompact);
  }

  writeTagged(tree);
  PackageNode::release(tree);
  return 0;
}
