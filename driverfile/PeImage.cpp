#include "driverfile/PeImage.h"

namespace {

constexpr size_t kPeHeaderPointerOffset = 0x3C;   // e_lfanew of the DOS header
constexpr size_t kOptionalHeaderOffset = 24;      // after the signature and the file header
constexpr size_t kChecksumInOptionalHeader = 64;  // the same in PE32 and PE32+
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;

}  // namespace

bool FindChecksumField(const uint8_t* pImage, size_t cbImage, size_t& nOffset) {
    if (pImage == nullptr || cbImage < kPeHeaderPointerOffset + 4) return false;
    if (pImage[0] != 'M' || pImage[1] != 'Z') return false;
    const size_t nPeHeader = ReadLe32(pImage + kPeHeaderPointerOffset);
    // Compare by subtraction so that a huge header offset cannot wrap around.
    const size_t nNeeded = kOptionalHeaderOffset + kChecksumInOptionalHeader + 4;
    if (nPeHeader > cbImage || cbImage - nPeHeader < nNeeded) return false;
    const uint8_t* pPe = pImage + nPeHeader;
    if (pPe[0] != 'P' || pPe[1] != 'E' || pPe[2] != 0 || pPe[3] != 0) return false;
    const uint16_t wMagic = ReadLe16(pPe + kOptionalHeaderOffset);
    if (wMagic != kPe32Magic && wMagic != kPe32PlusMagic) return false;
    nOffset = nPeHeader + kOptionalHeaderOffset + kChecksumInOptionalHeader;
    return true;
}

uint32_t ComputeImageChecksum(const uint8_t* pImage, size_t cbImage) {
    size_t nField = 0;
    const bool bHasField = FindChecksumField(pImage, cbImage, nField);
    uint32_t dwSum = 0;
    for (size_t i = 0; i < cbImage; i += 2) {
        uint32_t wWord = pImage[i];
        if (i + 1 < cbImage) wWord |= static_cast<uint32_t>(pImage[i + 1]) << 8;
        // The field is word-aligned whenever the PE header is; a field at an
        // odd offset is cleared byte by byte.
        if (bHasField) {
            if (i >= nField && i < nField + 4) wWord &= 0xFF00;
            if (i + 1 >= nField && i + 1 < nField + 4) wWord &= 0x00FF;
        }
        dwSum += wWord;
        dwSum = (dwSum & 0xFFFF) + (dwSum >> 16);
    }
    dwSum = (dwSum & 0xFFFF) + (dwSum >> 16);
    return (dwSum & 0xFFFF) + static_cast<uint32_t>(cbImage);
}
