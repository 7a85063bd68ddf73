// Byte-level view of the STEP 5 driver file for the end-to-end tests: the
// standard PE checksum, computed here independently of the tool, and the
// device-name slots read back from what the tool wrote. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

constexpr size_t kDriverFileSize = 15360;
constexpr size_t kChecksumOffset = 216;
constexpr size_t kFirstTableOffset = 12328;
constexpr size_t kSecondTableOffset = 12456;
constexpr size_t kSlotSize = 32;
constexpr size_t kSlotCount = 4;

/// The four names an unpatched driver file holds for COM 1 to COM 4.
extern const char* const kDefaultDeviceNames[kSlotCount];

uint32_t ReadLe32(const std::vector<uint8_t>& image, size_t offset);
uint16_t ReadLe16(const std::vector<uint8_t>& image, size_t offset);

/// The standard PE image checksum of an image whose CheckSum field lies at
/// checksumOffset: 16-bit word sum with folding, the field counted as zero,
/// plus the length.
uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, size_t checksumOffset);

/// The 32 raw bytes of slot k of the table copy at tableOffset.
std::vector<uint8_t> SlotBytes(const std::vector<uint8_t>& image, size_t tableOffset, size_t k);

/// What a slot must hold after the tool wrote pszName into it: the ASCII name
/// widened to UTF-16LE, cut to 16 units, zero units after it.
std::vector<uint8_t> ExpectedSlotBytes(const char* pszName);

/// Whether offset lies in bytes the tool may change when it patches: the
/// CheckSum field and the two table copies.
bool IsPatchableByte(size_t offset);

}  // namespace e2e
