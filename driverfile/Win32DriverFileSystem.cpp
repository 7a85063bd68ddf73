// The driver file system on Win32: the ANSI file functions.
#include <windows.h>

#include "driverfile/DriverFileSystem.h"

namespace {

/// Owns a file handle and closes it.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle() {
        if (IsValid()) CloseHandle(m_hFile);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsValid() const { return m_hFile != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_hFile; }
    /// Closes now, telling whether closing succeeded.
    bool Close() {
        const BOOL bClosed = CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        return bClosed != FALSE;
    }

private:
    HANDLE m_hFile;
};

FILETIME ToFileTime(uint64_t qwTime) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(qwTime);
    ft.dwHighDateTime = static_cast<DWORD>(qwTime >> 32);
    return ft;
}

uint64_t FromFileTime(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

class CWin32DriverFileSystem final : public IDriverFileSystem {
public:
    bool SystemDirectory(std::string& strDirectory) override {
        char szDirectory[MAX_PATH];
        const UINT cch = GetSystemDirectoryA(szDirectory, MAX_PATH);
        if (cch == 0 || cch >= MAX_PATH) return false;
        strDirectory.assign(szDirectory, cch);
        return true;
    }

    bool FileExists(const char* pszPath) override {
        return GetFileAttributesA(pszPath) != INVALID_FILE_ATTRIBUTES;
    }

    bool LookUp(const char* pszPath, SFileRecord& record) override {
        WIN32_FIND_DATAA findData;
        HANDLE hFind = FindFirstFileA(pszPath, &findData);
        if (hFind == INVALID_HANDLE_VALUE) return false;
        FindClose(hFind);
        record.qwSize = (static_cast<uint64_t>(findData.nFileSizeHigh) << 32) | findData.nFileSizeLow;
        record.qwCreationTime = FromFileTime(findData.ftCreationTime);
        record.qwLastWriteTime = FromFileTime(findData.ftLastWriteTime);
        return true;
    }

    bool ReadBytes(const char* pszPath, uint64_t qwOffset, uint8_t* pBuffer, uint32_t cbWanted,
                   uint32_t& cbRead) override {
        cbRead = 0;
        CFileHandle file(CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return false;
        LONG lHigh = static_cast<LONG>(qwOffset >> 32);
        if (SetFilePointer(file.Get(), static_cast<LONG>(qwOffset), &lHigh, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            return true;  // opened, but nothing there to read
        while (cbRead < cbWanted) {
            DWORD cbChunk = 0;
            if (!ReadFile(file.Get(), pBuffer + cbRead, cbWanted - cbRead, &cbChunk, nullptr) || cbChunk == 0)
                break;
            cbRead += cbChunk;
        }
        return true;
    }

    bool Copy(const char* pszSource, const char* pszTarget, bool bFailIfExists) override {
        return CopyFileA(pszSource, pszTarget, bFailIfExists ? TRUE : FALSE) != FALSE;
    }

    bool GetAttributes(const char* pszPath, uint32_t& dwAttributes) override {
        const DWORD dw = GetFileAttributesA(pszPath);
        if (dw == INVALID_FILE_ATTRIBUTES) return false;
        dwAttributes = dw;
        return true;
    }

    bool SetAttributes(const char* pszPath, uint32_t dwAttributes) override {
        return SetFileAttributesA(pszPath, dwAttributes) != FALSE;
    }

    bool SetCreationAndWriteTimes(const char* pszPath, uint64_t qwCreationTime,
                                  uint64_t qwLastWriteTime) override {
        CFileHandle file(CreateFileA(pszPath, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return false;
        const FILETIME ftCreation = ToFileTime(qwCreationTime);
        const FILETIME ftLastWrite = ToFileTime(qwLastWriteTime);
        return SetFileTime(file.Get(), &ftCreation, nullptr, &ftLastWrite) != FALSE;
    }

    bool CreateTemporaryFile(const std::string& strDirectory, std::string& strPath) override {
        // GetTempFileNameA needs room for a 14-character name after the directory.
        if (strDirectory.size() > MAX_PATH - 14) return false;
        char szPath[MAX_PATH];
        if (GetTempFileNameA(strDirectory.c_str(), "lcf", 0, szPath) == 0) return false;
        strPath = szPath;
        return true;
    }

    bool WriteAndFlush(const char* pszPath, const uint8_t* pData, uint32_t cbData) override {
        CFileHandle file(CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return false;
        uint32_t cbWritten = 0;
        while (cbWritten < cbData) {
            DWORD cbChunk = 0;
            if (!WriteFile(file.Get(), pData + cbWritten, cbData - cbWritten, &cbChunk, nullptr) ||
                cbChunk == 0)
                return false;
            cbWritten += cbChunk;
        }
        if (!FlushFileBuffers(file.Get())) return false;
        return file.Close();
    }

    bool Flush(const char* pszPath) override {
        CFileHandle file(CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return false;
        if (!FlushFileBuffers(file.Get())) return false;
        return file.Close();
    }

    bool MoveIntoPlace(const char* pszSource, const char* pszTarget, bool bReplaceExisting) override {
        DWORD dwFlags = MOVEFILE_WRITE_THROUGH;
        if (bReplaceExisting) dwFlags |= MOVEFILE_REPLACE_EXISTING;
        return MoveFileExA(pszSource, pszTarget, dwFlags) != FALSE;
    }

    bool RemoveFile(const char* pszPath) override {
        // A read-only file cannot be deleted; ours may carry a copied attribute.
        SetFileAttributesA(pszPath, FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(pszPath) != FALSE;
    }
};

}  // namespace

IDriverFileSystem& Win32DriverFileSystem() {
    static CWin32DriverFileSystem s_fileSystem;
    return s_fileSystem;
}
