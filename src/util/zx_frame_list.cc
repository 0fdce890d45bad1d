// FrameList: the range grammar, name-pattern expansion and chunking.
#include "util/zx_frame_list.h"
#include "util/zx_out_of_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

bool isGap(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the range grammar from a byte span.
class RangeReader {
 public:
  RangeReader(const char* bytes, int n) : p_(bytes), n_(n) {}

  void skipGaps() {
    while (pos_ < n_ && isGap(p_[pos_])) ++pos_;
  }
  char peek() const { return pos_ < n_ ? p_[pos_] : '\0'; }
  void advance() { ++pos_; }

  // Gaps, an optional "-" and one or more digits. A number outside the range
  // of a 32-bit frame is not a frame number: it is refused like any other
  // text the grammar cannot read. `digits` counts the digits without the sign.
  bool number(long long& value, int& digits) {
    skipGaps();
    int at = pos_;
    bool negative = at < n_ && p_[at] == '-';
    if (negative) ++at;
    int start = at;
    long long magnitude = 0;
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    while (at < n_ && isDigit(p_[at])) {
      // Stop accumulating once past the limit, so long digit runs never overflow.
      if (magnitude <= limit) magnitude = magnitude * 10 + (p_[at] - '0');
      ++at;
    }
    if (at == start || magnitude > limit) return false;
    pos_ = at;
    value = negative ? -magnitude : magnitude;
    digits = at - start;
    return true;
  }

 private:
  const char* p_;
  int n_;
  int pos_ = 0;
};

// Writes the decimal text of v into buf (at least 21 bytes) and answers its
// length. Used for every frame of a long range, where printf costs most.
int formatDecimal(long long v, char* buf) {
  char digits[20];
  int n = 0;
  unsigned long long magnitude =
      v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  int length = 0;
  if (v < 0) buf[length++] = '-';
  while (n > 0) buf[length++] = digits[--n];
  return length;
}

ZxString& appendLong(ZxString& s, long long v) {
  char buf[24];
  int n = std::snprintf(buf, sizeof buf, "%lld", v);
  return s.append(buf, n);
}

// Counts what one expansion has handed on and refuses more once a bound is met.
class ExpandBudget {
 public:
  ExpandBudget(FrameList::Sink& sink, const FrameList::ExpandLimits& limits)
      : sink_(sink),
        maxStrings_(std::min(limits.strings, FrameList::kMaxExpandStrings)),
        maxBytes_(std::min(limits.bytes, FrameList::kMaxExpandBytes)) {}

  // Hands one string to the sink; false (and the budget full) when a bound
  // or the sink refuses it.
  bool put(const char* bytes, int n) {
    if (full_ || strings_ >= maxStrings_ || bytes_ + n > maxBytes_ || !sink_.take(bytes, n)) {
      full_ = true;
      return false;
    }
    ++strings_;
    bytes_ += n;
    return true;
  }
  bool put(const ZxString& s) { return put(s.c_str(), s.length()); }

 private:
  FrameList::Sink& sink_;
  const int maxStrings_;
  const long long maxBytes_;
  int strings_ = 0;
  long long bytes_ = 0;
  bool full_ = false;
};

// Appends each string to a ZxStringList.
class ListSink : public FrameList::Sink {
 public:
  explicit ListSink(ZxStringList& out) : out_(out) {}
  bool take(const char* bytes, int n) override {
    // A frame name is finished text: its buffer is sized to fit, not grown
    // by the append rule (a fourth of the memory of a long expansion).
    ZxString* item = zxNew<ZxString>();
    if (!item) return false;
    item->assignFitted(bytes, n);
    int before = out_.count();
    out_.append(item);
    return out_.count() != before;  // the list drops the item when it cannot grow
  }

 private:
  ZxStringList& out_;
};

struct Span {
  int start;
  int length;
};

// Expands one name-pattern item into `out`. False once the budget is full.
bool expandItem(FrameList& frames, const ZxString& item, ExpandBudget& budget) {
  // Tokens: gaps separate and are dropped, "[" and "]" stand alone, the rest
  // forms words.
  const char* p = item.c_str();
  const int n = item.length();
  std::vector<Span> tokens;
  int word = -1;
  for (int i = 0; i < n; ++i) {
    char c = p[i];
    bool gap = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (gap || c == '[' || c == ']') {
      if (word >= 0) tokens.push_back({word, i - word});
      word = -1;
      if (!gap) tokens.push_back({i, 1});
    } else if (word < 0) {
      word = i;
    }
  }
  if (word >= 0) tokens.push_back({word, n - word});

  size_t open = 0;
  while (open < tokens.size() && !(tokens[open].length == 1 && p[tokens[open].start] == '[')) ++open;
  // Without a "[" followed by a range token the item stands for itself (a
  // trailing "[" with nothing after it included).
  if (open + 1 >= tokens.size()) return budget.put(item);

  ZxString prefix, suffix;
  for (size_t t = 0; t < open; ++t) prefix.append(p + tokens[t].start, tokens[t].length);
  // The token right after the range (normally the "]") is dropped too.
  for (size_t t = open + 3; t < tokens.size(); ++t) suffix.append(p + tokens[t].start, tokens[t].length);

  frames.parse(ZxString(p + tokens[open + 1].start, tokens[open + 1].length));
  const int width = frames.padWidth();
  ZxString s;  // one buffer for every frame's string
  for (int i = 0; i < frames.count(); ++i) {
    s.clear();
    s.append(prefix).appendPadded(frames.frameAt(i), width).append(suffix);
    if (!budget.put(s)) return false;
  }
  return true;
}

// Splits `text` into name-pattern items at the commas outside square
// brackets and expands each as soon as it is complete.
void expandPatterns(FrameList& frames, const ZxString& text, ExpandBudget& budget) {
  const char* p = text.c_str();
  const int n = text.length();
  ZxString item;
  int i = 0;
  while (i < n) {
    char c = p[i];
    if (c == '[') {
      // The bracket group is copied whole; an unclosed "[" takes the rest of the text.
      const void* close = std::memchr(p + i + 1, ']', static_cast<size_t>(n - i - 1));
      int end = close ? static_cast<int>(static_cast<const char*>(close) - p) + 1 : n;
      item.append(p + i, end - i);
      i = end;
      continue;
    }
    if (c == ',') {
      if (!expandItem(frames, item, budget)) return;
      item.clear();
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      item.append(c);
    }
    ++i;
  }
  // Nothing is kept after a final comma (or from an empty text).
  if (!item.isEmpty()) expandItem(frames, item, budget);
}

}  // namespace

FrameList::FrameList(const FrameList& other) : ZxBase() { *this = other; }

FrameList& FrameList::operator=(const FrameList& other) {
  if (this == &other) return *this;
  count_ = 0;
  if (reserve(other.count_)) {
    if (other.count_ > 0)
      std::memcpy(frames_, other.frames_, sizeof(int) * static_cast<size_t>(other.count_));
    count_ = other.count_;
  }
  padWidth_ = other.padWidth_;
  return *this;
}

FrameList::~FrameList() { delete[] frames_; }

bool FrameList::reserve(long long wanted) {
  if (wanted <= capacity_) return true;
  if (wanted > 0x7FFFFFFF) return false;
  // Doubling keeps a long run of add() calls linear in the frames added.
  long long size = std::max<long long>(16, 2LL * capacity_);
  if (size < wanted) size = wanted;
  if (size > 0x7FFFFFFF) size = 0x7FFFFFFF;
  int* fresh = zxNewArray<int>(static_cast<size_t>(size));
  if (!fresh) return false;
  if (count_ > 0) std::memcpy(fresh, frames_, sizeof(int) * static_cast<size_t>(count_));
  delete[] frames_;
  frames_ = fresh;
  capacity_ = static_cast<int>(size);
  return true;
}

bool FrameList::add(int frame) {
  if (!reserve(static_cast<long long>(count_) + 1)) return false;
  frames_[count_++] = frame;
  return true;
}

bool FrameList::addLimited(long long frame) {
  if (count_ >= kMaxFrames) return false;
  return add(static_cast<int>(frame));
}

bool FrameList::addRange(long long a, long long b, long long step, bool except) {
  // 64-bit arithmetic throughout: a, b and the step are 32-bit values, so
  // no sum below can overflow.
  if (step < 0) step = -step;
  if (step == 0) step = 1;
  const long long direction = b < a ? -1 : 1;
  const long long span = b < a ? a - b : b - a;
  if (!except) {
    // The frame count is known: make room once (within the frame bound).
    long long frames = std::min(span / step + 1, static_cast<long long>(kMaxFrames) - count_);
    if (frames > 0 && !reserve(count_ + frames)) return false;
    for (long long k = 0; k <= span; k += step)
      if (!addLimited(a + direction * k)) return false;
    return true;
  }
  // With a step of 1 the exception takes every frame: nothing to walk. With
  // larger steps at least every second frame is added, so the walk stays
  // within twice the frame bound.
  if (step == 1) return true;
  for (long long k = 0; k <= span; ++k)
    if (k % step != 0 && !addLimited(a + direction * k)) return false;
  return true;
}

void FrameList::parse(const ZxString& text) {
  count_ = 0;
  padWidth_ = 0;
  RangeReader reader(text.c_str(), text.length());
  bool first = true;
  for (;;) {
    long long a = 0;
    int digits = 0;
    if (!reader.number(a, digits)) return;
    if (first) padWidth_ = digits;
    first = false;
    reader.skipGaps();
    if (reader.peek() == '-') {
      reader.advance();
      long long b = 0;
      if (!reader.number(b, digits)) return;
      reader.skipGaps();
      char c = reader.peek();
      if (c == 'x' || c == 'X') {
        reader.advance();
        long long step = 0;
        if (!reader.number(step, digits)) return;
        if (!addRange(a, b, step, c == 'X')) return;
      } else if (!addRange(a, b, 1, false)) {
        return;
      }
    } else if (!addLimited(a)) {
      return;
    }
    reader.skipGaps();
    if (reader.peek() != ',') return;
    reader.advance();
  }
}

void FrameList::sortUnique() {
  if (count_ < 2) return;
  // Range texts mostly give ascending frames already: a linear check spares the sort.
  if (!std::is_sorted(frames_, frames_ + count_)) std::sort(frames_, frames_ + count_);
  count_ = static_cast<int>(std::unique(frames_, frames_ + count_) - frames_);
}

bool FrameList::isRangeText(const ZxString& text) {
  const char* p = text.c_str();
  const int n = text.length();
  if (n == 0 || p[0] == 'x' || p[0] == 'X' || p[0] == ',') return false;
  bool solid = false;
  for (int i = 0; i < n; ++i) {
    char c = p[i];
    if (isGap(c)) continue;
    if (!isDigit(c) && c != ',' && c != '-' && c != 'x' && c != 'X') return false;
    solid = true;
  }
  return solid;
}

void FrameList::expand(const ZxString& text, ZxStringList& out) {
  expand(text, out, ExpandLimits{kMaxExpandStrings, kMaxExpandBytes});
}

void FrameList::expand(const ZxString& text, ZxStringList& out, const ExpandLimits& limits) {
  ListSink sink(out);
  expand(text, sink, limits);
}

void FrameList::expand(const ZxString& text, Sink& sink, const ExpandLimits& limits) {
  ExpandBudget budget(sink, limits);
  if (!isRangeText(text)) {
    expandPatterns(*this, text, budget);
    return;
  }
  parse(text);
  char buf[24];
  for (int i = 0; i < count_; ++i)
    if (!budget.put(buf, formatDecimal(frames_[i], buf))) return;
}

namespace {

// One chunk: its first frame, "-" and its last frame when they differ, and
// "x" and the spacing when the spacing is more than 1.
void appendChunk(ZxStringList& out, int first, int last, long long spacing) {
  ZxString s;
  s.appendInt(first);
  if (last != first) s.append('-').appendInt(last);
  if (spacing > 1) appendLong(s.append('x'), spacing);
  out.add(s);
}

}  // namespace

void FrameList::chunk(int size, ZxStringList& out) {
  if (size <= 0 || count_ == 0) return;
  sortUnique();
  const int n = count_;
  const int* f = frames_;
  // Differences in 64 bits: two 32-bit frames can lie 2^32 - 1 apart.
  auto gap = [f](int i) { return static_cast<long long>(f[i]) - f[i - 1]; };
  if (n == 1) {
    appendChunk(out, f[0], f[0], 1);
    return;
  }
  if (n == 2) {
    // Two frames more than 2^31 - 1 apart would need a step that the range
    // grammar cannot read back ("x" takes a 32-bit number), so the chunk
    // would stand for no frame at all: they are written one chunk each.
    if (size == 1 || gap(1) > 0x7FFFFFFF) {
      appendChunk(out, f[0], f[0], 1);
      appendChunk(out, f[1], f[1], 1);
    } else {
      appendChunk(out, f[0], f[1], gap(1));
    }
    return;
  }
  int i = 0;
  while (i < n) {
    if (i + 2 < n && gap(i + 1) == gap(i + 2)) {
      // A run of equally spaced frames from index i to index e.
      const long long spacing = gap(i + 1);
      int e = i + 2;
      while (e + 1 < n && gap(e + 1) == spacing) ++e;
      // The walk goes over the run's own frames, so it is linear in them.
      int start = i;
      int counter = 0;
      for (int v = i; v < e; ++v) {
        if (++counter == size) {
          appendChunk(out, f[start], f[v], spacing);
          start = v + 1;
          counter = 0;
        }
      }
      appendChunk(out, f[start], f[e], spacing);
      i = e + 1;
    } else {
      appendChunk(out, f[i], f[i], 1);
      ++i;
    }
  }
}
