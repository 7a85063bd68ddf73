// Synthetic STEP 5 driver images for tests: a valid 15360-byte PE32 image
// (a native driver with a code and a data section) whose PE header starts at
// offset 128, so its CheckSum field is at offset 216, with a chosen value in
// that field and chosen names in the two copies of the device-name table.
// The bytes of the sections are a seeded pattern, never zero, so that a test
// notices any byte that changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// The default device names of COM 1 to COM 4.
extern const char16_t* const g_apszDefaultDeviceNames[4];

struct SDriverImageOptions {
    /// Stored in the CheckSum field; 0x13385 is one of the known versions.
    uint32_t dwChecksumField = 0x13385;
    /// When set, the field holds the image's true PE checksum instead.
    bool bTrueChecksum = false;
    /// Names of the first and the second table copy, COM 1 to COM 4. A name
    /// of 16 units fills its slot; longer ones are cut to 16.
    std::u16string astrFirstCopy[4] = {u"\\Device\\Serial0", u"\\Device\\Serial1", u"\\Device\\Serial2",
                                       u"\\Device\\Serial3"};
    std::u16string astrSecondCopy[4] = {u"\\Device\\Serial0", u"\\Device\\Serial1", u"\\Device\\Serial2",
                                        u"\\Device\\Serial3"};
    /// Seed of the pattern in the sections.
    uint32_t dwSeed = 1;
};

/// Builds the image.
std::vector<uint8_t> MakeDriverImage(const SDriverImageOptions& options = SDriverImageOptions());

/// Writes a name into the slot at `nOffset`: its units, then zero units.
void PutSlotName(std::vector<uint8_t>& image, size_t nOffset, const std::u16string& strName);

/// The 16 units of the slot at `nOffset`, zero units included.
std::u16string SlotUnits(const std::vector<uint8_t>& image, size_t nOffset);

/// The slot's units up to its first zero unit.
std::u16string SlotName(const std::vector<uint8_t>& image, size_t nOffset);

/// The value of the CheckSum field at offset 216.
uint32_t StoredChecksum(const std::vector<uint8_t>& image);

/// Bytes of a chosen length from a seeded generator, for damaged files.
std::vector<uint8_t> PseudoRandomBytes(size_t cb, uint32_t dwSeed);

/// Text as UTF-16, each byte one unit (for ASCII names).
std::u16string Widen(const std::string& strText);
