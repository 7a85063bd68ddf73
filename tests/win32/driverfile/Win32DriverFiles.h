// Real files in the driver directory for the Windows tests: writing,
// reading, locking and cleaning up, and a file system that forwards to the
// real one with hooks for the cases a test has to provoke.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"

/// The text of the last error with its number, for failure messages.
inline std::string LastErrorText(DWORD dwError = GetLastError()) {
    char sz[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, sz,
                   sizeof sz, nullptr);
    return "error " + std::to_string(dwError) + ": " + sz;
}

inline void WriteRealFile(const std::string& strPath, const std::vector<uint8_t>& content,
                          DWORD dwAttributes = FILE_ATTRIBUTE_ARCHIVE) {
    SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << strPath << ": " << LastErrorText();
    DWORD cbWritten = 0;
    if (!content.empty()) {
        ASSERT_TRUE(WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &cbWritten, nullptr));
    }
    CloseHandle(h);
    ASSERT_TRUE(SetFileAttributesA(strPath.c_str(), dwAttributes)) << LastErrorText();
}

inline std::vector<uint8_t> ReadRealFile(const std::string& strPath) {
    std::vector<uint8_t> content;
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return content;
    uint8_t buffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(h, buffer, sizeof buffer, &cbRead, nullptr) && cbRead != 0)
        content.insert(content.end(), buffer, buffer + cbRead);
    CloseHandle(h);
    return content;
}

inline bool RealFileExists(const std::string& strPath) {
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline DWORD RealAttributes(const std::string& strPath) { return GetFileAttributesA(strPath.c_str()); }

inline uint64_t RealLastWriteTime(const std::string& strPath) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

inline void SetRealLastWriteTime(const std::string& strPath, uint64_t qwTime) {
    HANDLE h = CreateFileA(strPath.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << LastErrorText();
    FILETIME ft = {static_cast<DWORD>(qwTime), static_cast<DWORD>(qwTime >> 32)};
    ASSERT_TRUE(SetFileTime(h, &ft, nullptr, &ft)) << LastErrorText();
    CloseHandle(h);
}

inline void RemoveRealFile(const std::string& strPath) {
    SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(strPath.c_str());
}

/// The names of the files in a directory.
inline std::set<std::string> DirectoryListing(const std::string& strDirectory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((strDirectory + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.insert(data.cFileName);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

/// Holds a file open without sharing, as a running STEP 5 or a virus
/// scanner might.
class CFileLock {
public:
    explicit CFileLock(const std::string& strPath)
        : m_hFile(CreateFileA(strPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {
        EXPECT_NE(INVALID_HANDLE_VALUE, m_hFile) << strPath << ": " << LastErrorText();
    }
    ~CFileLock() {
        if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

private:
    HANDLE m_hFile;
};

/// The real file system, with a hook before each operation that may change
/// what happens (lie about a file's existence, lock a file meanwhile).
class CHookedFileSystem final : public IDriverFileSystem {
public:
    explicit CHookedFileSystem(IDriverFileSystem& real) : m_real(real) {}

    std::function<bool(const char*)> m_fileExists;               ///< replaces FileExists when set
    std::function<void(const char*)> m_beforeWriteAndFlush;      ///< runs before each write
    std::function<void(const char*, const char*)> m_beforeMove;  ///< runs before each move

    bool SystemDirectory(std::string& strDirectory) override { return m_real.SystemDirectory(strDirectory); }
    bool FileExists(const char* pszPath) override {
        return m_fileExists ? m_fileExists(pszPath) : m_real.FileExists(pszPath);
    }
    bool LookUp(const char* pszPath, SFileRecord& record) override { return m_real.LookUp(pszPath, record); }
    bool ReadBytes(const char* pszPath, uint64_t qwOffset, uint8_t* pBuffer, uint32_t cbWanted,
                   uint32_t& cbRead) override {
        return m_real.ReadBytes(pszPath, qwOffset, pBuffer, cbWanted, cbRead);
    }
    bool Copy(const char* pszSource, const char* pszTarget, bool bFailIfExists) override {
        return m_real.Copy(pszSource, pszTarget, bFailIfExists);
    }
    bool GetAttributes(const char* pszPath, uint32_t& dwAttributes) override {
        return m_real.GetAttributes(pszPath, dwAttributes);
    }
    bool SetAttributes(const char* pszPath, uint32_t dwAttributes) override {
        return m_real.SetAttributes(pszPath, dwAttributes);
    }
    bool SetCreationAndWriteTimes(const char* pszPath, uint64_t qwCreation, uint64_t qwLastWrite) override {
        return m_real.SetCreationAndWriteTimes(pszPath, qwCreation, qwLastWrite);
    }
    bool CreateTemporaryFile(const std::string& strDirectory, std::string& strPath) override {
        return m_real.CreateTemporaryFile(strDirectory, strPath);
    }
    bool WriteAndFlush(const char* pszPath, const uint8_t* pData, uint32_t cbData) override {
        if (m_beforeWriteAndFlush) m_beforeWriteAndFlush(pszPath);
        return m_real.WriteAndFlush(pszPath, pData, cbData);
    }
    bool Flush(const char* pszPath) override { return m_real.Flush(pszPath); }
    bool MoveIntoPlace(const char* pszSource, const char* pszTarget, bool bReplaceExisting) override {
        if (m_beforeMove) m_beforeMove(pszSource, pszTarget);
        return m_real.MoveIntoPlace(pszSource, pszTarget, bReplaceExisting);
    }
    bool RemoveFile(const char* pszPath) override { return m_real.RemoveFile(pszPath); }

private:
    IDriverFileSystem& m_real;
};
