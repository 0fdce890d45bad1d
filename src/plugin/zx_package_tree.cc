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
    PackageNode** fresh = wanted > 0x7FFFFFFF ? nullptr : zxNewArray<PackageNode*>(static_cast<size_t>(wanted));
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

// ---- the two tree shapes the package string writer walks ----
//
// The writer below is written once for both: the linked PackageNode tree of
// the public interface, and the flat tree that compactToPackage() reads a
// compact text into (see FlatTree). Each is walked through a small
// reference that answers the node's texts and leads to its first child and
// to its next sibling.

// A PackageNode, walked through its child array.
struct LinkedRef {
  const PackageNode* node;

  bool hasChildren() const { return node->childCount() > 0; }
  bool hasSingleChild() const { return node->childCount() == 1; }
  LinkedRef firstChild() const { return LinkedRef{node->childAt(0)}; }
  bool hasName() const { return node->hasName(); }
  const char* name() const { return node->name(); }
  int nameLength() const { return node->nameLength(); }
  const char* value() const { return node->value(); }
  int valueLength() const { return node->valueLength(); }
  // Calls f(child, i) for every child in order.
  template <class F>
  void eachChild(F&& f) const {
    for (int i = 0; i < node->childCount(); ++i) f(LinkedRef{node->childAt(i)}, i);
  }
};

// A package tree as one array of nodes in depth-first order and one buffer
// holding every name and value: a node costs 16 bytes and its texts, where
// a PackageNode costs a heap block of its own, one for each text and a slot
// in its parent's child array (five to six times as much for the small
// elements that large packages are made of). A node's first child, when it
// has one, is the next node; its next sibling is the node after its subtree.
struct FlatNode {
  int text;         // offset of the name in the text buffer; the value follows it
  int nameLength;   // 0: no name (the compact form keeps no empty names)
  int valueLength;  // 0: no value
  int end;          // index of the first node after this one's subtree
};

class FlatTree {
 public:
  FlatTree() = default;
  FlatTree(const FlatTree&) = delete;
  FlatTree& operator=(const FlatTree&) = delete;
  ~FlatTree() { delete[] nodes_; }

  // Reads a compact text by the rules of readCompact(). False when the text
  // does not start with "(" or memory ran out.
  bool read(const ZxString& compact);

  const FlatNode& at(int i) const { return nodes_[i]; }
  const char* text(int offset) const { return text_.c_str() + offset; }

 private:
  // Starts a node (its texts follow with addText()); answers its index.
  int open();
  void addText(const ZxString& part, bool name);

  FlatNode* nodes_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
  ZxString text_;
  long long expected_ = 0;  // the bytes appended to text_ so far, had every append worked
};

struct FlatRef {
  const FlatTree* tree;
  int index;

  const FlatNode& node() const { return tree->at(index); }
  bool hasChildren() const { return node().end > index + 1; }
  bool hasSingleChild() const { return hasChildren() && tree->at(index + 1).end == node().end; }
  FlatRef firstChild() const { return FlatRef{tree, index + 1}; }
  bool hasName() const { return node().nameLength > 0; }
  const char* name() const { return tree->text(node().text); }
  int nameLength() const { return node().nameLength; }
  const char* value() const { return tree->text(node().text + node().nameLength); }
  int valueLength() const { return node().valueLength; }
  // Calls f(child, i) for every child in order.
  template <class F>
  void eachChild(F&& f) const {
    int i = 0;
    for (int c = index + 1; c < node().end; c = tree->at(c).end) f(FlatRef{tree, c}, i++);
  }
};

// A node with children is a hash when any child has a name. The compact
// form stores an empty name as absent, so a hash whose first key is empty
// comes back from it with an unnamed first child; looking at the first
// child alone would turn that hash into an array and drop its other keys.
template <class Ref>
bool isHash(const Ref& node) {
  bool hash = false;
  node.eachChild([&hash](const Ref& c, int) { hash = hash || c.hasName(); });
  return hash;
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
template <class Ref>
TextStats nodeStats(const Ref& node, int depth) {
  TextStats s;
  if (!node.hasChildren()) return bytesStats(node.value(), node.valueLength());
  bool hash = isHash(node);
  s.add(s.length, 2);  // the brackets
  node.eachChild([&](const Ref& c, int i) {
    if (i > 0) s.add(s.length, 1);
    if (hash) s.add(s.length, 1);
    if (i > 0 || hash) s.blank = true;
    if (hash) s.addQuoted(bytesStats(c.name(), c.nameLength()));
    s.addQuoted(depth < kMaxPackageDepth ? nodeStats(c, depth + 1) : TextStats());
  });
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
template <class Ref>
long long treeBytes(const Ref& node, int depth) {
  long long total = 1LL + node.nameLength() + node.valueLength();
  if (depth < kMaxPackageDepth) node.eachChild([&](const Ref& c, int) { total += treeBytes(c, depth + 1); });
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
template <class Ref>
bool stringHasBlank(Ref node, int depth) {
  for (;;) {
    if (!node.hasChildren()) return hasBlank(node.value(), node.valueLength());
    Ref first = node.firstChild();
    if (!node.hasSingleChild() || first.hasName()) return true;  // separators
    if (depth >= kMaxPackageDepth) return false;                 // "()" around an empty element
    node = first;                                                // a single element: quoting keeps its blanks
    ++depth;
  }
}

template <class Ref>
bool stringNeedsQuotes(const Ref& node, int depth) {
  if (depth > kMaxPackageDepth) return true;  // written as an empty text
  if (!node.hasChildren() && node.valueLength() == 0) return true;
  return stringHasBlank(node, depth);
}

// Writes the package string of `node`, whose bytes are quoted `depth` times
// on their way into the output.
template <class Ref>
void appendNodePackage(const Ref& node, int depth, ZxString& out) {
  if (!node.hasChildren()) {
    emitBytes(node.value(), node.valueLength(), depth, out);
    return;
  }
  bool hash = isHash(node);
  out.append(hash ? '{' : '(');
  node.eachChild([&](const Ref& c, int i) {
    if (i > 0) out.append(' ');
    if (hash) {
      bool quotes = c.nameLength() == 0 || hasBlank(c.name(), c.nameLength());
      if (quotes) emitChar('"', depth, out);
      emitBytes(c.name(), c.nameLength(), depth + 1, out);
      if (quotes) emitChar('"', depth, out);
      out.append(' ');
    }
    bool quotes = stringNeedsQuotes(c, depth + 1);
    if (quotes) emitChar('"', depth, out);
    if (depth < kMaxPackageDepth) appendNodePackage(c, depth + 1, out);
    if (quotes) emitChar('"', depth, out);
  });
  out.append(hash ? '}' : ')');
}

// treeToPackage() for either tree shape.
template <class Ref>
ZxString writePackageOf(const Ref& node, long long& allowance) {
  ZxString out;
  if (allowance < 0) allowance = 0;
  // The top-level elements are measured first: a text that would pass its
  // limit is not written at all, however the escapes multiply.
  // Tree bytes stay below 2^31 per text and 2^37 in all, so the product cannot overflow.
  const long long proportional = kPackageTextPerByte * treeBytes(node, 0);
  if (node.hasChildren()) {
    long long limit = allowance + proportional;
    if (limit > kMaxPackageText) limit = kMaxPackageText;
    const long long length = nodeStats(node, 0).length;
    if (length > limit) {
      // More than the text may hold: noted like memory that ran out, so
      // that no caller takes the missing text for an empty package.
      ZxOutOfMemory::note();
      return out;
    }
    // The length is known exactly: one buffer of that size.
    if (!out.reserve(static_cast<int>(length))) return out;
  }
  appendNodePackage(node, 0, out);
  if (out.length() > proportional) allowance -= out.length() - proportional;
  return out;
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
  if (!node) return ZxString();
  return writePackageOf(LinkedRef{node}, allowance);
}

long long packageLength(const PackageNode* node) { return node ? nodeStats(LinkedRef{node}, 0).length : 0; }

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

namespace {

// Appends what follows "name=" in the compact form of the node that the
// package string at `bytes` fills at `depth` (its value, then its children
// and ")"), reading the package string level by level as packageToTree()
// does, but without building the tree: each element is read, written and
// forgotten, so only the output grows.
void appendCompactOfPackage(const char* bytes, int n, int depth, ZxString& out) {
  PackageElementReader reader(bytes, n);
  const char* element = nullptr;
  int length = 0;
  if (reader.kind() == PackageKind::kScalar) {
    if (reader.next(element, length)) appendCompactEscaped(element, length, out);
  } else if (depth >= kMaxPackageDepth) {
    appendCompactEscaped(bytes, n, out);  // too deep to follow: kept as it is
  } else if (reader.kind() == PackageKind::kArray) {
    while (reader.next(element, length)) {
      out.append("(=", 2);
      appendCompactOfPackage(element, length, depth + 1, out);
    }
  } else {
    ZxString key;  // the value's view may reuse the reader's buffer
    while (reader.next(element, length)) {
      key.assign(element, length);
      out.append('(');
      appendCompactEscaped(key.c_str(), key.length(), out);
      out.append('=');
      if (!reader.next(element, length)) {
        out.append(')');  // a final key without a value: its node, empty
        break;
      }
      appendCompactOfPackage(element, length, depth + 1, out);
    }
  }
  out.append(')');
}

}  // namespace

int FlatTree::open() {
  FlatNode& node = nodes_[count_];
  node.text = text_.length();
  node.nameLength = 0;
  node.valueLength = 0;
  node.end = -1;
  return count_++;
}

void FlatTree::addText(const ZxString& part, bool name) {
  FlatNode& node = nodes_[count_ - 1];
  (name ? node.nameLength : node.valueLength) = part.length();
  text_.append(part);
  expected_ += part.length();
}

bool FlatTree::read(const ZxString& compact) {
  const char* s = compact.c_str();
  const int n = compact.length();
  if (n == 0 || s[0] != '(') return false;
  // Every node but the kMaxPackageDepth + 1 that may be open at the end
  // takes at least "(=)", and none starts without a "(", so the nodes are
  // counted in advance and take one block.
  long long bound = n / 3 + kMaxPackageDepth + 2;
  long long opens = 0;
  for (const char* p = s; (p = static_cast<const char*>(std::memchr(p, '(', static_cast<size_t>(s + n - p))));
       ++p)
    if (++opens >= bound) break;
  if (opens < bound) bound = opens;
  nodes_ = zxNewArray<FlatNode>(static_cast<size_t>(bound));
  if (!nodes_) return false;
  capacity_ = static_cast<int>(bound);
  // As readCompact(): a path of open nodes instead of recursion; below
  // kMaxPackageDepth the text is read by the same rules but builds nothing.
  // Texts are kept only when they are the nodes' own: the texts of a node
  // a name or value phase reads while skipping are dropped.
  int path[kMaxPackageDepth + 1];
  int depth = 0;    // nodes on the path
  int skipped = 0;  // nesting below the deepest node kept
  path[depth++] = open();
  int pos = 1;
  ZxString part;
  enum class Phase { kName, kValue, kChildren } phase = Phase::kName;
  while (pos <= n) {
    const bool kept = skipped == 0;
    if (phase == Phase::kName) {
      readCompactText(s, n, pos, part, [](char c) { return c == '='; });
      if (pos < n) ++pos;  // the "="
      if (kept) addText(part, true);
      phase = Phase::kValue;
      continue;
    }
    if (phase == Phase::kValue) {
      readCompactText(s, n, pos, part, [](char c) { return c == '(' || c == ')'; });
      if (kept) addText(part, false);
      phase = Phase::kChildren;
      continue;
    }
    if (pos == n) break;  // unclosed nodes end with the text
    char c = s[pos++];
    if (c == ')') {
      if (skipped) {
        --skipped;
      } else {
        nodes_[path[--depth]].end = count_;
        if (depth == 0) break;
      }
    } else if (c == '(') {
      phase = Phase::kName;
      if (skipped || depth > kMaxPackageDepth || count_ == capacity_) {
        ++skipped;
        continue;
      }
      path[depth++] = open();
    }
    // any other byte between children is skipped
  }
  while (depth > 0) nodes_[path[--depth]].end = count_;
  // A text that could not be stored leaves the offsets of the later nodes
  // wrong: no tree then.
  return text_.length() == expected_;
}

ZxString packageToCompact(const char* bytes, int n) {
  ZxString out;
  out.append("(=", 2);
  appendCompactOfPackage(bytes, n < 0 ? 0 : n, 0, out);
  return out;
}

ZxString packageToCompact(const ZxString& text) { return packageToCompact(text.c_str(), text.length()); }

ZxString compactToPackage(const ZxString& text) {
  long long allowance = kPackageTextBase;
  return compactToPackage(text, allowance);
}

ZxString compactToPackage(const ZxString& text, long long& allowance) {
  FlatTree tree;
  if (!tree.read(text)) return ZxString();
  return writePackageOf(FlatRef{&tree, 0}, allowance);
}

// ------------------------------------------------------------- tagged form

namespace {

void appendTagged(const PackageNode* node, int depth, ZxString& out) {
  for (int i = 0; i < depth; ++i) out.append('\t');
  int count = node->childCount();
  const char* kind = count == 0 ? "scalar" : isHash(LinkedRef{node}) ? "hash" : "array";
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
