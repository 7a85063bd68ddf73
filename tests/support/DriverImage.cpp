#include "tests/support/DriverImage.h"

#include "driverfile/DriverFile.h"
#include "driverfile/PeImage.h"

const char16_t* const g_apszDefaultDeviceNames[4] = {u"\\Device\\Serial0", u"\\Device\\Serial1",
                                                     u"\\Device\\Serial2", u"\\Device\\Serial3"};

namespace {

constexpr size_t kPeHeader = 128;
constexpr size_t kFileHeader = kPeHeader + 4;
constexpr size_t kOptionalHeader = kFileHeader + 20;
constexpr uint16_t kOptionalHeaderSize = 224;  // PE32 with 16 data directories
constexpr size_t kSectionTable = kOptionalHeader + kOptionalHeaderSize;
constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;

// The two sections: code from 0x200, data (which holds the name table) from
// 0x3000 to the end of the file.
struct SSection {
    const char* pszName;
    uint32_t dwFileOffset;
    uint32_t cbFile;
    uint32_t dwVirtualAddress;
    uint32_t dwCharacteristics;
};
const SSection kSections[] = {
    {".text", 0x200, 0x2E00, 0x1000, 0x68000020},   // code, not paged, executable, readable
    {".data", 0x3000, 0x0C00, 0x4000, 0xC8000040},  // initialised data, not paged, readable, writable
};

uint32_t NextRandom(uint32_t& dwState) {
    // xorshift32: cheap, and never zero for a non-zero state.
    dwState ^= dwState << 13;
    dwState ^= dwState >> 17;
    dwState ^= dwState << 5;
    return dwState;
}

}  // namespace

void PutSlotName(std::vector<uint8_t>& image, size_t nOffset, const std::u16string& strName) {
    for (size_t i = 0; i < kNameSlotUnits; ++i)
        WriteLe16(&image[nOffset + 2 * i], i < strName.size() ? strName[i] : 0);
}

std::u16string SlotUnits(const std::vector<uint8_t>& image, size_t nOffset) {
    std::u16string strUnits;
    for (size_t i = 0; i < kNameSlotUnits; ++i)
        strUnits += static_cast<char16_t>(ReadLe16(&image[nOffset + 2 * i]));
    return strUnits;
}

std::u16string SlotName(const std::vector<uint8_t>& image, size_t nOffset) {
    std::u16string strUnits = SlotUnits(image, nOffset);
    return strUnits.substr(0, strUnits.find(u'\0'));
}

uint32_t StoredChecksum(const std::vector<uint8_t>& image) { return ReadLe32(&image[kChecksumFieldOffset]); }

std::vector<uint8_t> PseudoRandomBytes(size_t cb, uint32_t dwSeed) {
    std::vector<uint8_t> bytes(cb);
    uint32_t dwState = dwSeed == 0 ? 0x9E3779B9u : dwSeed;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(NextRandom(dwState) >> 24);
    return bytes;
}

std::u16string Widen(const std::string& strText) {
    std::u16string strWide;
    for (char ch : strText) strWide += static_cast<char16_t>(static_cast<unsigned char>(ch));
    return strWide;
}

std::vector<uint8_t> MakeDriverImage(const SDriverImageOptions& options) {
    std::vector<uint8_t> image(kDriverFileSize, 0);
    uint8_t* p = image.data();

    // DOS header and a stub that only says where the PE header is.
    p[0] = 'M';
    p[1] = 'Z';
    WriteLe16(p + 0x02, 0x90);  // bytes on the last page
    WriteLe16(p + 0x04, 3);     // pages
    WriteLe16(p + 0x08, 4);     // header paragraphs
    WriteLe16(p + 0x18, 0x40);  // relocation table offset
    WriteLe32(p + 0x3C, kPeHeader);

    // PE signature and file header: i386, two sections, executable 32-bit image.
    p[kPeHeader] = 'P';
    p[kPeHeader + 1] = 'E';
    WriteLe16(p + kFileHeader + 0, 0x014C);
    WriteLe16(p + kFileHeader + 2, 2);
    WriteLe32(p + kFileHeader + 4, 0x3A6F1C00);  // time stamp
    WriteLe16(p + kFileHeader + 16, kOptionalHeaderSize);
    WriteLe16(p + kFileHeader + 18, 0x010E);  // executable, no line numbers, no symbols, 32-bit

    // Optional header (PE32) of a native driver.
    uint8_t* o = p + kOptionalHeader;
    WriteLe16(o + 0, 0x10B);
    o[2] = 5;  // linker version 5.12
    o[3] = 12;
    WriteLe32(o + 4, kSections[0].cbFile);  // size of code
    WriteLe32(o + 8, kSections[1].cbFile);  // size of initialised data
    WriteLe32(o + 16, 0x1010);              // entry point
    WriteLe32(o + 20, kSections[0].dwVirtualAddress);
    WriteLe32(o + 24, kSections[1].dwVirtualAddress);
    WriteLe32(o + 28, 0x10000);  // image base
    WriteLe32(o + 32, kSectionAlignment);
    WriteLe32(o + 36, kFileAlignment);
    WriteLe16(o + 40, 4);               // OS version 4.0
    WriteLe16(o + 48, 4);               // subsystem version 4.0
    WriteLe32(o + 56, 0x5000);          // size of image
    WriteLe32(o + 60, kFileAlignment);  // size of headers
    WriteLe16(o + 68, 1);               // subsystem: native
    WriteLe32(o + 72, 0x40000);         // stack reserve
    WriteLe32(o + 76, 0x1000);          // stack commit
    WriteLe32(o + 80, 0x100000);        // heap reserve
    WriteLe32(o + 84, 0x1000);          // heap commit
    WriteLe32(o + 92, 16);              // data directories

    for (size_t i = 0; i < 2; ++i) {
        uint8_t* s = p + kSectionTable + 40 * i;
        for (size_t c = 0; kSections[i].pszName[c] != '\0'; ++c)
            s[c] = static_cast<uint8_t>(kSections[i].pszName[c]);
        WriteLe32(s + 8, kSections[i].cbFile);  // virtual size
        WriteLe32(s + 12, kSections[i].dwVirtualAddress);
        WriteLe32(s + 16, kSections[i].cbFile);
        WriteLe32(s + 20, kSections[i].dwFileOffset);
        WriteLe32(s + 36, kSections[i].dwCharacteristics);
    }

    // Section content: a pattern without zero bytes.
    uint32_t dwState = options.dwSeed == 0 ? 0x9E3779B9u : options.dwSeed;
    for (size_t i = kSections[0].dwFileOffset; i < kDriverFileSize; ++i)
        p[i] = static_cast<uint8_t>(1 + NextRandom(dwState) % 255);

    for (size_t i = 0; i < 4; ++i) {
        PutSlotName(image, kNameTableOffset + kNameSlotBytes * i, options.astrFirstCopy[i]);
        PutSlotName(image, kNameTableCopyOffset + kNameSlotBytes * i, options.astrSecondCopy[i]);
    }

    WriteLe32(p + kChecksumFieldOffset, options.dwChecksumField);
    if (options.bTrueChecksum) WriteLe32(p + kChecksumFieldOffset, ComputeImageChecksum(p, image.size()));
    return image;
}
