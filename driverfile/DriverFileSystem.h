// The file-system operations of the driver file subsystem. The routines of
// DriverFile.h reach files only through the installed implementation: in
// Windows builds the real file system, in tests an in-memory fake.
//
// Paths are narrow strings in the system's ANSI code page. Times are file
// times: 100-nanosecond intervals since 1 January 1601 (UTC). Attributes are
// the Windows attribute bits (read-only 1, hidden 2, system 4, archive 0x20).
#pragma once

#include <cstdint>
#include <string>

/// What looking a file up tells about it.
struct SFileRecord {
    uint64_t qwSize = 0;           ///< size in bytes
    uint64_t qwCreationTime = 0;   ///< creation time
    uint64_t qwLastWriteTime = 0;  ///< last-write time
};

/// The file attribute bits the subsystem sets and clears.
constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributesProtected = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

class IDriverFileSystem {
public:
    virtual ~IDriverFileSystem() = default;

    /// The Windows system directory, without a trailing separator as the
    /// system reports it; false when it cannot be obtained.
    virtual bool SystemDirectory(std::string& strDirectory) = 0;

    /// True when a file (or directory) exists at the path.
    virtual bool FileExists(const char* pszPath) = 0;

    /// Looks a file up without opening it; false when it is not found.
    virtual bool LookUp(const char* pszPath, SFileRecord& record) = 0;

    /// Opens the file for reading, reads up to `cbWanted` bytes from
    /// `qwOffset` on into `pBuffer` and closes it. `cbRead` tells how many
    /// arrived (fewer at the end of the file). False only when the file cannot
    /// be opened; `cbRead` is then 0.
    virtual bool ReadBytes(const char* pszPath, uint64_t qwOffset, uint8_t* pBuffer, uint32_t cbWanted,
                           uint32_t& cbRead) = 0;

    /// Copies a file's content and attributes to the target path. With
    /// `bFailIfExists` an existing target is never overwritten.
    virtual bool Copy(const char* pszSource, const char* pszTarget, bool bFailIfExists) = 0;

    /// Reads a file's attribute bits; false when they cannot be read.
    virtual bool GetAttributes(const char* pszPath, uint32_t& dwAttributes) = 0;

    /// Sets a file's attribute bits.
    virtual bool SetAttributes(const char* pszPath, uint32_t dwAttributes) = 0;

    /// Sets a file's creation and last-write times and leaves its last-access
    /// time alone.
    virtual bool SetCreationAndWriteTimes(const char* pszPath, uint64_t qwCreationTime,
                                          uint64_t qwLastWriteTime) = 0;

    /// Creates a new, empty file with a unique name in the directory and
    /// tells its path; false when the directory cannot be written.
    virtual bool CreateTemporaryFile(const std::string& strDirectory, std::string& strPath) = 0;

    /// Replaces the content of an existing file with the bytes and flushes
    /// them to the disk; false when it cannot be opened, or on a short write
    /// or a failed flush.
    virtual bool WriteAndFlush(const char* pszPath, const uint8_t* pData, uint32_t cbData) = 0;

    /// Flushes a file's content to the disk.
    virtual bool Flush(const char* pszPath) = 0;

    /// Moves a file to the target path in one step, on the same volume, and
    /// returns once the move is on the disk. An existing target is replaced
    /// only with `bReplaceExisting`; a read-only target is never replaced.
    virtual bool MoveIntoPlace(const char* pszSource, const char* pszTarget, bool bReplaceExisting) = 0;

    /// Deletes a file that this subsystem created, whatever its attributes.
    virtual bool RemoveFile(const char* pszPath) = 0;
};

/// The installed file system. Windows builds start with the real one; other
/// builds with one on which every operation fails.
IDriverFileSystem& DriverFileSystem();

/// Installs a file system, or with null the start-up one again. Not owned.
void SetDriverFileSystem(IDriverFileSystem* pFileSystem);
