// The device-name table of the driver file: reading the four names,
// patching them in, the checksum, and the restore shortcut.
#include <new>
#include <vector>

#include "driverfile/ChecksumLibrary.h"
#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "driverfile/FileReplacement.h"
#include "driverfile/PeImage.h"
#include "strings/AnsiText.h"
#include "strings/AssembledStrings.h"

std::string g_strPortAssignment[4];

namespace {

const char* const* DefaultNames() {
    static const char* const s_apszDefaults[4] = {PortPreset1, PortPreset2, PortPreset3, PortPreset4};
    return s_apszDefaults;
}

/// The whole driver file, in a zero-filled buffer with a few spare bytes.
bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& image, size_t cbSpare) {
    try {
        image.assign(kDriverFileSize + cbSpare, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint32_t cbRead = 0;
    if (!DriverFileSystem().ReadBytes(strPath.c_str(), 0, image.data(), kDriverFileSize, cbRead))
        return false;
    return cbRead == kDriverFileSize;
}

bool HasDriverFileSize(const char* pszPath, SFileRecord& record) {
    return DriverFileSystem().LookUp(pszPath, record) && record.qwSize == kDriverFileSize;
}

/// The name in one slot: its units up to the first zero unit, at most the
/// slot's 16, so a full slot never runs on into the next one.
std::string ReadSlot(const uint8_t* pSlot) {
    char16_t szWide[kNameSlotUnits + 1] = {};
    for (uint32_t i = 0; i < kNameSlotUnits; ++i) {
        szWide[i] = static_cast<char16_t>(ReadLe16(pSlot + 2 * i));
        if (szWide[i] == 0) break;
    }
    std::string strName;
    if (!AnsiCodePage().WideToNarrow(szWide, strName)) strName.clear();
    return strName;
}

/// Each byte of the name becomes one unit, zero-extended (NT device names
/// are ASCII; a byte above 0x7F keeps its value rather than turning into a
/// negative one); the units after the name are zero.
void WriteSlot(uint8_t* pSlot, const std::string& strName) {
    for (uint32_t i = 0; i < kNameSlotUnits; ++i) {
        const uint16_t wUnit = i < strName.size() ? static_cast<unsigned char>(strName[i]) : 0;
        WriteLe16(pSlot + 2 * i, wUnit);
    }
}

bool AllDefaultNames() {
    for (int i = 0; i < 4; ++i) {
        if (!TextEquals(g_strPortAssignment[i], DefaultNames()[i])) return false;
    }
    return true;
}

/// Puts the backup copy back in place of the driver file, when it is an
/// unpatched file of the size of a driver.
bool RestoreBackupCopy() {
    IDriverFileSystem& fileSystem = DriverFileSystem();
    if (!fileSystem.FileExists(g_strBackupPath.c_str())) return false;
    uint32_t dwChecksum = 0;
    if (!ReadImageChecksum(g_strBackupPath.c_str(), dwChecksum) || dwChecksum != kRestoreChecksum)
        return false;
    // A short backup copy would leave STEP 5 with a broken driver.
    SFileRecord backup;
    if (!HasDriverFileSize(g_strBackupPath.c_str(), backup)) return false;
    return ReplaceWithCopy(g_strDriverPath, g_strBackupPath);
}

bool PatchDriverFile() {
    SFileRecord driver;
    if (!HasDriverFileSize(g_strDriverPath.c_str(), driver)) return false;
    // The patched file takes the backup copy's times; the backup copy must
    // be there and be a whole driver file.
    SFileRecord backup;
    if (!HasDriverFileSize(g_strBackupPath.c_str(), backup)) return false;

    std::vector<uint8_t> image;
    if (!ReadWholeFile(g_strDriverPath, image, 4)) return false;
    for (uint32_t i = 0; i < 4; ++i) {
        WriteSlot(&image[kNameTableOffset + kNameSlotBytes * i], g_strPortAssignment[i]);
        WriteSlot(&image[kNameTableCopyOffset + kNameSlotBytes * i], g_strPortAssignment[i]);
    }
    if (!UpdateImageChecksum(image.data(), kDriverFileSize)) return false;

    const bool bSetTimes = (backup.qwCreationTime & 0xFFFFFFFFu) != 0;
    return ReplaceWithImage(g_strDriverPath, image.data(), kDriverFileSize, bSetTimes ? &backup : nullptr);
}

}  // namespace

bool ReadDeviceNameTable() {
    SFileRecord record;
    if (!HasDriverFileSize(g_strDriverPath.c_str(), record)) return false;
    std::vector<uint8_t> image;
    if (!ReadWholeFile(g_strDriverPath, image, 2)) return false;
    std::string astrNames[4];
    for (uint32_t i = 0; i < 4; ++i) astrNames[i] = ReadSlot(&image[kNameTableOffset + kNameSlotBytes * i]);
    for (int i = 0; i < 4; ++i) g_strPortAssignment[i].swap(astrNames[i]);
    return true;
}

bool WriteDeviceNameTable() {
    // A name longer than a slot would be cut and point STEP 5 at another
    // device; refuse it before any file is touched.
    for (const std::string& strName : g_strPortAssignment) {
        if (strName.size() > kNameSlotUnits) return false;
    }
    if (AllDefaultNames() && RestoreBackupCopy()) return true;
    return PatchDriverFile();
}

bool UpdateImageChecksum(uint8_t* pImage, uint32_t cbImage) {
    // The checksum is stored at offset 216, so that must be where the image
    // keeps it; anything else would overwrite bytes of another meaning.
    size_t nField = 0;
    if (!FindChecksumField(pImage, cbImage, nField) || nField != kChecksumFieldOffset) return false;

    std::unique_ptr<ILoadedLibrary> library = ChecksumLibraryLoader().Load(ChecksumLibraryName);
    if (!library) return false;
    ImageChecksumFunction checkSum = library->FindChecksumFunction(ChecksumFunctionName);
    if (!checkSum) return false;
    uint32_t dwHeaderSum = 0;
    uint32_t dwChecksum = 0;
    checkSum(pImage, cbImage, &dwHeaderSum, &dwChecksum);
    WriteLe32(pImage + kChecksumFieldOffset, dwChecksum);
    return true;
}

void ResetDriverFileState() {
    g_strDriverPath.clear();
    g_strBackupPath.clear();
    g_strSparePath.clear();
    for (std::string& strName : g_strPortAssignment) strName.clear();
}
