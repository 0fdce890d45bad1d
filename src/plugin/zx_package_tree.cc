// The package tree, its conversions from and to package strings, the compact
// text form and the indented tagged form.
#include "plugin/zx_package_tree.h"

#include <cstring>
#include <new>

#include "plugin/zx_package_string.h"
#include "util/zx_out_of_memory.h"

// ---------------------------------------------------------------- nodes

PackageNode* PackageNode::create() {
  PackageNode* node = new (std::nothrow) PackageNode;
  if (!node) ZxOutOfMemory::note();
  return node;
}

PackageNode::~PackageNode() {
  delete[] name_;
  delete[] value_;
  delete[] children_;
}

void PackageNode::release(PackageNode* node) {
  // A work list threaded through the nodes themselves: a deep tree needs no
  // stack and releasing needs no memory.
  if (!node) return;
  node->nextToRelease_ = nullptr;
  PackageNode* pending = node;
  while (pending) {
    PackageNode* n = pending;
    pending = n->nextToRelease_;
    for (int i = 0; i < n->childCount_; ++i) {
      PackageNode* c = n->children_[i];
      if (!c) continue;
      c->nextToRelease_ = pending;
      pending = c;
    }
    delete n;
  }
}

namespace {

// A NUL-terminated heap copy of n bytes, or null when memory runs out.
char* copyText(const char* bytes, int n) {
  char* text = zxNewArray<char>(static_cast<size_t>(n) + 1);
  if (!text) return nullptr;
  if (n > 0) std::memcpy(text, bytes, static_cast<size_t>(n));
  text[n] = 0;
  return text;
}

bool replaceText(char*& text, int& length, const char* bytes, int n) {
  if (!bytes || n < 0) {
    delete[] text;
    text = nullptr;
    length = 0;
    return true;
  }
  char* fresh = copyText(bytes, n);
  if (!fresh) return false;
  delete[] text;
  text = fresh;
  length = n;
  return true;
}

}  // namespace

bool PackageNode::setName(const char* bytes, int n) { return replaceText(name_, nameLength_, bytes, n); }
bool PackageNode::setValue(const char* bytes, int n) { return replaceText(value_, valueLength_, bytes, n); }

bool PackageNode::addChild(PackageNode* child) {
  if (!child) return false;
  if (childCount_ == childCapacity_) {
    long long wanted = childCapacity_ < 4 ? 4 : 2LL * childCapacity_;
    PackageNode** fresh = wanted > 0x7FFFFFFF ? nullptr : zxNewArray<PackageNode*>(wanted);
    if (!fresh) {
      release(child);
      return false;
    }
    for (int i = 0; i < childCount_; ++i) fresh[i] = children_[i];
    delete[] children_;
    children_ = fresh;
    childCapacity_ = static_cast<int>(wanted);
  }
  children_[childCount_++] = child;
  return true;
}

// ------------------------------------------------ package string <-> tree

namespace {

// A node with children is a hash when any child has a name. The compact
// form stores an empty name as absent, so a hash whose first key is empty
// comes back from it with an unnamed first child; looking at the first
// child alone would turn that hash into an array and drop its other keys.
bool isHash(const PackageNode* node) {
  for (int i = 0; i < node->childCount(); ++i)
    if (node->childAt(i)->hasName()) return true;
  return false;
}

void fillNode(const char* bytes, int n, PackageNode* node, int depth) {
  PackageElementReader reader(bytes, n);
  if (reader.kind() != PackageKind::kScalar && depth >= kMaxPackageDepth) {
    node->setValue(bytes, n);  // too deep to follow: kept as it is
    return;
  }
  const char* element = nullptr;
  int length = 0;
  switch (reader.kind()) {
    case PackageKind::kScalar:
      if (reader.next(element, length)) node->setValue(element, length);
      break;
    case PackageKind::kArray:
      while (reader.next(element, length)) {
        PackageNode* child = PackageNode::create();
        if (!child) break;
        fillNode(element, length, child, depth + 1);
        if (!node->addChild(child)) break;
      }
      break;
    case PackageKind::kHash:
      while (reader.next(element, length)) {
        PackageNode* child = PackageNode::create();
        if (!child) break;
        child->setName(element, length);  // copied before the next read reuses the view
        bool hasValue = reader.next(element, length);
        if (hasValue) fillNode(element, length, child, depth + 1);
        if (!node->addChild(child) || !hasValue) break;
      }
      break;
  }
}

// The measures of a package string that decide the size of its quoted
// form, so that the size of a tree's package string is known before any of
// it is written. Sizes saturate at kHuge, far above kMaxPackageText.
constexpr long long kHuge = 1LL << 60;

struct TextStats {
  long long length = 0;
  long long quoteOrBackslash = 0;  // each becomes two of them when quoted
  long long controls = 0;          // tab, line feed, carriage return: one backslash each
  bool blank = false;              // a blank: the quoted form is enclosed in quotes

  void add(long long& field, long long n) { field = field + n > kHuge ? kHuge : field + n; }

  void addBytes(const char* bytes, int n) {
    add(length, n);
    for (int i = 0; i < n; ++i) {
      char c = bytes[i];
      if (c == '"' || c == '\\') add(quoteOrBackslash, 1);
      if (c == '\t' || c == '\n' || c == '\r') add(controls, 1);
      if (c == ' ') blank = true;
    }
  }

  // Adds the quoted form of a text with the measures `s`.
  void addQuoted(const TextStats& s) {
    long long enclose = (s.blank || s.length == 0) ? 2 : 0;
    add(length, s.length);
    add(length, s.quoteOrBackslash);
    add(length, s.controls);
    add(length, enclose);
    add(quoteOrBackslash, s.quoteOrBackslash);
    add(quoteOrBackslash, s.quoteOrBackslash);
    add(quoteOrBackslash, s.controls);
    add(quoteOrBackslash, enclose);
    blank = blank || s.blank;
  }
};

TextStats bytesStats(const char* bytes, int n) {
  TextStats s;
  s.addBytes(bytes, n);
  return s;
}

// The measures of the package string of `node`, following the writer below.
TextStats nodeStats(const PackageNode* node, int depth) {
  TextStats s;
  int count = node->childCount();
  if (count == 0) return bytesStats(node->value(), node->valueLength());
  bool hash = isHash(node);
  s.add(s.length, 2);  // the brackets
  for (int i = 0; i < count; ++i) {
    const PackageNode* c = node->childAt(i);
    if (i > 0) s.add(s.length, 1);
    if (hash) s.add(s.length, 1);
    if (i > 0 || hash) s.blank = true;
    if (hash) s.addQuoted(bytesStats(c->name(), c->nameLength()));
    s.addQuoted(depth < kMaxPackageDepth ? nodeStats(c, depth + 1) : TextStats());
  }
  return s;
}

// The package string of a tree is written top-down, straight into the
// output: a child's string is quoted once for every level above it, and a
// byte that is quoted k times is known in closed form, so each output byte
// is written once instead of once per level.

// Appends n copies of c, a block at a time: deep escapes run to millions.
void appendRepeated(ZxString& out, char c, long long n) {
  char block[256];
  std::memset(block, c, sizeof block);
  for (; n > 0; n -= static_cast<long long>(sizeof block))
    out.append(block, n < static_cast<long long>(sizeof block) ? static_cast<int>(n)
                                                               : static_cast<int>(sizeof block));
}

// Appends `c` as it reads after being quoted as an element k times.
void emitChar(char c, int k, ZxString& out) {
  if (k > 62) k = 62;  // never reached: such text is far past kMaxPackageText
  if (k > 0) {
    switch (c) {
      case '\\':
        appendRepeated(out, '\\', 1LL << k);
        return;
      case '"':
        appendRepeated(out, '\\', (1LL << k) - 1);
        out.append('"');
        return;
      case '\t':
        appendRepeated(out, '\\', 1LL << (k - 1));
        out.append('t');
        return;
      case '\n':
        appendRepeated(out, '\\', 1LL << (k - 1));
        out.append('n');
        return;
      case '\r':
        appendRepeated(out, '\\', 1LL << (k - 1));
        out.append('r');
        return;
      default:
        break;
    }
  }
  out.append(c);
}

// The bytes a tree holds, for the output bound of treeToPackage(): names,
// values and one per node, over the levels the writer follows.
long long treeBytes(const PackageNode* node, int depth) {
  long long total = 1LL + node->nameLength() + node->valueLength();
  if (depth < kMaxPackageDepth)
    for (int i = 0; i < node->childCount(); ++i) total += treeBytes(node->childAt(i), depth + 1);
  return total;
}

bool needsEscape(char c) { return c == '\\' || c == '"' || c == '\t' || c == '\n' || c == '\r'; }

// Appends n bytes quoted k times (without the enclosing quotes of any level).
void emitBytes(const char* bytes, int n, int k, ZxString& out) {
  if (k == 0) {
    out.append(bytes, n);
    return;
  }
  int run = 0;
  for (int i = 0; i < n; ++i) {
    if (!needsEscape(bytes[i])) continue;
    out.append(bytes + run, i - run);
    emitChar(bytes[i], k, out);
    run = i + 1;
  }
  if (n > run) out.append(bytes + run, n - run);
}

bool hasBlank(const char* bytes, int n) { return n > 0 && std::memchr(bytes, ' ', static_cast<size_t>(n)); }

// Whether the package string of `node`, written at `depth`, holds a blank.
bool stringHasBlank(const PackageNode* node, int depth) {
  for (;;) {
    int count = node->childCount();
    if (count == 0) return hasBlank(node->value(), node->valueLength());
    if (count > 1 || node->childAt(0)->hasName()) return true;  // separators
    if (depth >= kMaxPackageDepth) return false;                // "()" around an empty element
    node = node->childAt(0);                                    // a single element: quoting keeps its blanks
    ++depth;
  }
}

bool stringNeedsQuotes(const PackageNode* node, int depth) {
  if (depth > kMaxPackageDepth) return true;  // written as an empty text
  if (node->childCount() == 0 && node->valueLength() == 0) return true;
  return stringHasBlank(node, depth);
}

// Writes the package string of `node`, whose bytes are quoted `depth` times
// on their way into the output. `limit` is the number of children written.
void appendNodePackage(const PackageNode* node, int depth, ZxString& out, int limit) {
  int count = node->childCount();
  if (count == 0) {
    emitBytes(node->value(), node->valueLength(), depth, out);
    return;
  }
  if (limit < count) count = limit;
  bool hash = isHash(node);
  out.append(hash ? '{' : '(');
  for (int i = 0; i < count; ++i) {
    const PackageNode* c = node->childAt(i);
    if (i > 0) out.append(' ');
    if (hash) {
      bool quotes = c->nameLength() == 0 || hasBlank(c->name(), c->nameLength());
      if (quotes) emitChar('"', depth, out);
      emitBytes(c->name(), c->nameLength(), depth + 1, out);
      if (quotes) emitChar('"', depth, out);
      out.append(' ');
    }
    bool quotes = stringNeedsQuotes(c, depth + 1);
    if (quotes) emitChar('"', depth, out);
    if (depth < kMaxPackageDepth) appendNodePackage(c, depth + 1, out, c->childCount());
    if (quotes) emitChar('"', depth, out);
  }
  out.append(hash ? '}' : ')');
}

}  // namespace

void packageToTree(const ZxString& text, PackageNode* node) {
  if (node) fillNode(text.c_str(), text.length(), node, 0);
}

ZxString treeToPackage(const PackageNode* node) {
  long long allowance = kPackageTextBase;
  return treeToPackage(node, allowance);
}

ZxString treeToPackage(const PackageNode* node, long long& allowance) {
  ZxString out;
  if (!node) return out;
  if (allowance < 0) allowance = 0;
  // The top-level elements are measured first; those from the first that
  // would take the text past its limit on are left out, so the text never
  // grows past that, however the escapes multiply.
  int count = node->childCount();
  int fit = 0;
  // Tree bytes stay below 2^31 per text and 2^37 in all, so the product cannot overflow.
  const long long proportional = kPackageTextPerByte * treeBytes(node, 0);
  if (count > 0) {
    long long limit = allowance + proportional;
    if (limit > kMaxPackageText) limit = kMaxPackageText;
    bool hash = isHash(node);
    TextStats total;
    total.add(total.length, 2);
    for (; fit < count; ++fit) {
      const PackageNode* c = node->childAt(fit);
      TextStats next = total;
      if (fit > 0) next.add(next.length, 1);
      if (hash) next.add(next.length, 1);
      if (hash) next.addQuoted(bytesStats(c->name(), c->nameLength()));
      next.addQuoted(nodeStats(c, 1));
      if (next.length > limit) break;
      total = next;
    }
  }
  appendNodePackage(node, 0, out, fit);
  if (out.length() > proportional) allowance -= out.length() - proportional;
  return out;
}

long long packageLength(const PackageNode* node) { return node ? nodeStats(node, 0).length : 0; }

// ------------------------------------------------------------ compact form

namespace {

bool compactSpecial(char c) { return c == '\\' || c == '(' || c == ')' || c == '='; }

void appendCompactEscaped(const char* bytes, int n, ZxString& out) {
  int run = 0;
  for (int i = 0; i < n; ++i) {
    if (!compactSpecial(bytes[i])) continue;
    out.append(bytes + run, i - run);
    out.append('\\');
    out.append(bytes[i]);
    run = i + 1;
  }
  if (n > run) out.append(bytes + run, n - run);
}

void appendCompact(const PackageNode* node, int depth, ZxString& out) {
  out.append('(');
  appendCompactEscaped(node->name(), node->nameLength(), out);
  out.append('=');
  appendCompactEscaped(node->value(), node->valueLength(), out);
  if (depth < kMaxPackageDepth)
    for (int i = 0; i < node->childCount(); ++i) appendCompact(node->childAt(i), depth + 1, out);
  out.append(')');
}

// Reads escaped text from `pos` up to (not including) the first unescaped
// byte for which stop() holds, or the end; a backslash makes the next byte literal.
template <class Stop>
void readCompactText(const char* text, int n, int& pos, ZxString& out, Stop stop) {
  out.clear();
  int run = pos;
  while (pos < n && !stop(text[pos])) {
    if (text[pos] == '\\') {
      out.append(text + run, pos - run);
      if (pos + 1 < n) out.append(text[pos + 1]);
      pos += 2;
      if (pos > n) pos = n;
      run = pos;
      continue;
    }
    ++pos;
  }
  out.append(text + run, pos - run);
}

}  // namespace

ZxString writeCompact(const PackageNode* node) {
  ZxString out;
  if (node) appendCompact(node, 0, out);
  return out;
}

PackageNode* readCompact(const ZxString& text) {
  // An explicit path from the root to the node being read replaces
  // recursion. Below kMaxPackageDepth the text is still read by the same
  // rules, so that the brackets stay matched, but builds no nodes.
  const char* s = text.c_str();
  int n = text.length();
  if (n == 0 || s[0] != '(') return nullptr;
  PackageNode* root = PackageNode::create();
  if (!root) return nullptr;
  PackageNode* path[kMaxPackageDepth + 1];
  int depth = 0;    // nodes on the path
  int skipped = 0;  // nesting below the deepest node kept
  path[depth++] = root;
  int pos = 1;
  ZxString part;
  enum class Phase { kName, kValue, kChildren } phase = Phase::kName;
  while (pos <= n) {
    PackageNode* current = skipped ? nullptr : path[depth - 1];
    if (phase == Phase::kName) {
      readCompactText(s, n, pos, part, [](char c) { return c == '='; });
      if (pos < n) ++pos;  // the "="
      if (current && !part.isEmpty()) current->setName(part.c_str(), part.length());
      phase = Phase::kValue;
      continue;
    }
    if (phase == Phase::kValue) {
      readCompactText(s, n, pos, part, [](char c) { return c == '(' || c == ')'; });
      if (current && !part.isEmpty()) current->setValue(part.c_str(), part.length());
      phase = Phase::kChildren;
      continue;
    }
    if (pos == n) break;  // unclosed nodes end with the text
    char c = s[pos++];
    if (c == ')') {
      if (skipped) {
        --skipped;
      } else if (--depth == 0) {
        break;
      }
    } else if (c == '(') {
      phase = Phase::kName;
      if (skipped || depth > kMaxPackageDepth) {
        ++skipped;
        continue;
      }
      PackageNode* child = PackageNode::create();
      if (child && current->addChild(child)) {
        path[depth++] = child;
      } else {
        ++skipped;  // out of memory: read past it
      }
    }
    // any other byte between children is skipped
  }
  return root;
}

ZxString packageToCompact(const ZxString& text) {
  PackageNode* tree = PackageNode::create();
  if (!tree) return ZxString();
  packageToTree(text, tree);
  ZxString compact = writeCompact(tree);
  PackageNode::release(tree);
  return compact;
}

ZxString compactToPackage(const ZxString& text) {
  long long allowance = kPackageTextBase;
  return compactToPackage(text, allowance);
}

ZxString compactToPackage(const ZxString& text, long long& allowance) {
  PackageNode* tree = readCompact(text);
  if (!tree) return ZxString();
  ZxString package = treeToPackage(tree, allowance);
  PackageNode::release(tree);
  return package;
}

// ------------------------------------------------------------- tagged form

namespace {

void appendTagged(const PackageNode* node, int depth, ZxString& out) {
  for (int i = 0; i < depth; ++i) out.append('\t');
  int count = node->childCount();
  const char* kind = count == 0 ? "scalar" : isHash(node) ? "hash" : "array";
  out.append('<').append(kind);
  if (node->hasName()) {
    out.append(" name = \"");
    appendCompactEscaped(node->name(), node->nameLength(), out);
    out.append('"');
  }
  out.append('>');
  if (count == 0) {
    appendCompactEscaped(node->value(), node->valueLength(), out);
  } else {
    out.append('\n');
    if (depth < kMaxPackageDepth)
      for (int i = 0; i < count; ++i) appendTagged(node->childAt(i), depth + 1, out);
    for (int i = 0; i < depth; ++i) out.append('\t');
  }
  out.append("</").append(kind).append(">\n");
}

}  // namespace

ZxString writeTagged(const PackageNode* node) {
  ZxString out;
  if (node) appendTagged(node, 0, out);
  return out;
}
