// Helpers shared by the fuzz targets: a property check that stops the run
// where libFuzzer sees it, byte-exact comparison of strings (ZxString's own
// operators stop at the first NUL), and the cutting of an input into words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "util/zx_string.h"
#include "model/zx_string_list.h"

// Stops the process when a property does not hold: libFuzzer reports the
// input as a crash, the replay programs fail.
#define ZX_FUZZ_CHECK(cond)                                                              \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "property failed at %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      __builtin_trap();                                                                  \
    }                                                                                    \
  } while (0)

namespace zxfuzz {

inline ZxString text(const uint8_t* data, size_t size) {
  // Inputs past INT_MAX bytes cannot be a ZxString; libFuzzer never makes them.
  int n = size > 0x7FFFFFF0u ? 0x7FFFFFF0 : static_cast<int>(size);
  return ZxString(reinterpret_cast<const char*>(data), n);
}

inline bool same(const ZxString& a, const ZxString& b) {
  return a.length() == b.length() &&
         (a.length() == 0 || std::memcmp(a.c_str(), b.c_str(), static_cast<size_t>(a.length())) == 0);
}

inline bool same(const ZxString& a, const char* bytes, int n) {
  return a.length() == n && (n == 0 || std::memcmp(a.c_str(), bytes, static_cast<size_t>(n)) == 0);
}

// Byte-exact equality of two lists.
inline bool same(const ZxStringList& a, const ZxStringList& b) {
  if (a.count() != b.count()) return false;
  for (int i = 0; i < a.count(); ++i)
    if (!same(*a.get(i), *b.get(i))) return false;
  return true;
}

// Cuts the input at every NUL or line feed into words (empty words kept).
inline void words(const uint8_t* data, size_t size, ZxStringList& out) {
  const char* p = reinterpret_cast<const char*>(data);
  size_t start = 0;
  for (size_t i = 0; i <= size; ++i) {
    if (i < size && p[i] != '\0' && p[i] != '\n') continue;
    out.add(ZxString(p + start, static_cast<int>(i - start)));
    start = i + 1;
  }
}

}  // namespace zxfuzz
