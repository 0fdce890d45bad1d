// ZxString: the library's 8-bit byte string with an explicit length and a
// terminating NUL. It knows nothing of encodings; bytes may include NUL
// inside the used length, but c_str() users and the strcmp-based comparisons
// stop at the first NUL.
//
// Representation: `data_` is null until something is stored; c_str() then
// answers the address of an always-zero byte, so it is never null. Once a
// buffer exists, data_[length_] is 0, length_ + 1 <= size_, and size_ >= 16.
// The first buffer of 16 bytes lives inside the object itself, so short
// texts (up to 15 bytes) cost no heap allocation; larger buffers come from
// the heap.
//
// Growth rule: a buffer that is too small is replaced by one of
// max(16, 4 * needed + 4) bytes (max(16, 4 * length + 8) when one character
// is appended), so repeated appends cost amortised constant time per byte.
// Past 1 MiB the new buffer is only half again the needed size
// (needed * 3 / 2 + 4), so that a large text never asks for four times its
// size; appends stay amortised constant per byte. An assignment of more than
// 1 MiB gets a buffer that fits the text (it is almost always final). assignFitted() (used by
// the decoders, which know the final length) sizes a new buffer to fit
// instead. clear() keeps the buffer. A string never grows past INT_MAX
// bytes; an append or assignment that would, or whose allocation fails,
// changes nothing and notes the failure (util/zx_out_of_memory.h), so the
// operation that wanted the text can tell that it is incomplete.
//
// Secure strings (setSecure(true)) overwrite every buffer they give up with
// zero bytes over its full capacity before releasing it.
#pragma once

#include <cstring>
#include <ostream>

#include "util/zx_base.h"

class ZxString : public ZxBase {
  static constexpr int kInlineSize = 16;

 public:
  ZxString() = default;
  ZxString(const char* text);  // NOLINT: implicit, used like a literal everywhere
  ZxString(const char* bytes, int n);
  ZxString(const ZxString& other);
  ZxString(ZxString&& other) noexcept;
  explicit ZxString(int value);
  explicit ZxString(float value);
  ~ZxString() override;

  int typeId() const override { return 72; }
  // Copy assignment: takes over the source's secure flag, then its bytes.
  virtual ZxString& assign(const ZxString& other);

  ZxString& operator=(const ZxString& other) { return assign(other); }
  ZxString& operator=(ZxString&& other) noexcept;
  ZxString& operator=(const char* text) { return assign(text); }

  // Assignment and content.
  ZxString& assign(const char* text);
  ZxString& assign(const char* bytes, int n);
  ZxString& assign(int value);
  ZxString& assign(float value);
  // As assign(bytes, n), but a buffer that must be replaced is sized to fit
  // (max(16, n + 1) bytes) rather than grown by the growth rule.
  ZxString& assignFitted(const char* bytes, int n) {
    // A short text into a string that holds no buffer yet (a decoder's
    // fresh item) goes straight into the inline buffer.
    if (!data_ && bytes && n > 0 && n < kInlineSize) {
      std::memcpy(inline_, bytes, static_cast<size_t>(n));
      inline_[n] = 0;
      data_ = inline_;
      length_ = n;
      size_ = kInlineSize;
      return *this;
    }
    return assignFittedSlow(bytes, n);
  }
  void clear();
  // Makes room for n bytes (and the NUL) without changing the content, in a
  // buffer of exactly that size when it must grow; false (noted) when memory
  // runs out. For readers that know the final length.
  bool reserve(int n);
  int length() const { return length_; }
  bool isEmpty() const { return length_ == 0; }
  int capacity() const { return size_; }
  const char* c_str() const { return data_ ? data_ : inline_; }
  // c_str() always has at least this many readable bytes (every buffer,
  // the inline one included, is at least this large), so short copies may
  // move a fixed block.
  static constexpr int kReadableBytes = kInlineSize;
  char charAt(int i) const { return (i < 0 || i >= length_) ? 0 : data_[i]; }
  void setCharAt(int i, char c) {
    if (i >= 0 && i < length_) data_[i] = c;
  }
  // A new[]-allocated NUL-terminated copy, released by the caller with delete[].
  char* duplicate() const;
  void setSecure(bool flag) { secure_ = flag; }
  bool isSecure() const { return secure_; }

  // Appending; each returns the string itself so that calls chain.
  ZxString& append(const char* bytes, int n);
  ZxString& append(const char* text);
  ZxString& append(const ZxString& other);
  ZxString& append(char c);
  ZxString& appendInt(int v);
  ZxString& appendFloat(float v);
  ZxString& appendPadded(int v, int width);
  ZxString& appendPadded(int v, int width, char pad);
  ZxString& appendHexByte(int b);

  // Conversions and tests.
  int toInt() const;
  float toFloat() const;
  unsigned int hexValue() const;
  unsigned int hexByte() const;
  bool isInteger() const;
  bool isNumber() const;
  bool contains(char c) const;
  bool contains(const ZxString& s) const;
  bool hasLineBreak() const;
  bool hasWhitespace() const;
  ZxString replaceAll(const ZxString& from, const ZxString& to) const;
  ZxString printable() const;

  // Comparisons.
  bool operator==(const ZxString& s) const;
  bool operator!=(const ZxString& s) const { return !(*this == s); }
  // As == with ZxString(s), without building one (table lookups compare
  // against many literals).
  bool operator==(const char* s) const;
  bool operator!=(const char* s) const { return !(*this == s); }
  // mode 0: exact (strcmp); mode 1: ASCII case ignored over all bytes; else false.
  bool equals(const ZxString& s, int mode) const;
  bool operator<(const ZxString& s) const;
  bool operator>(const ZxString& s) const { return !(*this < s) && !(*this == s); }
  bool operator<=(const ZxString& s) const { return *this < s || *this == s; }
  bool operator>=(const ZxString& s) const { return !(*this < s); }
  int compare(const ZxString& s) const;

  // Test hook: when set, called with every buffer the string releases, just
  // before it is released (after the secure wipe).
  using ReleaseObserver = void (*)(const char* buffer, int size);
  static void setReleaseObserver(ReleaseObserver observer);

 private:
  void release();
  ZxString& assignFittedSlow(const char* bytes, int n);
  // Stores n >= 0 bytes; a buffer that is too small is replaced by one of
  // newSize bytes.
  ZxString& copyIn(const char* bytes, int n, long long newSize);
  bool reserveKeep(long long needed, long long newSize);  // grow, old content kept
  // A buffer of `size` bytes: the inline one when it is free and fits.
  char* allocate(long long size);
  void takeFrom(ZxString& other) noexcept;

  char* data_ = nullptr;
  int length_ = 0;
  int size_ = 0;
  bool secure_ = false;
  // The inline buffer. While data_ is null its first byte is the always-zero
  // byte that c_str() answers.
  char inline_[kInlineSize] = {};
};

std::ostream& operator<<(std::ostream& os, const ZxString& s);
