#include "driverfile/FileReplacement.h"

#include "strings/AnsiText.h"

namespace {

/// A temporary file of ours, removed again unless it was moved into place.
class CTemporaryFile {
public:
    explicit CTemporaryFile(IDriverFileSystem& fileSystem) : m_fileSystem(fileSystem) {}
    ~CTemporaryFile() {
        if (m_bCreated) m_fileSystem.RemoveFile(m_strPath.c_str());
    }
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;

    bool Create(const std::string& strDirectory) {
        m_bCreated = m_fileSystem.CreateTemporaryFile(strDirectory, m_strPath);
        return m_bCreated;
    }
    const char* Path() const { return m_strPath.c_str(); }
    /// The file has become the target: nothing left to remove.
    void Release() { m_bCreated = false; }

private:
    IDriverFileSystem& m_fileSystem;
    std::string m_strPath;
    bool m_bCreated = false;
};

/// Flushes a file whose attributes may make it read-only, then leaves it
/// with `dwFinalAttributes`.
bool FlushWithAttributes(IDriverFileSystem& fileSystem, const char* pszPath, uint32_t dwCurrent,
                         uint32_t dwFinalAttributes) {
    // A read-only file cannot be opened for writing, which flushing needs.
    if ((dwCurrent & kAttributeReadOnly) != 0 &&
        !fileSystem.SetAttributes(pszPath, dwCurrent & ~kAttributeReadOnly))
        return false;
    if (!fileSystem.Flush(pszPath)) return false;
    if (dwFinalAttributes != (dwCurrent & ~kAttributeReadOnly))
        fileSystem.SetAttributes(pszPath, dwFinalAttributes);
    return true;
}

/// The source's own attributes, which a copy over an existing file (our
/// temporary one) does not carry over everywhere; the copy's as fallback.
uint32_t SourceAttributes(IDriverFileSystem& fileSystem, const std::string& strSource, uint32_t dwCopied) {
    uint32_t dwSource = 0;
    return fileSystem.GetAttributes(strSource.c_str(), dwSource) ? dwSource : dwCopied;
}

/// Moves the finished temporary file over the target. A read-only target
/// cannot be replaced, so its protecting attributes are cleared just
/// before the move and put back if the move fails.
bool MoveOverTarget(IDriverFileSystem& fileSystem, CTemporaryFile& temp, const std::string& strTarget) {
    uint32_t dwOld = 0;
    const bool bProtected =
        fileSystem.GetAttributes(strTarget.c_str(), dwOld) && (dwOld & kAttributesProtected) != 0;
    if (bProtected && !fileSystem.SetAttributes(strTarget.c_str(), dwOld & ~kAttributesProtected))
        return false;
    if (!fileSystem.MoveIntoPlace(temp.Path(), strTarget.c_str(), true)) {
        if (bProtected) fileSystem.SetAttributes(strTarget.c_str(), dwOld);
        return false;
    }
    temp.Release();
    return true;
}

/// Copies the source into a new temporary file beside the target and
/// flushes it, with the source's attributes plus `dwAdd` less `dwRemove`.
bool CopyIntoTemporary(IDriverFileSystem& fileSystem, CTemporaryFile& temp, const std::string& strSource,
                       const std::string& strTarget, uint32_t dwAdd, uint32_t dwRemove) {
    if (!temp.Create(DirectoryOf(strTarget))) return false;
    if (!fileSystem.Copy(strSource.c_str(), temp.Path(), false)) return false;
    uint32_t dwCopied = 0;
    if (!fileSystem.GetAttributes(temp.Path(), dwCopied)) return false;
    const uint32_t dwFinal = (SourceAttributes(fileSystem, strSource, dwCopied) | dwAdd) & ~dwRemove;
    return FlushWithAttributes(fileSystem, temp.Path(), dwCopied, dwFinal);
}

}  // namespace

std::string DirectoryOf(const std::string& strPath) {
    const char* pAfterSeparator = nullptr;
    for (const char* p = strPath.c_str(); *p != '\0'; p = NextAnsiChar(p)) {
        if (*p == '\\' || *p == '/' || (*p == ':' && p == strPath.c_str() + 1)) pAfterSeparator = p + 1;
    }
    if (pAfterSeparator == nullptr) return ".";
    return std::string(strPath.c_str(), pAfterSeparator);
}

bool CopyAsNewFile(const std::string& strSource, const std::string& strTarget, uint32_t dwAddAttributes) {
    IDriverFileSystem& fileSystem = DriverFileSystem();
    CTemporaryFile temp(fileSystem);
    if (!CopyIntoTemporary(fileSystem, temp, strSource, strTarget, dwAddAttributes, 0)) return false;
    // Without replacing: a file that appeared at the target meanwhile stays.
    if (!fileSystem.MoveIntoPlace(temp.Path(), strTarget.c_str(), false)) return false;
    temp.Release();
    return true;
}

bool ReplaceWithImage(const std::string& strTarget, const uint8_t* pData, uint32_t cbData,
                      const SFileRecord* pTimes) {
    IDriverFileSystem& fileSystem = DriverFileSystem();
    CTemporaryFile temp(fileSystem);
    if (!temp.Create(DirectoryOf(strTarget))) return false;
    if (!fileSystem.WriteAndFlush(temp.Path(), pData, cbData)) return false;
    uint32_t dwTarget = 0;
    if (fileSystem.GetAttributes(strTarget.c_str(), dwTarget)) {
        const uint32_t dwWanted = dwTarget & ~kAttributesProtected;
        uint32_t dwTemp = 0;
        if (!fileSystem.GetAttributes(temp.Path(), dwTemp) || dwTemp != dwWanted)
            fileSystem.SetAttributes(temp.Path(), dwWanted);
    }
    if (pTimes != nullptr)
        fileSystem.SetCreationAndWriteTimes(temp.Path(), pTimes->qwCreationTime, pTimes->qwLastWriteTime);
    return MoveOverTarget(fileSystem, temp, strTarget);
}

bool ReplaceWithCopy(const std::string& strTarget, const std::string& strSource) {
    IDriverFileSystem& fileSystem = DriverFileSystem();
    CTemporaryFile temp(fileSystem);
    if (!CopyIntoTemporary(fileSystem, temp, strSource, strTarget, 0, kAttributesProtected)) return false;
    return MoveOverTarget(fileSystem, temp, strTarget);
}
