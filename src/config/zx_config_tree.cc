// ZxConfigTree: tokenizer, statement parser, header expansion, inheritance,
// binding and expansion of references.
#include "config/zx_config_tree.h"

#include <cstdio>
#include <unordered_set>
#include <vector>

#include "os/zx_os_files.h"
#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

namespace {

// ---- Tokens -------------------------------------------------------------------

enum class Tok {
  kEnd,
  kWord,
  kBraced,   // inner text of {...}
  kQuote,    // a double quote, before and after a quoted string
  kQuoted,   // inner text of a quoted string
  kLineEnd,  // LF or CR
  kSingle,   // one of : [ ] = } backslash
};

struct Token {
  Tok kind = Tok::kEnd;
  int start = 0;
  int length = 0;
  bool escaped = false;  // holds "\}" or "\"" pairs to be resolved
};

class Tokenizer {
 public:
  Tokenizer(const char* text, int size) : text_(text), size_(size) {}

  Token next() {
    if (pendingCount_ > 0) {
      Token t = pending_[0];
      pending_[0] = pending_[1];
      --pendingCount_;
      return t;
    }
    return scan();
  }

  // The token's text, with escapes resolved.
  ZxString textOf(const Token& t) const {
    const char* p = text_ + t.start;
    if (!t.escaped) return ZxString(p, t.length);
    char quote = t.kind == Tok::kBraced ? '}' : '"';
    ZxString out;
    for (int i = 0; i < t.length; ++i) {
      if (p[i] == '\\' && i + 1 < t.length && p[i + 1] == quote) ++i;
      out.append(p[i]);
    }
    return out;
  }

  char charOf(const Token& t) const { return t.length > 0 ? text_[t.start] : 0; }

 private:
  static bool endsWord(char c) {
    switch (c) {
      case ' ':
      case '\t':
      case '\n':
      case '\r':
      case '"':
      case ':':
      case '[':
      case ']':
      case '=':
      case '{':
      case '}':
      case '\\':
      case '#':
        return true;
      default:
        return false;
    }
  }

  Token make(Tok kind, int start, int length, bool escaped = false) const {
    Token t;
    t.kind = kind;
    t.start = start;
    t.length = length;
    t.escaped = escaped;
    return t;
  }

  Token scan() {
    for (;;) {
      while (pos_ < size_ && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
      if (pos_ >= size_) return make(Tok::kEnd, size_, 0);
      if (text_[pos_] != '#') break;
      while (pos_ < size_ && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
    }
    int start = pos_;
    char c = text_[pos_];
    if (c == '{') {
      bool escaped = false;
      int inner = ++pos_;
      while (pos_ < size_ && text_[pos_] != '}') {
        if (text_[pos_] == '\\' && pos_ + 1 < size_ && text_[pos_ + 1] == '}') {
          escaped = true;
          ++pos_;
        }
        ++pos_;
      }
      Token t = make(Tok::kBraced, inner, pos_ - inner, escaped);
      if (pos_ < size_) ++pos_;  // the closing brace
      return t;
    }
    if (c == '"') {
      bool escaped = false;
      int inner = ++pos_;
      while (pos_ < size_ && text_[pos_] != '"' && text_[pos_] != '\n' && text_[pos_] != '\r') {
        if (text_[pos_] == '\\' && pos_ + 1 < size_ && text_[pos_ + 1] == '"') {
          escaped = true;
          ++pos_;
        }
        ++pos_;
      }
      pending_[0] = make(Tok::kQuoted, inner, pos_ - inner, escaped);
      pending_[1] = make(Tok::kQuote, start, 1);
      pendingCount_ = 2;
      if (pos_ < size_) ++pos_;  // whatever ended the string
      return make(Tok::kQuote, start, 1);
    }
    if (c == '\n' || c == '\r') {
      ++pos_;
      return make(Tok::kLineEnd, start, 1);
    }
    if (c == ':' || c == '[' || c == ']' || c == '=' || c == '}' || c == '\\') {
      ++pos_;
      return make(Tok::kSingle, start, 1);
    }
    while (pos_ < size_ && !endsWord(text_[pos_])) ++pos_;
    return make(Tok::kWord, start, pos_ - start);
  }

  const char* text_;
  int size_;
  int pos_ = 0;
  Token pending_[2];
  int pendingCount_ = 0;
};

// ---- Header names ---------------------------------------------------------------

bool isRangeBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Numbers beyond this are counted as this: any range that reaches it is far
// above every cap anyway, and 64-bit sums of such counts cannot overflow.
constexpr long long kNumberCeiling = 1LL << 40;

bool readNumber(const char* s, int n, int& pos, long long& value) {
  while (pos < n && isRangeBlank(s[pos])) ++pos;
  int p = pos;
  bool negative = false;
  if (p < n && s[p] == '-') {
    negative = true;
    ++p;
  }
  if (p >= n || s[p] < '0' || s[p] > '9') return false;
  long long v = 0;
  while (p < n && s[p] >= '0' && s[p] <= '9') {
    if (v < kNumberCeiling) v = v * 10 + (s[p] - '0');
    ++p;
  }
  if (v > kNumberCeiling) v = kNumberCeiling;
  value = negative ? -v : v;
  pos = p;
  return true;
}

bool nextIs(const char* s, int n, int& pos, char c) {
  int p = pos;
  while (p < n && isRangeBlank(s[p])) ++p;
  if (p < n && s[p] == c) {
    pos = p + 1;
    return true;
  }
  return false;
}

// The number of frames the range text s[0, n) gives, counted without making
// them; stops early once `cap` is passed.
long long countRangeFrames(const char* s, int n, long long cap) {
  long long total = 0;
  int pos = 0;
  while (total <= cap) {
    long long a, b, step;
    if (!readNumber(s, n, pos, a)) break;
    if (nextIs(s, n, pos, '-')) {
      if (!readNumber(s, n, pos, b)) break;
      long long span = b > a ? b - a : a - b;
      bool except = false;
      bool stepped = nextIs(s, n, pos, 'x') || (except = nextIs(s, n, pos, 'X'));
      if (stepped) {
        if (!readNumber(s, n, pos, step)) break;
        if (step < 0) step = -step;
        if (step == 0) step = 1;
        long long hit = span / step + 1;
        total += except ? span + 1 - hit : hit;
      } else {
        total += span + 1;
      }
    } else {
      total += 1;
    }
    if (!nextIs(s, n, pos, ',')) break;
  }
  return total;
}

bool isPatternBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// How many names expanding the header text gives at most, following the
// name-pattern rules: a pure range text counts its frames; otherwise each
// ","-separated item (commas inside brackets do not separate) counts one name,
// or the frames of the range after its first "[".
long long estimateNames(const ZxString& header, long long cap) {
  const char* s = header.c_str();
  int n = header.length();
  if (FrameList::isRangeText(header)) return countRangeFrames(s, n, cap);
  long long total = 0;
  int pos = 0;
  while (pos < n && total <= cap) {
    int start = pos, depth = 0;
    while (pos < n && !(s[pos] == ',' && depth == 0)) {
      if (s[pos] == '[') ++depth;
      if (s[pos] == ']' && depth > 0) --depth;
      ++pos;
    }
    int end = pos;
    if (pos < n) ++pos;  // the comma
    int open = start;
    while (open < end && s[open] != '[') ++open;
    if (open >= end) {
      total += 1;
      continue;
    }
    int r = open + 1;
    while (r < end && isPatternBlank(s[r])) ++r;
    int rEnd = r;
    while (rEnd < end && !isPatternBlank(s[rEnd]) && s[rEnd] != '[' && s[rEnd] != ']') ++rEnd;
    total += countRangeFrames(s + r, rEnd - r, cap);
  }
  return total;
}

// ---- Value pieces ---------------------------------------------------------------

bool isValueBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isMark(char c) { return c == '$' || c == '.' || c == '{' || c == '}' || c == '\\'; }

// Cuts a value into its pieces: blank runs, "$", ".", "{", "}", "\" and words.
class Pieces {
 public:
  explicit Pieces(const ZxString& value) : s_(value.c_str()), n_(value.length()) {}
  bool atEnd() const { return pos_ >= n_; }
  // The piece at the cursor without moving; its length in `length`.
  int peek(int& length) const {
    if (pos_ >= n_) {
      length = 0;
      return pos_;
    }
    int p = pos_;
    if (isMark(s_[p])) {
      length = 1;
    } else if (isValueBlank(s_[p])) {
      while (p < n_ && isValueBlank(s_[p])) ++p;
      length = p - pos_;
    } else {
      while (p < n_ && !isValueBlank(s_[p]) && !isMark(s_[p])) ++p;
      length = p - pos_;
    }
    return pos_;
  }
  void advance(int length) { pos_ += length; }
  char at(int i) const { return s_[i]; }
  const char* ptr(int i) const { return s_ + i; }
  bool isWord(int start, int length) const {
    return length > 0 && !isMark(s_[start]) && !isValueBlank(s_[start]);
  }
  bool is(char c) const {
    int len;
    int p = peek(len);
    return len == 1 && s_[p] == c;
  }

 private:
  const char* s_;
  int n_;
  int pos_ = 0;
};

// True when the n bytes at p spell `word` exactly. The text may hold NUL
// bytes, so the word's own end is checked before each of its bytes is read.
bool equalsWord(const char* p, int length, const char* word) {
  int i = 0;
  for (; i < length; ++i)
    if (word[i] == 0 || word[i] != p[i]) return false;
  return word[i] == 0;
}

// "$self" and "$this" (also after "${") become the section's name.
ZxString bindValue(const ZxString& value, const ZxString& sectionName) {
  if (!value.contains('$')) return value;
  ZxString out;
  Pieces pieces(value);
  enum { kText, kAfterDollar, kAfterBrace } state = kText;
  while (!pieces.atEnd()) {
    int length;
    int start = pieces.peek(length);
    pieces.advance(length);
    const char* p = pieces.ptr(start);
    if (state != kText && pieces.isWord(start, length) &&
        (equalsWord(p, length, "self") || equalsWord(p, length, "this"))) {
      out.append(sectionName);
      state = kText;
      continue;
    }
    out.append(p, length);
    if (length == 1 && *p == '$') {
      state = kAfterDollar;
    } else if (state == kAfterDollar && length == 1 && *p == '{') {
      state = kAfterBrace;
    } else {
      state = kText;
    }
  }
  return out;
}

}  // namespace

// ---- Parser ---------------------------------------------------------------------

// Header and parent names are cut to this many bytes in warnings, so that a
// huge header with many missing parents cannot print its text once per parent.
constexpr int kMaxWarningText = 256;

class ZxConfigTree::Parser {
 public:
  Parser(ZxConfigTree& tree, const ZxString& text) : tree_(tree), tokens_(text.c_str(), text.length()) {}

  void run() {
    for (;;) {
      Token t = next();
      if (t.kind == Tok::kEnd) return;
      if (t.kind == Tok::kLineEnd) continue;
      if (t.kind == Tok::kSingle && tokens_.charOf(t) == '[') {
        if (!header()) return;
      } else if (t.kind == Tok::kWord) {
        if (!assignment(t)) return;
      } else {
        return;  // neither a header nor an assignment
      }
    }
  }

 private:
  Token next() {
    if (hasPushed_) {
      hasPushed_ = false;
      return pushed_;
    }
    return tokens_.next();
  }
  void pushBack(const Token& t) {
    pushed_ = t;
    hasPushed_ = true;
  }

  // After "[": the header, its names and its parents. False ends the parse.
  bool header() {
    ZxString text;
    int depth = 1;
    for (;;) {
      Token t = next();
      if (t.kind == Tok::kEnd) return false;
      if (t.kind == Tok::kSingle && tokens_.charOf(t) == '[') ++depth;
      if (t.kind == Tok::kSingle && tokens_.charOf(t) == ']' && --depth == 0) break;
      text.append(tokens_.textOf(t));
    }
    current_.clear();
    useLocalhost_ = false;
    long long estimate = estimateNames(text, kMaxSections);
    if (estimate > kMaxSections) {
      std::fprintf(stderr, "WARNING: %.*s names more than %d sections... skipping.\n", kMaxWarningText,
                   text.c_str(), kMaxSections);
    } else {
      if (headerNames_ + estimate > kMaxHeaderNames) {
        std::fprintf(stderr, "WARNING: %.*s: too many section headers... stopping.\n", kMaxWarningText,
                     text.c_str());
        return false;
      }
      ZxStringList names;
      FrameList frames;
      frames.expand(text, names, FrameList::ExpandLimits{kMaxSections + 1, 16LL << 20});
      headerNames_ += names.count();
      std::unordered_set<ZxConfigFile*> chosen;  // a name given twice counts once
      for (int i = 0; i < names.count(); ++i) {
        if (names.get(i)->isEmpty()) continue;  // "[a,,b]": no section without a name
        ZxConfigFile* section = tree_.obtain(*names.get(i));
        if (!section) {
          std::fprintf(stderr, "WARNING: %.*s: the file already holds %d sections... skipping.\n",
                       kMaxWarningText, text.c_str(), kMaxSections);
          current_.clear();
          break;
        }
        if (chosen.insert(section).second) current_.push_back(section);
      }
    }
    Token t = next();
    if (!(t.kind == Tok::kSingle && tokens_.charOf(t) == ':')) {
      pushBack(t);
      return true;
    }
    for (;;) {
      Token p = next();
      if (p.kind == Tok::kEnd || p.kind == Tok::kLineEnd) break;
      if (p.kind != Tok::kWord) continue;
      ZxString words = tokens_.textOf(p);
      // Parent names may also be separated by commas.
      int start = 0;
      for (int i = 0; i <= words.length(); ++i) {
        if (i < words.length() && words.charAt(i) != ',') continue;
        if (i > start && !inherit(text, ZxString(words.c_str() + start, i - start))) return false;
        start = i + 1;
      }
    }
    return true;
  }

  bool inherit(const ZxString& header, const ZxString& parentName) {
    ZxConfigFile* parent = tree_.section(parentName);
    if (!parent) {
      std::fprintf(stderr, "WARNING: %.*s missing parent %.*s... skipping.\n", kMaxWarningText,
                   header.c_str(), kMaxWarningText, parentName.c_str());
      return true;
    }
    ZxStringList keys;
    parent->keys(keys);
    for (ZxConfigFile* child : current_) {
      if (child == parent) continue;
      for (int i = 0; i < keys.count(); ++i) {
        const ZxString& key = *keys.get(i);
        if (!store(child, key, parent->get(key))) return false;
      }
    }
    return true;
  }

  // After the key word: "=", the value, stored. False ends the parse.
  bool assignment(const Token& keyToken) {
    ZxString word = tokens_.textOf(keyToken);
    ZxString sectionName, key = word;
    for (int i = 0; i < word.length(); ++i) {
      if (word.charAt(i) != '.') continue;
      sectionName = ZxString(word.c_str(), i);
      key = ZxString(word.c_str() + i + 1, word.length() - i - 1);
      if (sectionName.isEmpty() || key.isEmpty()) return false;
      break;
    }
    Token eq = next();
    if (!(eq.kind == Tok::kSingle && tokens_.charOf(eq) == '=')) return false;
    Token t = next();
    if (t.kind == Tok::kEnd) return false;  // the text ends inside the assignment
    ZxString value;
    if (t.kind == Tok::kQuote) {
      Token inner = next();
      next();  // the closing quote token
      value = tokens_.textOf(inner);
    } else {
      while (t.kind != Tok::kEnd && t.kind != Tok::kLineEnd) {
        value.append(tokens_.textOf(t));
        if (value.length() > kMaxStoredBytes) return false;
        t = next();
      }
    }
    if (!sectionName.isEmpty()) {
      ZxConfigFile* section = tree_.obtain(sectionName);
      return !section || store(section, key, bindValue(value, sectionName));
    }
    if (useLocalhost_) {
      ZxConfigFile* section = tree_.obtain("localhost");
      if (!section) return true;
      current_.assign(1, section);
      useLocalhost_ = false;
    }
    for (ZxConfigFile* section : current_)
      if (!store(section, key, bindValue(value, section->name()))) return false;
    return true;
  }

  bool store(ZxConfigFile* section, const ZxString& key, const ZxString& value) {
    ++stores_;
    storedBytes_ += key.length() + value.length();
    if (stores_ > kMaxStores || storedBytes_ > kMaxStoredBytes) {
      std::fprintf(stderr, "WARNING: configuration text holds too many values... stopping.\n");
      return false;
    }
    section->set(key, value);
    return true;
  }

  ZxConfigTree& tree_;
  Tokenizer tokens_;
  Token pushed_;
  bool hasPushed_ = false;
  // The targets of unqualified assignments; before the first header the
  // single section "localhost", created when first assigned to.
  std::vector<ZxConfigFile*> current_;
  bool useLocalhost_ = true;
  long long headerNames_ = 0;
  long long stores_ = 0;
  long long storedBytes_ = 0;
};

// ---- Expander -------------------------------------------------------------------

class ZxConfigTree::Expander {
 public:
  Expander(ZxConfigTree& tree, long long textBytes)
      : tree_(tree), maxSteps_(kExpansionStepsBase + kExpansionStepsPerByte * textBytes) {}

  // Replaces every value by its expansion, from the last section created to
  // the first. Once a budget is spent, the values not yet done keep their text.
  void run() {
    for (int s = tree_.order_.count() - 1; s >= 0; --s) {
      ZxConfigFile* section = tree_.section(*tree_.order_.get(s));
      if (!section) continue;
      // Only values holding a reference change; the others are not visited.
      ZxStringList keys;
      section->values().forEach([&keys](const ZxString& key, const ZxString* value) {
        if (value && value->contains('$')) keys.add(key);
      });
      for (int k = 0; k < keys.count(); ++k) {
        const ZxString& key = *keys.get(k);
        const ZxString& value = section->get(key);
        ZxString expanded;
        expand(value, *section, section->name(), 0, expanded);
        if (spent()) return;
        section->set(key, expanded);
      }
    }
  }

 private:
  // A reference looks up a section or a key and copies text: it counts as
  // several steps of plain copying.
  static constexpr long long kStepsPerReference = 8;

  bool spent() const { return steps_ > maxSteps_ || bytes_ > kMaxExpandedBytes; }

  void emit(ZxString& out, const char* p, int n) {
    bytes_ += n;
    if (!spent()) out.append(p, n);
  }
  void emit(ZxString& out, const ZxString& s) { emit(out, s.c_str(), s.length()); }

  // Expands `value`: plain references read `plain`, "self" and "this" name
  // `selfName`.
  void expand(const ZxString& value, const ZxConfigFile& plain, const ZxString& selfName, int depth,
              ZxString& out) {
    Pieces pieces(value);
    while (!pieces.atEnd() && !spent()) {
      ++steps_;
      int length;
      int start = pieces.peek(length);
      pieces.advance(length);
      if (!(length == 1 && pieces.at(start) == '$')) {
        emit(out, pieces.ptr(start), length);
        continue;
      }
      if (pieces.atEnd()) break;  // a "$" at the very end is dropped
      bool braced = false;
      int braceAt = 0;
      if (pieces.is('{')) {
        braced = true;
        braceAt = pieces.peek(length);
        pieces.advance(1);
      }
      int nameLength;
      int nameAt = pieces.peek(nameLength);
      if (!pieces.isWord(nameAt, nameLength)) {  // no name: the text stays
        emit(out, "$", 1);
        if (braced) emit(out, pieces.ptr(braceAt), 1);
        continue;
      }
      pieces.advance(nameLength);
      steps_ += kStepsPerReference;
      const char* namePtr = pieces.ptr(nameAt);
      bool self = equalsWord(namePtr, nameLength, "self") || equalsWord(namePtr, nameLength, "this");
      if (pieces.is('.')) {
        ZxString name = self ? selfName : ZxString(namePtr, nameLength);
        ZxConfigFile* section = tree_.section(name);
        if (!section) continue;  // "$", "{" and the name dropped; the rest is text
        pieces.advance(1);
        int keyLength;
        int keyAt = pieces.peek(keyLength);
        if (!pieces.isWord(keyAt, keyLength)) keyLength = 0;
        pieces.advance(keyLength);
        if (equalsWord(pieces.ptr(keyAt), keyLength, "_")) {
          emit(out, name);
        } else if (depth < kMaxReferenceDepth) {
          // Expansion writes only to `out`, so the stored value can be read
          // in place.
          expand(section->get(ZxString(pieces.ptr(keyAt), keyLength)), plain, name, depth + 1, out);
        }
      } else if (equalsWord(namePtr, nameLength, "_")) {
        emit(out, plain.name());
      } else {
        emit(out, plain.get(self ? selfName : ZxString(namePtr, nameLength)));
      }
      if (braced && pieces.is('}')) pieces.advance(1);
    }
  }

  ZxConfigTree& tree_;
  const long long maxSteps_;
  long long steps_ = 0;
  long long bytes_ = 0;
};

// ---- Tree -----------------------------------------------------------------------

ZxConfigTree::ZxConfigTree(const ZxString& path) {
  ZxString text;
  zxos::readFile(path, text);
  parse(text);
}

void ZxConfigTree::parse(const ZxString& text) {
  Parser(*this, text).run();
  Expander(*this, text.length()).run();
}

void ZxConfigTree::sectionNames(ZxStringList& out) const { sections_.copyKeys(out); }

void ZxConfigTree::sectionNamesInOrder(ZxStringList& out) const {
  for (int i = 0; i < order_.count(); ++i) out.add(*order_.get(i));
}

ZxConfigFile* ZxConfigTree::obtain(const ZxString& name) {
  if (ZxConfigFile* found = sections_.find(name)) return found;
  if (sections_.count() >= kMaxSections) return nullptr;
  ZxConfigFile* section = zxNew<ZxConfigFile>();
  ZxString* key = zxNew<ZxString>(name);
  if (!section || !key || !sections_.insert(key, section)) {
    delete section;
    delete key;
    return nullptr;
  }
  // The hash keeps the section's contents in an entry of its own.
  section = sections_.find(name);
  if (!section) return nullptr;
  section->setName(name);
  order_.add(name);
  return section;
}
