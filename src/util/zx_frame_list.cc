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

// Counts what one expansion has handed on and refuses more once a bound is
// met, remembering which bound it was.
class ExpandBudget {
 public:
  ExpandBudget(FrameList::Sink& sink, const FrameList::ExpandLimits& limits)
      : sink_(sink),
        maxStrings_(std::min(limits.strings, FrameList::kMaxExpandStrings)),
        maxBytes_(std::min(limits.bytes, FrameList::kMaxExpandBytes)) {}

  // Hands one string to the sink; false (and the budget full) when a bound
  // or the sink refuses it.
  bool put(const char* bytes, int n) {
    if (full()) return false;
    if (strings_ >= maxStrings_) return stop(FrameList::Outcome::kTooManyStrings);
    if (bytes_ + n > maxBytes_) return stop(FrameList::Outcome::kTooManyBytes);
    if (!sink_.take(bytes, n)) return stop(FrameList::Outcome::kStopped);
    ++strings_;
    bytes_ += n;
    return true;
  }
  bool put(const ZxString& s) { return put(s.c_str(), s.length()); }
  // Ends the expansion for `why`; answers false, for the caller to return.
  bool stop(FrameList::Outcome why) {
    if (!full()) outcome_ = why;
    return false;
  }
  bool full() const { return outcome_ != FrameList::Outcome::kComplete; }
  FrameList::Outcome outcome() const { return outcome_; }

 private:
  FrameList::Sink& sink_;
  const int maxStrings_;
  const long long maxBytes_;
  int strings_ = 0;
  long long bytes_ = 0;
  FrameList::Outcome outcome_ = FrameList::Outcome::kComplete;
};

// Appends each string to an owning list of strings.
class ListSink : public FrameList::Sink {
 public:
  explicit ListSink(ZxBaseList<ZxString>& out) : out_(out) {}
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
  ZxBaseList<ZxString>& out_;
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

  // A range past the frame bound still hands on the frames it kept (the
  // limits and the sink may stop earlier); the expansion then ends as cut.
  const bool whole = frames.parse(ZxString(p + tokens[open + 1].start, tokens[open + 1].length));
  const int width = frames.padWidth();
  ZxString s;  // one buffer for every frame's string
  for (int i = 0; i < frames.count(); ++i) {
    s.clear();
    s.append(prefix).appendPadded(frames.frameAt(i), width).append(suffix);
    if (!budget.put(s)) return false;
  }
  if (!whole)
    return budget.stop(frames.ranOutOfMemory() ? FrameList::Outcome::kStopped
                                               : FrameList::Outcome::kTooManyFrames);
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
  if (!fresh) {
    outOfMemory_ = true;
    return false;
  }
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

namespace {

// Reads the items of a range text and hands each to `sink`:
// sink.single(a) for "a", sink.range(a, b, step, except) for "a-b" (step 1),
// "a-bxs" and "a-bXs" (except true). Each answers false to stop the reading.
// `padWidth` receives the digits of the first number (0 when the text does
// not begin with one). Answers false when the sink stopped the reading.
template <class Sink>
bool readRangeItems(const ZxString& text, int& padWidth, Sink& sink) {
  padWidth = 0;
  RangeReader reader(text.c_str(), text.length());
  bool first = true;
  for (;;) {
    long long a = 0;
    int digits = 0;
    if (!reader.number(a, digits)) return true;
    if (first) padWidth = digits;
    first = false;
    reader.skipGaps();
    if (reader.peek() == '-') {
      reader.advance();
      long long b = 0;
      if (!reader.number(b, digits)) return true;
      reader.skipGaps();
      char c = reader.peek();
      if (c == 'x' || c == 'X') {
        reader.advance();
        long long step = 0;
        if (!reader.number(step, digits)) return true;
        if (!sink.range(a, b, step, c == 'X')) return false;
      } else if (!sink.range(a, b, 1, false)) {
        return false;
      }
    } else if (!sink.single(a)) {
      return false;
    }
    reader.skipGaps();
    if (reader.peek() != ',') return true;
    reader.advance();
  }
}

}  // namespace

bool FrameList::parse(const ZxString& text) {
  count_ = 0;
  cut_ = false;
  outOfMemory_ = false;
  struct Adder {
    FrameList& list;
    bool single(long long a) { return list.addLimited(a); }
    bool range(long long a, long long b, long long step, bool except) {
      return list.addRange(a, b, step, except);
    }
  } adder{*this};
  if (!readRangeItems(text, padWidth_, adder)) cut_ = true;
  return !cut_;
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

FrameList::Outcome FrameList::expand(const ZxString& text, ZxBaseList<ZxString>& out) {
  return expand(text, out, ExpandLimits{kMaxExpandStrings, kMaxExpandBytes});
}

FrameList::Outcome FrameList::expand(const ZxString& text, ZxBaseList<ZxString>& out, const ExpandLimits& limits) {
  ListSink sink(out);
  return expand(text, sink, limits);
}

FrameList::Outcome FrameList::expand(const ZxString& text, Sink& sink, const ExpandLimits& limits) {
  ExpandBudget budget(sink, limits);
  if (!isRangeText(text)) {
    expandPatterns(*this, text, budget);
    return budget.outcome();
  }
  const bool whole = parse(text);
  char buf[24];
  for (int i = 0; i < count_; ++i)
    if (!budget.put(buf, formatDecimal(frames_[i], buf))) return budget.outcome();
  if (!whole) budget.stop(outOfMemory_ ? Outcome::kStopped : Outcome::kTooManyFrames);
  return budget.outcome();
}

namespace {

// One chunk: its first frame, "-" and its last frame when they differ, and
// "x" and the spacing when the spacing is more than 1.
void appendChunk(ZxBaseList<ZxString>& out, long long first, long long last, long long spacing) {
  ZxString s;
  appendLong(s, first);
  if (last != first) appendLong(s.append('-'), last);
  if (spacing > 1) appendLong(s.append('x'), spacing);
  out.append(new ZxString(s));
}

}  // namespace

void FrameList::chunk(int size, ZxBaseList<ZxString>& out) {
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

// ---- chunks from the ranges themselves ----------------------------------------

namespace {

// `count` frames from `first` upwards in steps of `step` (1 for one frame).
struct FrameRun {
  long long first;
  long long step;
  long long count;
  long long last() const { return first + step * (count - 1); }
  bool interval() const { return step == 1; }
};

// The runs of a range text, each turned ascending (the chunks only depend on
// the set of frames). A run that continues the one before it with the same
// spacing joins it, so an ascending text keeps as few runs as it has gaps.
class RunList {
 public:
  RunList() = default;
  RunList(const RunList&) = delete;
  RunList& operator=(const RunList&) = delete;
  ~RunList() { delete[] runs_; }

  bool single(long long a) { return add(FrameRun{a, 1, 1}); }

  bool range(long long a, long long b, long long step, bool except) {
    if (step < 0) step = -step;
    if (step == 0) step = 1;
    const long long span = b < a ? a - b : b - a;
    const bool down = b < a;
    if (!except) {
      const long long count = span / step + 1;
      const long long end = down ? a - step * (count - 1) : a + step * (count - 1);
      return add(FrameRun{down ? end : a, step, count});
    }
    // Every frame from a to b but those at a multiple of the step from a.
    if (step == 1) return true;
    if (step == 2) {  // the odd offsets: one run of spacing 2
      const long long count = (span + 1) / 2;
      if (count == 0) return true;
      return add(FrameRun{down ? a - (2 * count - 1) : a + 1, 2, count});
    }
    // Blocks of step - 1 consecutive frames between the excepted ones,
    // taken in ascending order of their frames.
    if (span < 1) return true;
    const long long blocks = (span - 1) / step + 1;
    for (long long i = 0; i < blocks; ++i) {
      const long long m = down ? blocks - 1 - i : i;
      const long long lo = m * step + 1;
      const long long hi = std::min(lo + step - 2, span);
      if (!add(FrameRun{down ? a - hi : a + lo, 1, hi - lo + 1})) return false;
    }
    return true;
  }

  // Sorts the runs and joins overlapping and adjacent intervals. False when
  // stepped runs overlap, which only a frame-by-frame walk can untangle.
  bool normalise() {
    if (!sorted_)
      std::sort(runs_, runs_ + count_,
                [](const FrameRun& x, const FrameRun& y) { return x.first < y.first; });
    int w = 0;
    for (int i = 0; i < count_; ++i) {
      const FrameRun& r = runs_[i];
      if (w > 0) {
        FrameRun& prev = runs_[w - 1];
        if (r.first <= prev.last() + (prev.interval() && r.interval() ? 1 : 0)) {
          if (!prev.interval() || !r.interval()) return false;
          prev.count = std::max(prev.last(), r.last()) - prev.first + 1;
          continue;
        }
      }
      runs_[w++] = r;
    }
    count_ = w;
    sorted_ = true;
    return true;
  }

  int count() const { return count_; }
  const FrameRun& at(int i) const { return runs_[i]; }
  long long frames() const {
    long long n = 0;
    for (int i = 0; i < count_; ++i) n += runs_[i].count;
    return n;
  }
  FrameList::Outcome outcome() const { return outcome_; }

 private:
  bool add(const FrameRun& r) {
    if (count_ > 0) {
      FrameRun& l = runs_[count_ - 1];
      if (r.first <= l.last()) {
        sorted_ = false;
      } else if (r.first == l.last() + l.step && (r.count == 1 || r.step == l.step) &&
                 (l.count > 1 || r.step == 1)) {
        l.count += r.count;  // continues the run before
        return true;
      }
    }
    if (count_ >= FrameList::kMaxRanges) {
      outcome_ = FrameList::Outcome::kTooManyRanges;
      return false;
    }
    if (count_ == capacity_) {
      const int wanted =
          capacity_ < 16 ? 16
                         : (capacity_ > FrameList::kMaxRanges / 2 ? FrameList::kMaxRanges : 2 * capacity_);
      FrameRun* fresh = zxNewArray<FrameRun>(static_cast<size_t>(wanted));
      if (!fresh) {
        outcome_ = FrameList::Outcome::kStopped;
        return false;
      }
      if (count_ > 0) std::memcpy(fresh, runs_, sizeof(FrameRun) * static_cast<size_t>(count_));
      delete[] runs_;
      runs_ = fresh;
      capacity_ = wanted;
    }
    runs_[count_++] = r;
    return true;
  }

  FrameRun* runs_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
  bool sorted_ = true;
  FrameList::Outcome outcome_ = FrameList::Outcome::kComplete;
};

// Walks the chunks of sorted, disjoint runs as FrameList::chunk() walks
// frames, but a stretch of equally spaced frames is taken whole:
// emit.run(first, spacing, frames) for such a stretch (cut into chunks by
// the emitter) and emit.single(frame) for a frame in no stretch.
template <class Emit>
void walkChunks(const RunList& runs, Emit& emit) {
  struct Pos {
    int k;
    long long j;
  };
  const int n = runs.count();
  auto frame = [&runs](Pos p) { return runs.at(p.k).first + runs.at(p.k).step * p.j; };
  auto next = [&runs](Pos p) { return p.j + 1 < runs.at(p.k).count ? Pos{p.k, p.j + 1} : Pos{p.k + 1, 0}; };
  Pos p{0, 0};
  while (p.k < n) {
    const Pos p1 = next(p);
    if (p1.k < n) {
      const Pos p2 = next(p1);
      const long long d = frame(p1) - frame(p);
      if (p2.k < n && frame(p2) - frame(p1) == d) {
        // A stretch of spacing d: within a run of that step it runs to the
        // run's end, and on into the next run while the gap stays d.
        Pos e = p2;
        long long length = 3;
        for (;;) {
          const FrameRun& r = runs.at(e.k);
          if (e.j + 1 < r.count) {
            if (r.step != d) break;
            length += r.count - 1 - e.j;
            e.j = r.count - 1;
          }
          if (e.k + 1 >= n || runs.at(e.k + 1).first - frame(e) != d) break;
          e = Pos{e.k + 1, 0};
          ++length;
        }
        if (!emit.run(frame(p), d, length)) return;
        p = next(e);
        continue;
      }
    }
    if (!emit.single(frame(p))) return;
    p = p1;
  }
}

// Counts the chunks a walk gives.
struct ChunkCounter {
  long long size;
  long long chunks = 0;
  bool run(long long, long long, long long length) {
    chunks += (length - 1) / size + 1;
    return true;
  }
  bool single(long long) {
    ++chunks;
    return true;
  }
};

// Appends the chunks a walk gives, cut as FrameList::chunk() cuts a run:
// every `size` frames from the run's first, the last chunk to its end.
struct ChunkWriter {
  long long size;
  ZxBaseList<ZxString>& out;
  bool run(long long first, long long d, long long length) {
    const long long full = (length - 1) / size;
    for (long long m = 0; m < full; ++m)
      appendChunk(out, first + m * size * d, first + (m * size + size - 1) * d, d);
    appendChunk(out, first + full * size * d, first + (length - 1) * d, d);
    return !ZxOutOfMemory::noted();
  }
  bool single(long long f) {
    appendChunk(out, f, f, 1);
    return !ZxOutOfMemory::noted();
  }
};

}  // namespace

FrameList::Outcome FrameList::chunkRanges(const ZxString& text, int size, ZxBaseList<ZxString>& out) {
  if (size <= 0) return Outcome::kComplete;
  ZxOutOfMemory::Watch watch;
  RunList runs;
  int padWidth = 0;
  if (!readRangeItems(text, padWidth, runs)) return runs.outcome();
  if (!runs.normalise()) {
    // Overlapping stepped ranges: frame by frame, within the frame bound.
    if (runs.frames() > kMaxFrames) return Outcome::kTooManyFrames;
    FrameList frames;
    for (int i = 0; i < runs.count(); ++i)
      for (long long k = 0; k < runs.at(i).count; ++k)
        if (!frames.add(static_cast<int>(runs.at(i).first + runs.at(i).step * k))) return Outcome::kStopped;
    frames.chunk(size, out);
    return watch.failed() ? Outcome::kStopped : Outcome::kComplete;
  }
  const long long total = runs.frames();
  if (total == 0) return Outcome::kComplete;
  if (total <= 2) {
    // One or two frames: FrameList::chunk()'s own rules for them.
    FrameList frames;
    for (int i = 0; i < runs.count(); ++i)
      for (long long k = 0; k < runs.at(i).count; ++k)
        frames.add(static_cast<int>(runs.at(i).first + runs.at(i).step * k));
    frames.chunk(size, out);
    return watch.failed() ? Outcome::kStopped : Outcome::kComplete;
  }
  ChunkCounter counter{size};
  walkChunks(runs, counter);
  if (counter.chunks > kMaxChunks) return Outcome::kTooManyChunks;
  ChunkWriter writer{size, out};
  walkChunks(runs, writer);
  return watch.failed() ? Outcome::kStopped : Outcome::kComplete;
}
