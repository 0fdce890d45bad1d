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

// The ids of the top-level fields of a packed record, in order (the
// version word skipped, every payload stepped over by its type code).
inline std::vector<int> fieldIds(const std::string& bytes) {
  auto byte = [&](size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])); };
  auto be32 = [&](size_t at) {
    return static_cast<size_t>(byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3));
  };
  std::vector<int> ids;
  size_t pos = 4;
  while (pos + 4 <= bytes.size()) {
    ids.push_back(static_cast<int>(byte(pos) << 8 | byte(pos + 1)));
    unsigned type = byte(pos + 2) << 8 | byte(pos + 3);
    pos += 4;
    if (type == ZxPack::kTypeInt)
      pos += 4;
    else if (type == ZxPack::kTypeString)
      pos += 4 + be32(pos);
    else if (type == ZxPack::kTypeObject)
      pos += 8 + be32(pos + 4);
    else
      pos += 1;  // char, flag
  }
  return ids;
}

}  // namespace zxtest
