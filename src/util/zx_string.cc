// ZxString: representation, growth, wiping and the text operations.
#include "util/zx_string.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "util/zx_out_of_memory.h"

namespace {
ZxString::ReleaseObserver g_releaseObserver = nullptr;

// Overwrites a buffer in a way the compiler may not remove.
void wipe(char* p, int n) {
  volatile char* v = p;
  for (int i = 0; i < n; ++i) v[i] = 0;
}

// Strings up to this length grow fourfold; longer ones by half again, so
// that a string of hundreds of megabytes does not ask for four times that
// (the copying stays amortised constant per byte either way).
constexpr long long kLargeString = 1LL << 20;

// max(16, 4 * needed + extra) for strings up to kLargeString,
// needed * 3 / 2 + extra beyond; capped at INT_MAX.
long long grownSize(long long needed, long long extra) {
  long long s = needed <= kLargeString ? 4 * needed + extra : needed + needed / 2 + extra;
  if (s < 16) s = 16;
  if (s > INT_MAX) s = INT_MAX;
  return s;
}

// A buffer for an assigned text of `n` bytes: the growth rule for short
// texts; past kLargeString exactly the text and its NUL, since an assigned
// text of that size is almost always final (a decoded field, a copy).
long long assignedSize(long long n) { return n <= kLargeString ? grownSize(n, 4) : n + 1; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

void ZxString::setReleaseObserver(ReleaseObserver observer) { g_releaseObserver = observer; }

ZxString::ZxString(const char* text) { assign(text); }
ZxString::ZxString(const char* bytes, int n) { assign(bytes, n); }
ZxString::ZxString(const ZxString& other) { assign(other); }
ZxString::ZxString(ZxString&& other) noexcept { takeFrom(other); }
ZxString::ZxString(int value) { appendInt(value); }
ZxString::ZxString(float value) { appendFloat(value); }
ZxString::~ZxString() { release(); }

ZxString& ZxString::operator=(ZxString&& other) noexcept {
  if (this == &other) return *this;
  release();
  takeFrom(other);
  return *this;
}

// Takes over `other`'s bytes (copying them when they sit in its inline
// buffer) and leaves it empty. This string holds no buffer on entry.
void ZxString::takeFrom(ZxString& other) noexcept {
  secure_ = other.secure_;
  if (!other.data_) return;
  if (other.data_ == other.inline_) {
    std::memcpy(inline_, other.inline_, kInlineSize);
    data_ = inline_;
    size_ = kInlineSize;
    length_ = other.length_;
    other.release();
    return;
  }
  data_ = other.data_;
  length_ = other.length_;
  size_ = other.size_;
  other.data_ = nullptr;
  other.length_ = 0;
  other.size_ = 0;
}

char* ZxString::allocate(long long size) {
  if (size <= kInlineSize && data_ != inline_) return inline_;
  if (size < kInlineSize) size = kInlineSize;
  char* fresh = new (std::nothrow) char[static_cast<size_t>(size)];
  if (!fresh) ZxOutOfMemory::note();
  return fresh;
}

void ZxString::release() {
  if (!data_) return;
  if (secure_) wipe(data_, size_);
  if (g_releaseObserver) g_releaseObserver(data_, size_);
  if (data_ != inline_) delete[] data_;
  data_ = nullptr;
  size_ = 0;
  length_ = 0;
  inline_[0] = 0;
}

bool ZxString::reserveKeep(long long needed, long long newSize) {
  if (size_ >= needed + 1) return true;
  if (needed + 1 > INT_MAX || newSize < needed + 1) {
    ZxOutOfMemory::note();  // more than a string can hold
    return false;
  }
  char* fresh = allocate(newSize);
  if (!fresh) return false;
  if (data_)
    std::memcpy(fresh, data_, static_cast<size_t>(length_) + 1);
  else
    fresh[0] = 0;
  int keptLength = length_;
  release();
  data_ = fresh;
  size_ = fresh == inline_ ? kInlineSize : static_cast<int>(newSize < kInlineSize ? kInlineSize : newSize);
  length_ = keptLength;
  return true;
}

ZxString& ZxString::assign(const char* text) {
  if (!text || (data_ && text == data_)) return *this;
  size_t n = std::strlen(text);
  if (n >= static_cast<size_t>(INT_MAX)) {
    ZxOutOfMemory::note();
    return *this;
  }
  // Unlike assign(bytes, 0), an empty text still makes sure a buffer exists.
  return copyIn(text, static_cast<int>(n), assignedSize(static_cast<long long>(n)));
}

ZxString& ZxString::assign(const char* bytes, int n) {
  if (!bytes || (data_ && bytes == data_)) return *this;
  if (n <= 0) {
    clear();
    return *this;
  }
  return copyIn(bytes, n, assignedSize(n));
}

ZxString& ZxString::assignFittedSlow(const char* bytes, int n) {
  if (!bytes || (data_ && bytes == data_)) return *this;
  if (n <= 0) {
    clear();
    return *this;
  }
  return copyIn(bytes, n, static_cast<long long>(n) + 1);
}

ZxString& ZxString::copyIn(const char* bytes, int n, long long newSize) {
  // The source may lie inside our own buffer: copy before releasing it.
  if (size_ < n + 1) {
    if (newSize < static_cast<long long>(n) + 1 || newSize > INT_MAX) {
      ZxOutOfMemory::note();
      return *this;
    }
    char* fresh = allocate(newSize);
    if (!fresh) return *this;
    if (n > 0) std::memmove(fresh, bytes, static_cast<size_t>(n));
    bool isInline = fresh == inline_;
    release();
    data_ = fresh;
    size_ = isInline ? kInlineSize : static_cast<int>(newSize < kInlineSize ? kInlineSize : newSize);
  } else if (n > 0) {
    std::memmove(data_, bytes, static_cast<size_t>(n));
  }
  data_[n] = 0;
  length_ = n;
  return *this;
}

ZxString& ZxString::assign(const ZxString& other) {
  if (this == &other) return *this;
  secure_ = other.secure_;
  if (other.length_ == 0) {
    clear();
    return *this;
  }
  return assign(other.data_, other.length_);
}

ZxString& ZxString::assign(int value) {
  clear();
  return appendInt(value);
}

ZxString& ZxString::assign(float value) {
  clear();
  return appendFloat(value);
}

bool ZxString::reserve(int n) {
  if (n < 0) return false;
  return reserveKeep(n, static_cast<long long>(n) + 1);
}

void ZxString::clear() {
  if (!data_) return;
  length_ = 0;
  data_[0] = 0;
}

char* ZxString::duplicate() const {
  char* copy = new (std::nothrow) char[static_cast<size_t>(length_) + 1];
  if (!copy) {
    ZxOutOfMemory::note();
    return nullptr;
  }
  if (length_ > 0) std::memcpy(copy, data_, static_cast<size_t>(length_));
  copy[length_] = 0;
  return copy;
}

ZxString& ZxString::append(const char* bytes, int n) {
  if (!bytes || n <= 0) return *this;
  long long needed = static_cast<long long>(length_) + n;
  if (needed + 1 > INT_MAX) {
    ZxOutOfMemory::note();
    return *this;
  }
  // The source may lie inside our own buffer, which growth releases.
  if (size_ < needed + 1 && data_ && bytes >= data_ && bytes < data_ + size_) {
    ZxString copy(bytes, n);
    return append(copy.data_, n);
  }
  if (!reserveKeep(needed, grownSize(needed, 4))) return *this;
  std::memmove(data_ + length_, bytes, static_cast<size_t>(n));
  length_ = static_cast<int>(needed);
  data_[length_] = 0;
  return *this;
}

ZxString& ZxString::append(const char* text) {
  if (!text) return *this;
  size_t n = std::strlen(text);
  if (n >= static_cast<size_t>(INT_MAX)) {
    ZxOutOfMemory::note();
    return *this;
  }
  return append(text, static_cast<int>(n));
}

ZxString& ZxString::append(const ZxString& other) {
  if (other.length_ == 0) return *this;
  return append(other.data_, other.length_);
}

ZxString& ZxString::append(char c) {
  long long needed = static_cast<long long>(length_) + 1;
  if (!reserveKeep(needed, grownSize(length_, 8))) return *this;
  data_[length_++] = c;
  data_[length_] = 0;
  return *this;
}

ZxString& ZxString::appendInt(int v) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%d", v);
  return append(buf, n);
}

ZxString& ZxString::appendFloat(float v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%f", static_cast<double>(v));
  if (n < 0) return *this;
  return append(buf, n < static_cast<int>(sizeof buf) ? n : static_cast<int>(sizeof buf) - 1);
}

ZxString& ZxString::appendPadded(int v, int width) {
  // printf's own rule: zeros fill to at least `width`, the sign goes first.
  // The width is capped so that a hostile width cannot ask for gigabytes.
  if (width > 4096) width = 4096;
  char buf[4112];
  int n = std::snprintf(buf, sizeof buf, "%0*d", width < 0 ? 0 : width, v);
  if (n < 0) return *this;
  return append(buf, n < static_cast<int>(sizeof buf) ? n : static_cast<int>(sizeof buf) - 1);
}

ZxString& ZxString::appendPadded(int v, int width, char pad) {
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%d", v);
  for (int i = n; i < width; ++i) append(pad);
  return append(buf, n);
}

ZxString& ZxString::appendHexByte(int b) {
  static const char kDigits[] = "0123456789ABCDEF";
  char buf[2] = {kDigits[(b >> 4) & 0xF], kDigits[b & 0xF]};
  return append(buf, 2);
}

int ZxString::toInt() const {
  if (length_ == 0) return 0;
  // As atoi, but a number beyond the int range gives INT_MAX or INT_MIN
  // instead of wrapping around to a number of the other sign.
  long long v = std::strtoll(data_, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

float ZxString::toFloat() const {
  if (length_ == 0) return 0.0f;
  return static_cast<float>(std::atof(data_));
}

namespace {
unsigned int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned int>(c - 'a' + 10);
  return 0;
}
}  // namespace

unsigned int ZxString::hexValue() const {
  unsigned int v = 0;
  for (int i = 0; i < length_; ++i) v = (v << 4) + hexDigitValue(data_[i]);
  return v;
}

unsigned int ZxString::hexByte() const {
  unsigned int v = 0;
  for (int i = 0; i < length_ && i < 2; ++i) v = (v << 4) + hexDigitValue(data_[i]);
  return v;
}

bool ZxString::isInteger() const {
  if (length_ == 0) return false;
  if (!isDigit(data_[0]) && data_[0] != '-') return false;
  for (int i = 1; i < length_; ++i)
    if (!isDigit(data_[i])) return false;
  return true;
}

bool ZxString::isNumber() const {
  if (length_ == 0) return false;
  char c = data_[0];
  if (!isDigit(c) && c != '-' && c != '+' && c != '.') return false;
  int dots = c == '.' ? 1 : 0;
  for (int i = 1; i < length_; ++i) {
    if (data_[i] == '.') {
      if (++dots > 1) return false;
    } else if (!isDigit(data_[i])) {
      return false;
    }
  }
  return true;
}

bool ZxString::contains(char c) const {
  return length_ > 0 && std::memchr(data_, c, static_cast<size_t>(length_)) != nullptr;
}

bool ZxString::contains(const ZxString& s) const {
  if (s.length_ == 0) return true;
  if (s.length_ > length_) return false;
  // Candidates are found with memchr on the first byte and checked with
  // memcmp from the second on (memmem is not on every platform). A
  // candidate that fails is passed by one byte; the scans stay short for
  // the texts the library searches (names, paths, list items).
  const char first = s.data_[0];
  const size_t rest = static_cast<size_t>(s.length_) - 1;
  const char* p = data_;
  const char* last = data_ + (length_ - s.length_);  // the last place a match can start
  while (p <= last) {
    p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
    if (!p) return false;
    if (std::memcmp(p + 1, s.data_ + 1, rest) == 0) return true;
    ++p;
  }
  return false;
}

bool ZxString::hasLineBreak() const { return contains('\r') || contains('\n'); }

bool ZxString::hasWhitespace() const { return contains(' ') || contains('\t') || hasLineBreak(); }

ZxString ZxString::replaceAll(const ZxString& from, const ZxString& to) const {
  if (from.length_ == 0 || length_ == 0) return *this;
  ZxString out;
  int i = 0;
  while (i < length_) {
    if (i + from.length_ <= length_ &&
        std::memcmp(data_ + i, from.data_, static_cast<size_t>(from.length_)) == 0) {
      out.append(to);
      i += from.length_;
    } else {
      // Copy the run up to the next possible match start in one piece.
      int j = i + 1;
      while (j < length_ && data_[j] != from.data_[0]) ++j;
      out.append(data_ + i, j - i);
      i = j;
    }
  }
  return out;
}

ZxString ZxString::printable() const {
  ZxString out;
  for (int i = 0; i < length_; ++i) {
    unsigned char c = static_cast<unsigned char>(data_[i]);
    if ((c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\r' || c == '\n') out.append(static_cast<char>(c));
  }
  return out;
}

bool ZxString::operator==(const ZxString& s) const {
  if (length_ != s.length_) return false;
  if (length_ == 0) return true;
  return std::strcmp(data_, s.data_) == 0;
}

bool ZxString::operator==(const char* s) const {
  size_t n = s ? std::strlen(s) : 0;
  if (n != static_cast<size_t>(length_)) return false;
  if (n == 0) return true;
  return std::strcmp(data_, s) == 0;
}

bool ZxString::equals(const ZxString& s, int mode) const {
  if (length_ != s.length_) return false;
  if (length_ == 0) return true;
  if (mode == 0) return std::strcmp(data_, s.data_) == 0;
  if (mode != 1) return false;
  for (int i = 0; i < length_; ++i) {
    unsigned char a = static_cast<unsigned char>(data_[i]);
    unsigned char b = static_cast<unsigned char>(s.data_[i]);
    if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

bool ZxString::operator<(const ZxString& s) const {
  if (length_ == 0) return s.length_ != 0;
  if (s.length_ == 0) return false;
  return std::strcmp(data_, s.data_) < 0;
}

int ZxString::compare(const ZxString& s) const {
  if (length_ == 0 && s.length_ == 0) return 0;
  if (s.length_ == 0) return 1;
  if (length_ == 0) return -1;
  int c = std::strcmp(data_, s.data_);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::ostream& operator<<(std::ostream& os, const ZxString& s) { return os << s.c_str(); }
