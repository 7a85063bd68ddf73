// The STEP 5 serial driver file: where it lies, which version it is, its
// backup copy, and the device-name table that names the NT devices of the
// ports COM 1 to COM 4.
//
// The routines keep their state in the process-wide variables below, reach
// files through DriverFileSystem() and report through their results only.
#pragma once

#include <cstdint>
#include <string>

/// The driver file, its backup copy and its spare copy: one directory and
/// base name, three extensions. Empty until BuildDriverPaths succeeds.
extern std::string g_strDriverPath;
extern std::string g_strBackupPath;
extern std::string g_strSparePath;

/// The NT device names assigned to COM 1 to COM 4, e.g. "\Device\Serial0".
extern std::string g_strPortAssignment[4];

/// Size of the driver file and its backup copy.
constexpr uint32_t kDriverFileSize = 15360;
/// Offset of the stored PE checksum (PE header at offset 128).
constexpr uint32_t kChecksumFieldOffset = 216;
/// The two copies of the device-name table: four slots of 16 UTF-16LE units each.
constexpr uint32_t kNameTableOffset = 12328;
constexpr uint32_t kNameTableCopyOffset = 12456;
constexpr uint32_t kNameSlotBytes = 32;
constexpr uint32_t kNameSlotUnits = 16;
/// The stored checksum a backup copy must hold for the restore shortcut.
constexpr uint32_t kRestoreChecksum = 0x3385;

/// Result codes of CheckDriverVersion.
enum EDriverVersionResult {
    kDriverVersionBackupPresent = 0,  ///< a backup copy existed or has just been made
    kDriverVersionNoDriver = 1,       ///< the driver file does not exist
    kDriverVersionUnreadable = 2,     ///< the driver file cannot be opened to read its checksum
    kDriverVersionCopyFailed = 3,     ///< the backup copy cannot be made
    kDriverVersionUnknown = 4,        ///< not a known version and no spare copy
};

/// Fills the three driver paths from the system directory. False, with the
/// paths left empty, when the system directory cannot be obtained or the
/// paths would not fit the 260-byte path limit.
bool BuildDriverPaths();

/// Replaces the extension of the path held in a 260-byte buffer (drive,
/// directory, base name and the new extension). A dot is put before the
/// extension unless it has one. A result that would not fit the buffer, or a
/// directory or base name beyond 255 characters, leaves the buffer unchanged.
void ReplaceExtension(char* pszPath, const char* pszExtension);

/// Reads the 32-bit little-endian value at offset 216 of the file. False only
/// when the file cannot be opened; a file too short for the four bytes leaves
/// the value as it was.
bool ReadImageChecksum(const char* pszPath, uint32_t& dwChecksum);

/// Makes sure a backup copy of the unpatched driver file exists; returns an
/// EDriverVersionResult.
int CheckDriverVersion();

/// Reads the four names of the driver file's table into g_strPortAssignment;
/// on false all four stay as they were.
bool ReadDeviceNameTable();

/// Writes g_strPortAssignment into the driver file, or puts the backup copy
/// back when all four are the default names. The driver file is replaced in
/// one step, so on false it is as it was.
bool WriteDeviceNameTable();

/// Computes the PE checksum of an image in memory through the system's image
/// checksum function and stores it at offset 216. False when the image is
/// not a PE image with its checksum field there, or the function cannot be
/// bound; the image is then unchanged.
bool UpdateImageChecksum(uint8_t* pImage, uint32_t cbImage);

/// For tests: empties the paths and the port assignments, as at start-up.
void ResetDriverFileState();
