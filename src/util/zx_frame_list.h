// FrameList: a list of frame numbers filled from range texts such as
// "1-100", "1-100x5", "1-10X3" or "1-10,20,30-40", the expansion of a range
// text or of file name patterns such as "shot.[0001-0100].exr" into one
// string per frame, and the chunking of the frames into range texts of a
// given number of frames (the work items of a job).
//
// Range grammar read by parse(): items separated by ","; an item is "a",
// "a-b", "a-bxs" (a towards b in steps of |s|, b only when reached exactly) or
// "a-bXs" (every frame from a to b that "a-bxs" would not give). A number is
// an optional "-" and decimal digits; blanks, tabs and line feeds may stand
// before every number and before "-", "x", "X" and ",". Reading stops at the
// first place the grammar is not met and keeps what was read.
//
// Ownership: the list owns its frame array. expand() and chunk() append new
// strings to the caller's list of strings (a ZxStringList), which owns them.
#pragma once

#include "util/zx_base.h"
#include "util/zx_string.h"
#include "util/zx_base_list.h"

class FrameList : public ZxBase {
 public:
  // The most frames one parse may produce. A range text that asks for more
  // ("1-2000000000") stops there as if the text ended. Every frame can
  // become a string of its own (a chunk of one frame, an expanded name) at
  // about a hundred bytes each, so the bound is what keeps a ten-byte text
  // within 64 MB of strings: 400,000 frames is more than four hours of film
  // at 24 frames a second, far more than one render job holds.
  static constexpr int kMaxFrames = 400000;
  // The most strings one expand() may append, and the most bytes of text
  // they may hold together. Name patterns can repeat a long name for every
  // frame of several ranges; these bounds keep one call within a few dozen
  // megabytes whatever the text asks for. A pure range text of kMaxFrames
  // frames stays well within both.
  static constexpr int kMaxExpandStrings = kMaxFrames;
  static constexpr long long kMaxExpandBytes = 32LL * 1024 * 1024;

  FrameList() = default;
  FrameList(const FrameList& other);
  FrameList& operator=(const FrameList& other);
  ~FrameList() override;

  int typeId() const override { return 89; }

  // Empties the list, then adds the frames of `text` and sets padWidth().
  void parse(const ZxString& text);
  // Appends one frame; false (and nothing changed) when the array cannot grow.
  bool add(int frame);
  // The frame at position i; 0 when out of range.
  int frameAt(int i) const { return (i < 0 || i >= count_) ? 0 : frames_[i]; }
  int count() const { return count_; }
  void clear() { count_ = 0; }
  // Digits of the first number of the last parsed range text, counted
  // without its sign (0 when that text did not begin with a number).
  int padWidth() const { return padWidth_; }

  // Sorts ascending and removes duplicates.
  void sortUnique();

  // True when `text` holds only blanks, tabs, line feeds, ",", "-", digits,
  // "x" and "X", holds at least one of the non-blank ones, and does not begin
  // with "x", "X" or ",".
  static bool isRangeText(const ZxString& text);

  // Appends one string per frame to `out`: the plain decimal frames of a pure
  // range text, or else the expansion of a ","-separated list of name
  // patterns, whose first "[range]" is replaced by each frame zero-filled to
  // the range's padWidth(). Stops once kMaxExpandStrings strings or
  // kMaxExpandBytes bytes have been appended. Leaves the list holding the
  // frames of the last range text it parsed.
  void expand(const ZxString& text, ZxBaseList<ZxString>& out);

  // The same with tighter bounds than kMaxExpandStrings and kMaxExpandBytes
  // (values above those are lowered to them).
  struct ExpandLimits {
    int strings;
    long long bytes;
  };
  void expand(const ZxString& text, ZxBaseList<ZxString>& out, const ExpandLimits& limits);

  // Receives the strings of an expansion one at a time, for callers that
  // turn each into something else and need not keep them all.
  class Sink {
   public:
    virtual ~Sink() = default;
    // One string; the bytes stay the caller's and are valid during the call
    // only. False stops the expansion.
    virtual bool take(const char* bytes, int n) = 0;
  };
  void expand(const ZxString& text, Sink& sink, const ExpandLimits& limits);

  // Sorts and de-duplicates the frames, then appends to `out` the range texts
  // of consecutive chunks of at most `size` frames. Nothing for a size of 0
  // or less or an empty list. Every chunk reads back with parse() to its
  // frames: two frames more than 2^31 - 1 apart, whose step no range text
  // can hold, become a chunk each.
  void chunk(int size, ZxBaseList<ZxString>& out);

 private:
  bool reserve(long long wanted);
  // add() within kMaxFrames; false once the parse has to stop.
  bool addLimited(long long frame);
  // Adds the frames of "a-b", "a-bxs" (except false) or "a-bXs" (except true).
  bool addRange(long long a, long long b, long long step, bool except);

  int* frames_ = nullptr;
  int count_ = 0;
  int padWidth_ = 0;
  int capacity_ = 0;
};
