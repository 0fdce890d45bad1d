// Element quoting, the one-level package writer and the one-level parser.
#include "plugin/zx_package_string.h"
#include "model/zx_string_list.h"

#include <cstring>

namespace {

// The escape written for a byte that needs one, or 0.
char escapeFor(char c) {
  switch (c) {
    case '\t':
      return 't';
    case '\n':
      return 'n';
    case '\r':
      return 'r';
    case '"':
      return '"';
    case '\\':
      return '\\';
    default:
      return 0;
  }
}

// The byte an escape sequence "\c" stands for, or 0 when the sequence is dropped.
char unescape(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case '"':
      return '"';
    case '\\':
      return '\\';
    default:
      return 0;
  }
}

}  // namespace

void appendQuotedElement(const char* bytes, int n, ZxString& out) {
  bool enclose = n <= 0 || std::memchr(bytes, ' ', static_cast<size_t>(n)) != nullptr;
  if (enclose) out.append('"');
  // Runs of plain bytes are appended whole; escapes gather in a small
  // buffer first, so that a text made of escapes (deeply quoted packages
  // are mostly backslashes) costs one append per block, not three per byte.
  char pending[1024];
  int held = 0;
  int run = 0;  // start of the plain bytes not yet copied
  for (int i = 0; i < n; ++i) {
    char e = escapeFor(bytes[i]);
    if (!e) continue;
    if (i > run) {
      out.append(pending, held);
      held = 0;
      out.append(bytes + run, i - run);
    } else if (held + 2 > static_cast<int>(sizeof pending)) {
      out.append(pending, held);
      held = 0;
    }
    pending[held++] = '\\';
    pending[held++] = e;
    run = i + 1;
  }
  out.append(pending, held);
  if (n > run) out.append(bytes + run, n - run);
  if (enclose) out.append('"');
}

void quoteElement(const ZxString& text, ZxString& out) {
  out.clear();
  appendQuotedElement(text.c_str(), text.length(), out);
}

void appendPackage(const ZxStringList& list, ZxString& out) {
  int count = list.count();
  if (count <= 0) return;  // callers always pass a type word; nothing to write otherwise
  const ZxString& first = *list.get(0);
  if (count == 1) {
    if (first == "hash") {
      out.append("{}");
    } else if (first == "array") {
      out.append("()");
    } else if (first != "scalar") {
      appendQuotedElement(first.c_str(), first.length(), out);
    }
    return;
  }
  const char* open = "(";
  const char* close = ")";
  int from = 1;
  if (first == "hash") {
    open = "{";
    close = "}";
  } else if (first == "scalar") {
    open = close = "";
  } else if (first != "array") {
    from = 0;  // untyped: every item is an element of an array
  }
  out.append(open);
  for (int i = from; i < count; ++i) {
    if (i > from) out.append(' ');
    const ZxString* item = list.get(i);
    if (item) appendQuotedElement(item->c_str(), item->length(), out);
  }
  out.append(close);
}

void writePackage(const ZxStringList& list, ZxString& text) {
  text.clear();
  appendPackage(list, text);
}

void parsePackage(const ZxString& text, ZxStringList& list) {
  list.clear();
  PackageElementReader reader(text.c_str(), text.length());
  switch (reader.kind()) {
    case PackageKind::kScalar:
      list.add("scalar");
      break;
    case PackageKind::kArray:
      list.add("array");
      break;
    case PackageKind::kHash:
      list.add("hash");
      break;
  }
  const char* bytes = nullptr;
  int n = 0;
  while (reader.next(bytes, n)) list.append(new ZxString(bytes, n));
}

PackageElementReader::PackageElementReader(const char* bytes, int n) : text_(bytes), length_(n < 0 ? 0 : n) {
  if (length_ > 0 && (text_[0] == '(' || text_[0] == '{')) {
    kind_ = text_[0] == '{' ? PackageKind::kHash : PackageKind::kArray;
    end_ = length_ - 1;
  }
}

bool PackageElementReader::next(const char*& bytes, int& n) {
  if (kind_ == PackageKind::kScalar) {
    if (started_) return false;
    started_ = true;  // the whole text, unchanged
    bytes = text_;
    n = length_;
    return true;
  }
  if (end_ <= 1) return false;  // "()" and "{}": no elements
  if (!started_) {
    started_ = true;
    skipBlanks();  // an inner part of blanks only still gives one empty element
  } else if (pos_ >= end_) {
    return false;
  }
  readToken(bytes, n);
  skipBlanks();
  return true;
}

void PackageElementReader::skipBlanks() {
  while (pos_ < end_ && text_[pos_] == ' ') ++pos_;
}

void PackageElementReader::readToken(const char*& bytes, int& n) {
  bool quoted = pos_ < end_ && text_[pos_] == '"';
  if (quoted) ++pos_;
  int start = pos_;
  // Fast path: find the end of the token and take it as a view when it
  // holds no backslash.
  const char* stop = static_cast<const char*>(
      std::memchr(text_ + pos_, quoted ? '"' : ' ', static_cast<size_t>(end_ - pos_)));
  int stopAt = stop ? static_cast<int>(stop - text_) : end_;
  if (!std::memchr(text_ + pos_, '\\', static_cast<size_t>(stopAt - pos_))) {
    bytes = text_ + start;
    n = stopAt - start;
    pos_ = stopAt;
    if (quoted && pos_ < end_) ++pos_;  // the closing quote
    return;
  }
  bool copying = false;  // set at the first escape: from then on the token is built in scratch_
  while (pos_ < end_) {
    char c = text_[pos_];
    if (quoted ? c == '"' : c == ' ') break;
    if (c == '\\') {
      if (!copying) {
        scratch_.assign(text_ + start, pos_ - start);
        copying = true;
      }
      pos_ += 2;               // the backslash and the character it escapes
      if (pos_ > end_) break;  // a backslash at the end escapes nothing
      char u = unescape(text_[pos_ - 1]);
      if (u) scratch_.append(u);
      continue;
    }
    if (copying) scratch_.append(c);
    ++pos_;
  }
  if (copying) {
    bytes = scratch_.c_str();
    n = scratch_.length();
  } else {
    bytes = text_ + start;
    n = pos_ - start;
  }
  if (quoted && pos_ < end_) ++pos_;  // the closing quote
  if (pos_ > end_) pos_ = end_;
}
