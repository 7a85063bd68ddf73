// The version check by the stored checksum, and the backup copy.
#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "driverfile/FileReplacement.h"
#include "driverfile/PeImage.h"

namespace {

/// Stored checksums of the unpatched driver files of the known versions.
constexpr uint32_t kKnownVersionChecksums[] = {0x9D5A, 0xA3C8, 0x7741, 0x13385, 0x784D};

bool IsKnownVersion(uint32_t dwChecksum) {
    for (uint32_t dwKnown : kKnownVersionChecksums) {
        if (dwChecksum == dwKnown) return true;
    }
    return false;
}

}  // namespace

bool ReadImageChecksum(const char* pszPath, uint32_t& dwChecksum) {
    uint8_t field[4] = {};
    uint32_t cbRead = 0;
    if (!DriverFileSystem().ReadBytes(pszPath, kChecksumFieldOffset, field, sizeof field, cbRead))
        return false;
    // A file too short for the whole field leaves the value alone rather
    // than giving a value made partly of the caller's bytes.
    if (cbRead == sizeof field) dwChecksum = ReadLe32(field);
    return true;
}

int CheckDriverVersion() {
    IDriverFileSystem& fileSystem = DriverFileSystem();
    // An existing backup copy is accepted whatever it holds: it was made by
    // an earlier run and must never be replaced.
    if (fileSystem.FileExists(g_strBackupPath.c_str())) return kDriverVersionBackupPresent;
    if (!fileSystem.FileExists(g_strDriverPath.c_str())) return kDriverVersionNoDriver;

    uint32_t dwChecksum = 0;
    if (!ReadImageChecksum(g_strDriverPath.c_str(), dwChecksum)) return kDriverVersionUnreadable;

    if (IsKnownVersion(dwChecksum)) {
        // An unpatched file of a known version: it becomes the backup copy,
        // read-only, hidden and system.
        if (!CopyAsNewFile(g_strDriverPath, g_strBackupPath, kAttributesProtected))
            return kDriverVersionCopyFailed;
        return kDriverVersionBackupPresent;
    }

    // Patched before, or unknown: only a spare copy can serve as the backup.
    if (!fileSystem.FileExists(g_strSparePath.c_str())) return kDriverVersionUnknown;
    if (!CopyAsNewFile(g_strSparePath, g_strBackupPath, 0)) return kDriverVersionCopyFailed;
    return kDriverVersionBackupPresent;
}
