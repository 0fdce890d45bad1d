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
  // The most frames one parse may produce, and the most strings one
  // expand() or chunk list may hand on: every frame can become a string of
  // its own (a chunk of one frame, an expanded name) at about a hundred
  // bytes each, so the bound keeps a ten-byte text within 64 MB of strings.
  // 400,000 frames is more than four hours of film at 24 frames a second,
  // far more than one render job holds. A text that asks for more is not cut
  // short silently: parse() and expand() say so, and the commands fail.
  static constexpr int kMaxFrames = 400000;
  // The most strings one expand() may append, and the most bytes of text
  // they may hold together. Name patterns can repeat a long name for every
  // frame of several ranges; these bounds keep one call within a few dozen
  // megabytes whatever the text asks for. A pure range text of kMaxFrames
  // frames stays well within both.
  static constexpr int kMaxExpandStrings = kMaxFrames;
  static constexpr long long kMaxExpandBytes = 32LL * 1024 * 1024;
  // The most chunks one chunkRanges() answers (each is a string of its own),
  // and the most separate ranges it keeps while reading the text: items
  // that continue the one before ("1,2,3", "1-5,6-9") join it, so only
  // ranges with gaps between them count. Either bound is met long before
  // memory runs short, and a text that needs more fails instead of being cut.
  static constexpr int kMaxChunks = kMaxFrames;
  static constexpr int kMaxRanges = kMaxFrames;

  // How an expansion or a chunking ended.
  enum class Outcome {
    kComplete,        // everything the text asked for was handed on
    kTooManyFrames,   // a range asked for more than kMaxFrames frames
    kTooManyStrings,  // more strings than the limit
    kTooManyBytes,    // more bytes of text than the limit
    kTooManyRanges,   // more than kMaxRanges separate ranges
    kTooManyChunks,   // more than kMaxChunks chunks
    kStopped          // the sink refused a string, or memory ran out
  };

  FrameList() = default;
  FrameList(const FrameList& other);
  FrameList& operator=(const FrameList& other);
  ~FrameList() override;

  int typeId() const override { return 89; }

  // Empties the list, then adds the frames of `text` and sets padWidth().
  // False when the text asked for more than kMaxFrames frames (the list
  // then holds the first kMaxFrames, as if the text had ended there) or
  // memory ran out; reading that stops where the grammar is not met is not
  // a failure.
  bool parse(const ZxString& text);
  // Appends one frame; false (and nothing changed) when the array cannot grow.
  bool add(int frame);
  // The frame at position i; 0 when out of range.
  int frameAt(int i) const { return (i < 0 || i >= count_) ? 0 : frames_[i]; }
  int count() const { return count_; }
  void clear() { count_ = 0; }
  // Whether the last parse() stopped because memory ran out.
  bool ranOutOfMemory() const { return outOfMemory_; }
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
  // kMaxExpandBytes bytes have been appended, or a range asks for more than
  // kMaxFrames frames, and answers which it was. Leaves the list holding the
  // frames of the last range text it parsed.
  Outcome expand(const ZxString& text, ZxBaseList<ZxString>& out);

  // The same with tighter bounds than kMaxExpandStrings and kMaxExpandBytes
  // (values above those are lowered to them).
  struct ExpandLimits {
    int strings;
    long long bytes;
  };
  Outcome expand(const ZxString& text, ZxBaseList<ZxString>& out, const ExpandLimits& limits);

  // Receives the strings of an expansion one at a time, for callers that
  // turn each into something else and need not keep them all.
  class Sink {
   public:
    virtual ~Sink() = default;
    // One string; the bytes stay the caller's and are valid during the call
    // only. False stops the expansion.
    virtual bool take(const char* bytes, int n) = 0;
  };
  Outcome expand(const ZxString& text, Sink& sink, const ExpandLimits& limits);

  // Sorts and de-duplicates the frames, then appends to `out` the range texts
  // of consecutive chunks of at most `size` frames. Nothing for a size of 0
  // or less or an empty list. Every chunk reads back with parse() to its
  // frames: two frames more than 2^31 - 1 apart, whose step no range text
  // can hold, become a chunk each.
  void chunk(int size, ZxBaseList<ZxString>& out);

  // The chunks of the range text `text`, as parse() followed by chunk()
  // would give them, but worked out from the ranges themselves rather than
  // from every frame: the cost follows the chunks answered and the items of
  // the text, not the frames, so "1-1000000" by 10 costs its 100,000 chunks
  // and no more. Appends nothing and answers kTooManyChunks when the answer
  // would have more than kMaxChunks chunks, kTooManyRanges or
  // kTooManyFrames when the text is too large to be worked out (more than
  // kMaxRanges separate ranges; overlapping stepped ranges with more than
  // kMaxFrames frames), kStopped when memory ran out (what was appended
  // is then incomplete).
  static Outcome chunkRanges(const ZxString& text, int size, ZxBaseList<ZxString>& out);

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
  bool cut_ = false;          // the last parse stopped at kMaxFrames or ran out of memory
  bool outOfMemory_ = false;  // ... and it was memory
};
