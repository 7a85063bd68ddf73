// An in-memory driver file system for tests. It keeps files with their
// content, attributes and times, a settable system directory, directories
// that cannot be written, and locked files; it fails any operation on
// demand, can write only part of the bytes, and records every call.
//
// It behaves as Windows does where the driver file code relies on it: a
// read-only file cannot be written, replaced or deleted; a locked file (one
// opened elsewhere without sharing) cannot be opened, copied or moved, but
// its existence, attributes and find data can still be read.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driverfile/DriverFileSystem.h"

/// The operations of the file system, for failing and recording them.
enum class EFakeFileOp {
    SystemDirectory,
    FileExists,
    LookUp,
    ReadBytes,
    Copy,
    GetAttributes,
    SetAttributes,
    SetTimes,
    CreateTemporaryFile,
    WriteAndFlush,
    Flush,
    MoveIntoPlace,
    RemoveFile,
};

/// Name of an operation, for test messages.
const char* FakeFileOpName(EFakeFileOp op);

struct SFakeFile {
    std::vector<uint8_t> content;
    uint32_t dwAttributes = 0x20;  ///< archive
    uint64_t qwCreationTime = 0;
    uint64_t qwLastWriteTime = 0;
    uint64_t qwLastAccessTime = 0;

    bool operator==(const SFakeFile& other) const {
        return content == other.content && dwAttributes == other.dwAttributes &&
               qwCreationTime == other.qwCreationTime && qwLastWriteTime == other.qwLastWriteTime &&
               qwLastAccessTime == other.qwLastAccessTime;
    }
    bool operator!=(const SFakeFile& other) const { return !(*this == other); }
};

/// One recorded call: the operation, its paths, and whether it succeeded.
struct SFakeFileCall {
    EFakeFileOp op;
    std::string strPath;
    std::string strOtherPath;  ///< the target of Copy and MoveIntoPlace
    bool bSucceeded;
};

class CFakeDriverFileSystem final : public IDriverFileSystem {
public:
    CFakeDriverFileSystem();

    // Setting up.
    void SetSystemDirectory(const std::string& strDirectory) { m_strSystemDirectory = strDirectory; }
    /// Adds or replaces a file; its times are taken from the fake's clock
    /// unless set in `file`.
    void PutFileEntry(const std::string& strPath, const SFakeFile& file);
    void PutFile(const std::string& strPath, const std::vector<uint8_t>& content,
                 uint32_t dwAttributes = 0x20);
    void EraseFile(const std::string& strPath) { m_files.erase(strPath); }
    /// No new file can be made in the directory (given with or without its
    /// trailing backslash).
    void SetDirectoryWritable(const std::string& strDirectory, bool bWritable);
    /// As if another program held the file open without sharing.
    void SetLocked(const std::string& strPath, bool bLocked);
    /// Every call of the operation fails; with a path, only calls that
    /// name it (as either path).
    void FailOn(EFakeFileOp op, const std::string& strPath = "");
    /// Only the first call of the operation fails (after `nSkip` that succeed).
    void FailOnce(EFakeFileOp op, int nSkip = 0);
    /// WriteAndFlush writes only this many bytes and then fails.
    void WriteOnlyPart(uint32_t cbWritten) { m_cbPartialWrite = cbWritten; }
    void ClearFailures();

    // Looking at the result.
    bool HasFile(const std::string& strPath) const { return m_files.count(strPath) != 0; }
    const SFakeFile& File(const std::string& strPath) const;
    const std::map<std::string, SFakeFile>& Files() const { return m_files; }
    /// The paths of all files, in order.
    std::vector<std::string> FilePaths() const;
    const std::vector<SFakeFileCall>& Calls() const { return m_calls; }
    /// How many calls of the operation were made (successful or not).
    int CallCount(EFakeFileOp op) const;
    /// True when a call of the operation named the path.
    bool WasCalled(EFakeFileOp op, const std::string& strPath) const;
    /// True when any call that opens, changes or creates a file succeeded.
    bool ChangedAnything() const;
    void ClearCalls() { m_calls.clear(); }
    /// The fake's clock: each file change takes the next time.
    uint64_t Now() const { return m_qwClock; }

    // IDriverFileSystem
    bool SystemDirectory(std::string& strDirectory) override;
    bool FileExists(const char* pszPath) override;
    bool LookUp(const char* pszPath, SFileRecord& record) override;
    bool ReadBytes(const char* pszPath, uint64_t qwOffset, uint8_t* pBuffer, uint32_t cbWanted,
                   uint32_t& cbRead) override;
    bool Copy(const char* pszSource, const char* pszTarget, bool bFailIfExists) override;
    bool GetAttributes(const char* pszPath, uint32_t& dwAttributes) override;
    bool SetAttributes(const char* pszPath, uint32_t dwAttributes) override;
    bool SetCreationAndWriteTimes(const char* pszPath, uint64_t qwCreationTime,
                                  uint64_t qwLastWriteTime) override;
    bool CreateTemporaryFile(const std::string& strDirectory, std::string& strPath) override;
    bool WriteAndFlush(const char* pszPath, const uint8_t* pData, uint32_t cbData) override;
    bool Flush(const char* pszPath) override;
    bool MoveIntoPlace(const char* pszSource, const char* pszTarget, bool bReplaceExisting) override;
    bool RemoveFile(const char* pszPath) override;

private:
    struct SFailure {
        EFakeFileOp op;
        std::string strPath;
        int nSkip;  ///< calls to let through first
        bool bOnce;
    };

    bool Record(EFakeFileOp op, const std::string& strPath, const std::string& strOther, bool bResult);
    bool ShouldFail(EFakeFileOp op, const std::string& strPath, const std::string& strOther);
    bool CanCreateIn(const std::string& strPath) const;
    bool IsLocked(const std::string& strPath) const { return m_locked.count(strPath) != 0; }
    SFakeFile* Find(const std::string& strPath);
    uint64_t Tick() { return m_qwClock += 10000000; }  // one second

    std::string m_strSystemDirectory;
    std::map<std::string, SFakeFile> m_files;
    std::set<std::string> m_readOnlyDirectories;
    std::set<std::string> m_locked;
    std::vector<SFailure> m_failures;
    std::vector<SFakeFileCall> m_calls;
    uint32_t m_cbPartialWrite = UINT32_MAX;
    uint64_t m_qwClock = 130000000000000000ull;  // some time in 2012
    int m_nTemporary = 0;
};
