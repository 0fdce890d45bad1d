// The shared conversion engine of the flag sets and enumerations, and the
// library's list-splitting rule.
//
// A flag set is a table of (name, bit) rows in the order in which its text
// form lists the names; a value is the union of bits. An enumeration is a
// table of (name, value) rows plus the name and value that stand for
// anything outside the table. The tables themselves are static data (see
// model/zx_flags.h); these classes only point at them and own nothing.
#pragma once

#include "util/zx_string.h"
#include "model/zx_string_list.h"

// One row of a flag set or an enumeration. A row with `written` false is a
// second spelling that is accepted when reading and never written.
struct ZxNamedValue {
  const char* name;
  int value;
  bool written;
};

class ZxFlagTable {
 public:
  constexpr ZxFlagTable(const ZxNamedValue* rows, int count) : rows_(rows), count_(count) {}

  // The names of the set bits in text order, joined with ","; "0" when no
  // named bit is set. Bits without a name are left out.
  ZxString toNames(int value) const;
  // A text that isInteger() gives its number whatever bits it holds;
  // otherwise the sum of the bits of the items of splitList() that equal a
  // name exactly. Unknown items add nothing. A name repeated in the list is
  // added once per occurrence, as callers pass each name once.
  int fromNames(const ZxString& text) const;
  // True when `name` equals one of the set's names (second spellings included).
  bool isName(const ZxString& name) const;
  // True when the text is an integer, or every splitList() item is a name;
  // an empty text has no items and is valid.
  bool isValidText(const ZxString& text) const;
  // The bit of `name`, or 0 when it is no name of the set.
  int bitOf(const ZxString& name) const;

  int count() const { return count_; }
  const ZxNamedValue& row(int i) const { return rows_[i]; }

 private:
  const ZxNamedValue* rows_;
  int count_;
};

class ZxEnumTable {
 public:
  constexpr ZxEnumTable(const ZxNamedValue* rows, int count, const char* unknownName, int unknownValue)
      : rows_(rows), count_(count), unknownName_(unknownName), unknownValue_(unknownValue) {}

  // The name of the first row holding `value`, else the table's unknown name.
  const char* nameOf(int value) const;
  // The value of the row whose name equals `name` exactly (case-sensitive),
  // else the table's unknown value. Numeric texts are names like any other.
  int valueOf(const ZxString& name) const;
  // True when `name` is one of the table's names.
  bool isName(const ZxString& name) const;

  int count() const { return count_; }
  const ZxNamedValue& row(int i) const { return rows_[i]; }
  const char* unknownName() const { return unknownName_; }
  int unknownValue() const { return unknownValue_; }

 private:
  const ZxNamedValue* rows_;
  int count_;
  const char* unknownName_;
  int unknownValue_;
};

// Splits `text` at commas into items, keeping quoted groups ("..." and
// '...', with backslash escapes inside) and brace groups ({...}, nested)
// whole, quotes and braces included. A group that is not closed runs to the
// end of the text. Each item is trimmed of blanks, tabs, carriage returns and
// line feeds at both ends; empty items are kept ("a,,b" gives three), but a
// text ending in a comma gives no empty item after it and an empty text
// gives no items.
ZxStringList splitList(const ZxString& text);
