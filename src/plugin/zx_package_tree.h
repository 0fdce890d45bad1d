// The package tree: the library's own nested form of a package string, its
// conversions from and to package strings, its compact text form (the form
// stored in a job's "data" field) and an indented tagged form.
//
// Ownership: a tree owns its nodes; a node owns its name, its value and its
// children. PackageNode::release() frees a node with everything below it.
// The conversions return owned strings and keep no state of their own
// between calls, so, unlike a writer with one shared output buffer, they
// are reentrant and a returned text stays valid as long as the caller keeps it.
//
// Hostile text: every reader and writer here bounds the nesting it follows
// (kMaxPackageDepth) and never recurses deeper; text nested deeper is read as
// far as the bound reaches, as any other malformed text is.
#pragma once

#include "util/zx_string.h"

// How many levels below the root the conversions follow. Every level of a
// package string doubles the backslashes of the levels inside it, so text
// nested this deep cannot be written through MEL at all; real job packages
// (job, agenda, work item, user data) nest fewer than ten levels.
constexpr int kMaxPackageDepth = 64;

// The longest package string written from a tree. Quoting doubles the
// escapes at each level, so a small hostile tree could otherwise ask for
// gigabytes; this is ten times the text of a 100,000-item agenda. The size
// is measured before anything is written; a tree whose string would pass
// the limit is not written at all, and the failure is noted as memory that
// ran out (util/zx_out_of_memory.h), so that no command answers a package
// with parts missing.
constexpr long long kMaxPackageText = 256LL * 1024 * 1024;
// The package string of a tree is also kept within kPackageTextBase plus
// kPackageTextPerByte times the bytes the tree holds (its names and values,
// and one per node), the same way. Quoting doubles the backslashes of every
// level, so without it a compact text of a few hundred bytes that nests a
// quote sixty levels deep would ask for all of kMaxPackageText. Genuine
// trees, whose strings are their texts plus a few escapes and brackets,
// stay far inside the bound.
constexpr long long kPackageTextBase = 16LL * 1024 * 1024;
constexpr long long kPackageTextPerByte = 16;

class PackageNode {
 public:
  // A new node with no name, no value and no children; null when memory runs out.
  static PackageNode* create();
  // Frees `node`, its texts and all its descendants (without recursion). Null is allowed.
  static void release(PackageNode* node);

  PackageNode(const PackageNode&) = delete;
  PackageNode& operator=(const PackageNode&) = delete;

  // Copies n bytes as the name or value; null `bytes` makes it absent.
  // False (and the old text kept) when memory runs out.
  bool setName(const char* bytes, int n);
  bool setValue(const char* bytes, int n);
  // Appends `child`, which the node then owns. The children array grows
  // geometrically. On failure the child is released and false returned.
  bool addChild(PackageNode* child);

  // Null when i is out of range; the node keeps ownership.
  PackageNode* childAt(int i) const { return i >= 0 && i < childCount_ ? children_[i] : nullptr; }
  int childCount() const { return childCount_; }
  int childCapacity() const { return childCapacity_; }

  bool hasName() const { return name_ != nullptr; }
  const char* name() const { return name_ ? name_ : ""; }
  int nameLength() const { return nameLength_; }
  bool hasValue() const { return value_ != nullptr; }
  const char* value() const { return value_ ? value_ : ""; }
  int valueLength() const { return valueLength_; }

 private:
  PackageNode() = default;
  ~PackageNode();

  char* name_ = nullptr;
  int nameLength_ = 0;
  char* value_ = nullptr;
  int valueLength_ = 0;
  PackageNode** children_ = nullptr;
  int childCount_ = 0;
  int childCapacity_ = 0;
  PackageNode* nextToRelease_ = nullptr;  // work list of release()
};

// Fills `node` (normally new and empty) from the package string `text`: a
// scalar sets the value, an array appends unnamed children, a hash appends
// one child per key, named by the key. A node kMaxPackageDepth levels below
// `node` keeps its text unparsed as its value.
void packageToTree(const ZxString& text, PackageNode* node);
// The package string of a tree. A scalar node gives its value as it is, so
// that its parent quotes it exactly once and parsing gives the value back.
// A node is written as a hash when any of its children has a name; an
// unnamed child of a hash gives the empty key.
// A string that would pass kMaxPackageText or the bound of
// kPackageTextBase and kPackageTextPerByte is not written: the answer is ""
// and the failure is noted.
ZxString treeToPackage(const PackageNode* node);
// As treeToPackage(), for a writer that converts many trees into one text
// (a job hash with its work items): `allowance` (starting at
// kPackageTextBase) is shared by all of them in place of each one's own
// kPackageTextBase, and what a tree writes beyond kPackageTextPerByte times
// its bytes is taken from it. The text of all the trees together then stays
// within one kPackageTextBase plus kPackageTextPerByte times their bytes.
ZxString treeToPackage(const PackageNode* node, long long& allowance);
// The length of the package string of a whole tree, measured without
// writing it (saturating far above kMaxPackageText).
long long packageLength(const PackageNode* node);

// Compact form: "(" name "=" value children ")", with "\", "(", ")" and "="
// escaped by a backslash in names and values. Null gives "".
ZxString writeCompact(const PackageNode* node);
// The tree of a compact text, owned by the caller; null when the text does
// not start with "(" (an empty text included).
PackageNode* readCompact(const ZxString& text);

// Package string to compact text and back. The first reads the package
// string level by level and writes the compact text as it goes, building no
// tree; the second reads the compact text into a flat tree (one array of
// small nodes and one buffer of texts, a fraction of a PackageNode tree) and
// writes from it. Both give exactly what writeCompact(packageToTree()) and
// treeToPackage(readCompact()) give, at a memory cost proportional to the
// text.
ZxString packageToCompact(const ZxString& text);
ZxString packageToCompact(const char* bytes, int n);
ZxString compactToPackage(const ZxString& text);
// As compactToPackage(), sharing `allowance` as treeToPackage() does.
ZxString compactToPackage(const ZxString& text, long long& allowance);

// The indented tagged form: one element "scalar", "array" or "hash" per
// node, the name as the attribute ` name = "..."`, a tab per level.
ZxString writeTagged(const PackageNode* node);
