// Round-trip and damage checks shared by the record tests: binary and text
// round trips compared byte for byte, and every truncated prefix of a
// record's binary form decoded into a fresh record.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/zx_pack.h"

namespace zxtest {

inline std::string packed(ZxPack& record) {
  int n = record.pack();
  return std::string(record.buffer(), static_cast<size_t>(n));
}

inline std::string text(ZxPack& record) { return std::string(record.toText()); }

// The text file form: the stored text wrapped in one root element.
inline int readText(ZxPack& record, const std::string& stored) {
  std::string wrapped = "<pack>\n" + stored + "\n</pack>";
  return record.fromText(wrapped.data(), static_cast<int>(wrapped.size()));
}

// Packs `record`, unpacks the bytes into `fresh` and expects `fresh` to pack
// to the same bytes.
template <class T>
void expectBinaryRoundTrip(T& record, T& fresh) {
  std::string bytes = packed(record);
  ASSERT_EQ(fresh.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(packed(fresh), bytes);
}

template <class T>
void expectTextRoundTrip(T& record, T& fresh) {
  std::string stored = text(record);
  ASSERT_EQ(readText(fresh, stored), ZxPack::kOk) << stored;
  EXPECT_EQ(text(fresh), stored);
}

// Every proper prefix of the binary form decodes without harm into a fresh
// record (the sanitizers watch the reads); the full form reads back whole.
template <class T>
void expectPrefixesDecode(T& record) {
  std::string bytes = packed(record);
  for (size_t n = 0; n < bytes.size(); ++n) {
    // A heap copy of exactly n bytes, so that a read past the end is caught.
    std::vector<char> prefix(bytes.begin(), bytes.begin() + static_cast<long>(n));
    T fresh;
    fresh.unpack(prefix.data(), static_cast<int>(n));
  }
  T whole;
  ASSERT_EQ(whole.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(packed(whole), bytes);
}

}  // namespace zxtest
