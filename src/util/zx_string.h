// ZxString: the library's 8-bit byte string with an explicit length and a
// terminating NUL. It knows nothing of encodings; bytes may include NUL
// inside the used length, but c_str() users and the strcmp-based comparisons
// stop at the first NUL.
//
// Representation: `data_` is null until something is stored; c_str() then
// answers the address of an always-zero byte, so it is never null. Once a
// buffer exists, data_[length_] is 0, length_ + 1 <= size_, and size_ >= 16.
//
// Growth rule: a buffer that is too small is replaced by one of
// max(16, 4 * needed + 4) bytes (max(16, 4 * length + 8) when one character
// is appended), so repeated appends cost amortised constant time per byte.
// clear() keeps the buffer. A string never grows past INT_MAX bytes; an
// append or assignment that would, or whose allocation fails, changes nothing.
//
// Secure strings (setSecure(true)) overwrite every buffer they give up with
// zero bytes over its full capacity before releasing it.
#pragma once

#include <ostream>

#include "util/zx_base.h"

class ZxString : public ZxBase {
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
  void clear();
  int length() const { return length_; }
  bool isEmpty() const { return length_ == 0; }
  int capacity() const { return size_; }
  const char* c_str() const { return data_ ? data_ : &empty_; }
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
  bool operator==(const char* s) const { return *this == ZxString(s); }
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
  ZxString& copyIn(const char* bytes, int n);  // n >= 0; buffer replaced if too small
  bool reserveKeep(long long needed, long long newSize);  // grow, old content kept

  char* data_ = nullptr;
  int length_ = 0;
  char empty_ = 0;
  int size_ = 0;
  bool secure_ = false;
};

std::ostream& operator<<(std::ostream& os, const ZxString& s);
