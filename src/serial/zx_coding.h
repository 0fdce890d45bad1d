// Big-endian byte coding: the one place where 16- and 32-bit numbers are
// put into and taken out of byte arrays. Every wire and file number of the
// library is big-endian; callers check the room before calling.
#pragma once

#include <cstdint>

namespace zxcoding {

inline void putBE16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v >> 8);
  p[1] = static_cast<unsigned char>(v);
}

inline void putBE32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

inline uint16_t getBE16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline uint32_t getBE32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// Two's-complement reinterpretation without implementation-defined casts.
inline int32_t toSigned32(uint32_t v) {
  return v <= 0x7FFFFFFFu ? static_cast<int32_t>(v) : -static_cast<int32_t>(~v) - 1;
}
inline int16_t toSigned16(uint16_t v) {
  return v <= 0x7FFF ? static_cast<int16_t>(v)
                     : static_cast<int16_t>(-static_cast<int>(static_cast<uint16_t>(~v)) - 1);
}

}  // namespace zxcoding
