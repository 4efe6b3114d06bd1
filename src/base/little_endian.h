// Little-endian encoding and decoding of fixed-width fields.
//
// Both map files store every multi-byte integer and float little-endian and
// packed, so fields are decoded from bytes that were read in one block rather
// than by casting structs. These helpers give the same result on any host.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace mapjass {

inline uint16_t decodeUint16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline int16_t decodeInt16(const uint8_t* p) {
  return static_cast<int16_t>(decodeUint16(p));
}

inline uint32_t decodeUint32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline int32_t decodeInt32(const uint8_t* p) {
  return static_cast<int32_t>(decodeUint32(p));
}

// Floats are kept as their raw bits wherever they are only carried, so that
// NaN payloads and negative zero survive a round trip untouched.
inline float floatFromBits(uint32_t bits) {
  return std::bit_cast<float>(bits);
}

inline void encodeUint32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

inline void encodeInt32(uint8_t* p, int32_t v) {
  encodeUint32(p, static_cast<uint32_t>(v));
}

}  // namespace mapjass
