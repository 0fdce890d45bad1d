// The round-trip check shared by the targets of encoded records: what
// pack() (or toText()) writes for an object read from arbitrary bytes, read
// into a fresh object and written again, gives the same bytes.
#pragma once

#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "serial/zx_pack.h"

namespace zxfuzz {

inline std::string packed(ZxPack& object) {
  int n = object.pack();
  return n > 0 ? std::string(object.buffer(), static_cast<size_t>(n)) : std::string();
}

inline std::string texted(ZxPack& object) {
  const char* text = object.toText();
  return std::string(text, static_cast<size_t>(object.used()));
}

// Reads `data` into a fresh T with unpack(); when it reads, pack() of it
// must be a fixed point.
template <class T>
void checkBinary(const uint8_t* data, size_t size) {
  T first;
  first.unpack(data, static_cast<int>(size));
  std::string bytes = packed(first);
  if (bytes.empty()) return;  // out of memory
  T second;
  ZX_FUZZ_CHECK(second.unpack(bytes.data(), static_cast<int>(bytes.size())) == ZxPack::kOk);
  ZX_FUZZ_CHECK(packed(second) == bytes);
}

// The same for the text form: fromText() of arbitrary text, then toText()
// must be a fixed point.
template <class T>
void checkText(const uint8_t* data, size_t size) {
  T first;
  first.fromText(reinterpret_cast<const char*>(data), static_cast<int>(size));
  std::string text = texted(first);
  if (text.empty()) return;
  // toText() writes the version and the object side by side; the reader
  // takes one root, so the text is wrapped as the text file reader does.
  std::string wrapped = "<pack>\n" + text + "\n</pack>";
  T second;
  ZX_FUZZ_CHECK(second.fromText(wrapped.data(), static_cast<int>(wrapped.size())) == ZxPack::kOk);
  ZX_FUZZ_CHECK(texted(second) == text);
}

}  // namespace zxfuzz
