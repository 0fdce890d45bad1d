// The shared conversion engine of the flag sets and enumerations, and splitList.
#include "model/zx_flag_table.h"
#include "model/zx_string_list.h"

ZxString ZxFlagTable::toNames(int value) const {
  ZxString out;
  for (int i = 0; i < count_; ++i) {
    const ZxNamedValue& r = rows_[i];
    if (!r.written || r.value == 0 || (value & r.value) != r.value) continue;
    if (!out.isEmpty()) out.append(',');
    out.append(r.name);
  }
  if (out.isEmpty()) out.assign("0");
  return out;
}

namespace {
// The row named `name`, or null: the one lookup of both table shapes.
const ZxNamedValue* rowNamed(const ZxNamedValue* rows, int count, const ZxString& name) {
  for (int i = 0; i < count; ++i)
    if (name == rows[i].name) return &rows[i];
  return nullptr;
}
}  // namespace

int ZxFlagTable::bitOf(const ZxString& name) const {
  const ZxNamedValue* r = rowNamed(rows_, count_, name);
  return r ? r->value : 0;
}

bool ZxFlagTable::isName(const ZxString& name) const { return rowNamed(rows_, count_, name) != nullptr; }

int ZxFlagTable::fromNames(const ZxString& text) const {
  if (text.isInteger()) return text.toInt();
  ZxStringList items = splitList(text);
  // Summed in unsigned arithmetic: a repeated name may carry past the sign
  // bit, which must wrap rather than overflow.
  unsigned int result = 0;
  for (int i = 0; i < items.count(); ++i) result += static_cast<unsigned int>(bitOf(*items.get(i)));
  return static_cast<int>(result);
}

bool ZxFlagTable::isValidText(const ZxString& text) const {
  if (text.isInteger()) return true;
  ZxStringList items = splitList(text);
  for (int i = 0; i < items.count(); ++i)
    if (!isName(*items.get(i))) return false;
  return true;
}

const char* ZxEnumTable::nameOf(int value) const {
  for (int i = 0; i < count_; ++i)
    if (rows_[i].value == value) return rows_[i].name;
  return unknownName_;
}

int ZxEnumTable::valueOf(const ZxString& name) const {
  const ZxNamedValue* r = rowNamed(rows_, count_, name);
  return r ? r->value : unknownValue_;
}

bool ZxEnumTable::isName(const ZxString& name) const { return rowNamed(rows_, count_, name) != nullptr; }

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Adds text[begin, end) to `out`, trimmed of blanks at both ends.
void addTrimmed(const ZxString& text, int begin, int end, ZxStringList& out) {
  const char* p = text.c_str();
  while (begin < end && isBlank(p[begin])) ++begin;
  while (end > begin && isBlank(p[end - 1])) --end;
  out.add(ZxString(p + begin, end - begin));
}

// The index just past the quoted group that starts at `i` (text[i] is the
// quote), or `n` when the group is not closed.
int skipQuoted(const char* p, int i, int n) {
  char quote = p[i++];
  while (i < n) {
    if (p[i] == '\\') {
      i += 2;  // the backslash and the character it escapes
    } else if (p[i++] == quote) {
      return i;
    }
  }
  return n;
}

// The index just past the brace group that starts at `i`, nesting counted,
// or `n` when the group is not closed.
int skipBraces(const char* p, int i, int n) {
  int depth = 0;
  for (; i < n; ++i) {
    if (p[i] == '{') {
      ++depth;
    } else if (p[i] == '}' && --depth == 0) {
      return i + 1;
    }
  }
  return n;
}

}  // namespace

ZxStringList splitList(const ZxString& text) {
  ZxStringList out;
  const char* p = text.c_str();
  const int n = text.length();
  // Items are cut straight out of the text (groups are copied whole with
  // their delimiters), so the walk only has to find the separating commas.
  int start = 0;
  int i = 0;
  while (i < n) {
    char c = p[i];
    if (c == '"' || c == '\'') {
      i = skipQuoted(p, i, n);
    } else if (c == '{') {
      i = skipBraces(p, i, n);
    } else if (c == ',') {
      addTrimmed(text, start, i, out);
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) addTrimmed(text, start, n, out);
  return out;
}
