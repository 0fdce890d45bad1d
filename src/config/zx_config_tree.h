// ZxConfigTree: the sectioned configuration format used by path maps and job
// type callback libraries: named sections of key = value pairs, headers whose
// names expand from patterns ("[web,db]", "[node[1-3]]"), inheritance from
// sections defined above ("[child] : base"), qualified keys
// ("section.key = value"), and "$" references between values.
//
// Reading happens in two stages. Tokens: blanks and tabs separate; "#" starts
// a comment up to the line end; "{...}" is one token with its inner text
// ("\}" for a literal "}", no nesting); a double-quoted string gives a quote
// token, its inner text and a quote token ("\"" for a literal quote; it ends
// at the next quote or line end); LF, CR, ":", "[", "]", "=", "}" and "\" are
// tokens by themselves; anything else is a word. Statements: a header
// "[...]" (inner brackets nest) makes its expanded names the current
// sections, optionally followed by ":" and parent names up to the line end;
// an assignment is a word (key, or "section.key"), "=", and either a quoted
// string or every token up to the line end joined without separators. Any
// other statement ends the parse; what was read before it stays.
//
// Values are bound when stored ("$self" and "$this", also after "${", become
// the section's name) and expanded once the whole text is read: "$key" (or
// "${key}") copies the current value of key in the same section, "$_" gives
// the section's name, "$section.key" the expanded value of key in that
// section, and "$section._" the section's name.
//
// Ownership: the tree owns its sections; section() lends one.
#pragma once

#include "config/zx_config_file.h"
#include "util/zx_string.h"
#include "model/zx_string_list.h"

class ZxConfigTree {
 public:
  // Sections in one tree. Path maps hold two and callback libraries a few
  // dozen; the cap keeps a header such as "[n[1-100000000]]" from creating
  // millions of sections. A header that would go past it is skipped with a
  // warning, and assignments under it go nowhere.
  static constexpr int kMaxSections = 10000;
  // Section names looked up by headers in one parse (twenty headers of the
  // largest size): bounds the work of a text that repeats large headers over
  // and over.
  static constexpr long long kMaxHeaderNames = 20LL * kMaxSections;
  // Values stored in one parse (every section of an assignment counts, and so
  // does every pair copied from a parent), and the bytes they hold together.
  // A genuine file stores a few thousand small values; the caps keep a text
  // that assigns long values to thousands of sections within memory.
  static constexpr long long kMaxStores = 1000000;
  static constexpr long long kMaxStoredBytes = 64LL << 20;
  // How deep "$section.key" references may nest. Real files nest two or
  // three levels; references that refer to each other in a cycle end here
  // and give the empty text.
  static constexpr int kMaxReferenceDepth = 32;
  // Work and output of one expansion pass: references that fan out (a value
  // that names another twice, which names another twice, ...) stop here, and
  // the values not yet expanded keep their text. The work allowed is a base
  // plus a few steps per byte of text, so that it stays linear in the input
  // while every genuine text (which needs about one step per byte) is done.
  static constexpr long long kExpansionStepsBase = 2000000;
  static constexpr long long kExpansionStepsPerByte = 4;
  static constexpr long long kMaxExpandedBytes = 64LL << 20;

  ZxConfigTree() = default;
  // Reads the whole file at `path` (a missing file gives an empty text) and
  // parses it.
  explicit ZxConfigTree(const ZxString& path);
  ZxConfigTree(const ZxConfigTree&) = delete;
  ZxConfigTree& operator=(const ZxConfigTree&) = delete;
  ~ZxConfigTree() = default;

  // Parses `text` into the tree, adding to what is there, then expands the
  // references of every section.
  void parse(const ZxString& text);

  // Appends a copy of every section name, in the order of the sections hash.
  void sectionNames(ZxStringList& out) const;
  // Appends a copy of every section name in the order the sections were
  // created.
  void sectionNamesInOrder(ZxStringList& out) const;
  // The section called `name`, or null.
  ZxConfigFile* section(const ZxString& name) const { return sections_.find(name); }
  int count() const { return sections_.count(); }

 private:
  class Parser;
  class Expander;
  // The section `name`, created when missing; null when the tree is full.
  ZxConfigFile* obtain(const ZxString& name);

  ZxConfigHash sections_;
  ZxStringList order_;  // section names in creation order
};
