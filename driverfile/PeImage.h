// Reading a PE image held in memory: little-endian fields and the standard
// PE image checksum. Fields are read byte by byte, so any buffer is safe.
#pragma once

#include <cstddef>
#include <cstdint>

inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void WriteLe16(uint8_t* p, uint16_t w) {
    p[0] = static_cast<uint8_t>(w);
    p[1] = static_cast<uint8_t>(w >> 8);
}

inline void WriteLe32(uint8_t* p, uint32_t dw) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(dw >> (8 * i));
}

/// Finds the CheckSum field of the optional header (PE32 or PE32+) through
/// the DOS and PE headers. False when the image has no such header, or it
/// lies outside the image.
bool FindChecksumField(const uint8_t* pImage, size_t cbImage, size_t& nOffset);

/// The standard PE image checksum: the image summed as 16-bit little-endian
/// words with the carry folded back after each addition, the CheckSum field
/// counted as zero (when the image has one), folded to 16 bits, plus the
/// length. An odd last byte counts as a word of its own.
uint32_t ComputeImageChecksum(const uint8_t* pImage, size_t cbImage);
