#include "tests/e2e/DriverImageBytes.h"

namespace e2e {

const char* const kDefaultDeviceNames[kSlotCount] = {"\\Device\\Serial0", "\\Device\\Serial1",
                                                     "\\Device\\Serial2", "\\Device\\Serial3"};

uint32_t ReadLe32(const std::vector<uint8_t>& image, size_t offset) {
    return static_cast<uint32_t>(image[offset]) | static_cast<uint32_t>(image[offset + 1]) << 8 |
           static_cast<uint32_t>(image[offset + 2]) << 16 | static_cast<uint32_t>(image[offset + 3]) << 24;
}

uint16_t ReadLe16(const std::vector<uint8_t>& image, size_t offset) {
    return static_cast<uint16_t>(image[offset] | image[offset + 1] << 8);
}

uint32_t ComputePeChecksum(const std::vector<uint8_t>& image, size_t checksumOffset) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < image.size(); i += 2) {
        uint32_t word = ReadLe16(image, i);
        if (i >= checksumOffset && i < checksumOffset + 4) word = 0;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (image.size() % 2 != 0) {
        sum += image.back();
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return sum + static_cast<uint32_t>(image.size());
}

std::vector<uint8_t> SlotBytes(const std::vector<uint8_t>& image, size_t tableOffset, size_t k) {
    const size_t offset = tableOffset + kSlotSize * k;
    return std::vector<uint8_t>(image.begin() + offset, image.begin() + offset + kSlotSize);
}

std::vector<uint8_t> ExpectedSlotBytes(const char* pszName) {
    std::vector<uint8_t> slot(kSlotSize, 0);
    for (size_t i = 0; i < kSlotSize / 2 && pszName[i] != '\0'; ++i) {
        slot[2 * i] = static_cast<uint8_t>(pszName[i]);
    }
    return slot;
}

bool IsPatchableByte(size_t offset) {
    return (offset >= kChecksumOffset && offset < kChecksumOffset + 4) ||
           (offset >= kFirstTableOffset && offset < kSecondTableOffset + kSlotSize * kSlotCount);
}

}  // namespace e2e
