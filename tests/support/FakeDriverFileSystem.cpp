#include "tests/support/FakeDriverFileSystem.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

std::string DirectoryWithSeparator(const std::string& strPath) {
    if (!strPath.empty() && strPath.back() == '\\') return strPath;
    return strPath + '\\';
}

std::string ParentOf(const std::string& strPath) {
    const size_t n = strPath.find_last_of("\\/");
    return n == std::string::npos ? std::string() : strPath.substr(0, n + 1);
}

}  // namespace

const char* FakeFileOpName(EFakeFileOp op) {
    switch (op) {
        case EFakeFileOp::SystemDirectory:
            return "SystemDirectory";
        case EFakeFileOp::FileExists:
            return "FileExists";
        case EFakeFileOp::LookUp:
            return "LookUp";
        case EFakeFileOp::ReadBytes:
            return "ReadBytes";
        case EFakeFileOp::Copy:
            return "Copy";
        case EFakeFileOp::GetAttributes:
            return "GetAttributes";
        case EFakeFileOp::SetAttributes:
            return "SetAttributes";
        case EFakeFileOp::SetTimes:
            return "SetTimes";
        case EFakeFileOp::CreateTemporaryFile:
            return "CreateTemporaryFile";
        case EFakeFileOp::WriteAndFlush:
            return "WriteAndFlush";
        case EFakeFileOp::Flush:
            return "Flush";
        case EFakeFileOp::MoveIntoPlace:
            return "MoveIntoPlace";
        case EFakeFileOp::RemoveFile:
            return "RemoveFile";
    }
    return "?";
}

CFakeDriverFileSystem::CFakeDriverFileSystem() : m_strSystemDirectory("C:\\WINDOWS\\system32") {}

void CFakeDriverFileSystem::PutFileEntry(const std::string& strPath, const SFakeFile& file) {
    SFakeFile stored = file;
    if (stored.qwCreationTime == 0) stored.qwCreationTime = Tick();
    if (stored.qwLastWriteTime == 0) stored.qwLastWriteTime = Tick();
    if (stored.qwLastAccessTime == 0) stored.qwLastAccessTime = Tick();
    m_files[strPath] = stored;
}

void CFakeDriverFileSystem::PutFile(const std::string& strPath, const std::vector<uint8_t>& content,
                                    uint32_t dwAttributes) {
    SFakeFile file;
    file.content = content;
    file.dwAttributes = dwAttributes;
    PutFileEntry(strPath, file);
}

void CFakeDriverFileSystem::SetDirectoryWritable(const std::string& strDirectory, bool bWritable) {
    if (bWritable) {
        m_readOnlyDirectories.erase(DirectoryWithSeparator(strDirectory));
    } else {
        m_readOnlyDirectories.insert(DirectoryWithSeparator(strDirectory));
    }
}

void CFakeDriverFileSystem::SetLocked(const std::string& strPath, bool bLocked) {
    if (bLocked) {
        m_locked.insert(strPath);
    } else {
        m_locked.erase(strPath);
    }
}

void CFakeDriverFileSystem::FailOn(EFakeFileOp op, const std::string& strPath) {
    m_failures.push_back({op, strPath, 0, false});
}

void CFakeDriverFileSystem::FailOnce(EFakeFileOp op, int nSkip) {
    m_failures.push_back({op, "", nSkip, true});
}

void CFakeDriverFileSystem::ClearFailures() {
    m_failures.clear();
    m_cbPartialWrite = UINT32_MAX;
}

const SFakeFile& CFakeDriverFileSystem::File(const std::string& strPath) const {
    auto it = m_files.find(strPath);
    if (it == m_files.end()) throw std::out_of_range("no fake file " + strPath);
    return it->second;
}

std::vector<std::string> CFakeDriverFileSystem::FilePaths() const {
    std::vector<std::string> paths;
    for (const auto& entry : m_files) paths.push_back(entry.first);
    return paths;
}

int CFakeDriverFileSystem::CallCount(EFakeFileOp op) const {
    return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(),
                                          [op](const SFakeFileCall& call) { return call.op == op; }));
}

bool CFakeDriverFileSystem::WasCalled(EFakeFileOp op, const std::string& strPath) const {
    return std::any_of(m_calls.begin(), m_calls.end(), [&](const SFakeFileCall& call) {
        return call.op == op && (call.strPath == strPath || call.strOtherPath == strPath);
    });
}

bool CFakeDriverFileSystem::ChangedAnything() const {
    return std::any_of(m_calls.begin(), m_calls.end(), [](const SFakeFileCall& call) {
        switch (call.op) {
            case EFakeFileOp::Copy:
            case EFakeFileOp::SetAttributes:
            case EFakeFileOp::SetTimes:
            case EFakeFileOp::CreateTemporaryFile:
            case EFakeFileOp::WriteAndFlush:
            case EFakeFileOp::MoveIntoPlace:
            case EFakeFileOp::RemoveFile:
                return call.bSucceeded;
            default:
                return false;
        }
    });
}

bool CFakeDriverFileSystem::Record(EFakeFileOp op, const std::string& strPath, const std::string& strOther,
                                   bool bResult) {
    m_calls.push_back({op, strPath, strOther, bResult});
    return bResult;
}

bool CFakeDriverFileSystem::ShouldFail(EFakeFileOp op, const std::string& strPath,
                                       const std::string& strOther) {
    for (auto it = m_failures.begin(); it != m_failures.end(); ++it) {
        if (it->op != op) continue;
        if (!it->strPath.empty() && it->strPath != strPath && it->strPath != strOther) continue;
        if (it->nSkip > 0) {
            --it->nSkip;
            continue;
        }
        if (it->bOnce) m_failures.erase(it);
        return true;
    }
    return false;
}

bool CFakeDriverFileSystem::CanCreateIn(const std::string& strPath) const {
    return m_readOnlyDirectories.count(ParentOf(strPath)) == 0;
}

SFakeFile* CFakeDriverFileSystem::Find(const std::string& strPath) {
    auto it = m_files.find(strPath);
    return it == m_files.end() ? nullptr : &it->second;
}

bool CFakeDriverFileSystem::SystemDirectory(std::string& strDirectory) {
    if (ShouldFail(EFakeFileOp::SystemDirectory, "", "") || m_strSystemDirectory.empty())
        return Record(EFakeFileOp::SystemDirectory, "", "", false);
    strDirectory = m_strSystemDirectory;
    return Record(EFakeFileOp::SystemDirectory, "", "", true);
}

bool CFakeDriverFileSystem::FileExists(const char* pszPath) {
    const bool bExists = !ShouldFail(EFakeFileOp::FileExists, pszPath, "") && Find(pszPath) != nullptr;
    return Record(EFakeFileOp::FileExists, pszPath, "", bExists);
}

bool CFakeDriverFileSystem::LookUp(const char* pszPath, SFileRecord& record) {
    const SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::LookUp, pszPath, "") || pFile == nullptr)
        return Record(EFakeFileOp::LookUp, pszPath, "", false);
    record.qwSize = pFile->content.size();
    record.qwCreationTime = pFile->qwCreationTime;
    record.qwLastWriteTime = pFile->qwLastWriteTime;
    return Record(EFakeFileOp::LookUp, pszPath, "", true);
}

bool CFakeDriverFileSystem::ReadBytes(const char* pszPath, uint64_t qwOffset, uint8_t* pBuffer,
                                      uint32_t cbWanted, uint32_t& cbRead) {
    cbRead = 0;
    const SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::ReadBytes, pszPath, "") || pFile == nullptr || IsLocked(pszPath))
        return Record(EFakeFileOp::ReadBytes, pszPath, "", false);
    if (qwOffset < pFile->content.size()) {
        const uint64_t cbAvailable = pFile->content.size() - qwOffset;
        cbRead = static_cast<uint32_t>(std::min<uint64_t>(cbAvailable, cbWanted));
        std::copy_n(pFile->content.begin() + static_cast<std::ptrdiff_t>(qwOffset), cbRead, pBuffer);
    }
    return Record(EFakeFileOp::ReadBytes, pszPath, "", true);
}

bool CFakeDriverFileSystem::Copy(const char* pszSource, const char* pszTarget, bool bFailIfExists) {
    const SFakeFile* pSource = Find(pszSource);
    SFakeFile* pTarget = Find(pszTarget);
    bool bOk =
        !ShouldFail(EFakeFileOp::Copy, pszSource, pszTarget) && pSource != nullptr && !IsLocked(pszSource);
    if (bOk && pTarget != nullptr) {
        bOk = !bFailIfExists && !IsLocked(pszTarget) && (pTarget->dwAttributes & kAttributeReadOnly) == 0;
    } else if (bOk) {
        bOk = CanCreateIn(pszTarget);
    }
    if (!bOk) return Record(EFakeFileOp::Copy, pszSource, pszTarget, false);
    SFakeFile copy = *pSource;
    copy.qwCreationTime = pTarget != nullptr ? pTarget->qwCreationTime : Tick();
    copy.qwLastAccessTime = Tick();
    m_files[pszTarget] = copy;
    return Record(EFakeFileOp::Copy, pszSource, pszTarget, true);
}

bool CFakeDriverFileSystem::GetAttributes(const char* pszPath, uint32_t& dwAttributes) {
    const SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::GetAttributes, pszPath, "") || pFile == nullptr)
        return Record(EFakeFileOp::GetAttributes, pszPath, "", false);
    dwAttributes = pFile->dwAttributes;
    return Record(EFakeFileOp::GetAttributes, pszPath, "", true);
}

bool CFakeDriverFileSystem::SetAttributes(const char* pszPath, uint32_t dwAttributes) {
    SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::SetAttributes, pszPath, "") || pFile == nullptr)
        return Record(EFakeFileOp::SetAttributes, pszPath, "", false);
    pFile->dwAttributes = dwAttributes;
    return Record(EFakeFileOp::SetAttributes, pszPath, "", true);
}

bool CFakeDriverFileSystem::SetCreationAndWriteTimes(const char* pszPath, uint64_t qwCreationTime,
                                                     uint64_t qwLastWriteTime) {
    SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::SetTimes, pszPath, "") || pFile == nullptr || IsLocked(pszPath))
        return Record(EFakeFileOp::SetTimes, pszPath, "", false);
    pFile->qwCreationTime = qwCreationTime;
    pFile->qwLastWriteTime = qwLastWriteTime;
    return Record(EFakeFileOp::SetTimes, pszPath, "", true);
}

bool CFakeDriverFileSystem::CreateTemporaryFile(const std::string& strDirectory, std::string& strPath) {
    const std::string strDir = DirectoryWithSeparator(strDirectory);
    if (ShouldFail(EFakeFileOp::CreateTemporaryFile, strDir, "") || m_readOnlyDirectories.count(strDir) != 0)
        return Record(EFakeFileOp::CreateTemporaryFile, strDir, "", false);
    char szName[16];
    std::snprintf(szName, sizeof szName, "lcf%X.tmp", ++m_nTemporary & 0xFFFF);
    strPath = strDir + szName;
    SFakeFile file;
    file.qwCreationTime = file.qwLastWriteTime = file.qwLastAccessTime = Tick();
    m_files[strPath] = file;
    return Record(EFakeFileOp::CreateTemporaryFile, strDir, strPath, true);
}

bool CFakeDriverFileSystem::WriteAndFlush(const char* pszPath, const uint8_t* pData, uint32_t cbData) {
    SFakeFile* pFile = Find(pszPath);
    if (ShouldFail(EFakeFileOp::WriteAndFlush, pszPath, "") || pFile == nullptr || IsLocked(pszPath) ||
        (pFile->dwAttributes & kAttributeReadOnly) != 0)
        return Record(EFakeFileOp::WriteAndFlush, pszPath, "", false);
    const uint32_t cbWritten = std::min(cbData, m_cbPartialWrite);
    pFile->content.assign(pData, pData + cbWritten);
    pFile->qwLastWriteTime = Tick();
    return Record(EFakeFileOp::WriteAndFlush, pszPath, "", cbWritten == cbData);
}

bool CFakeDriverFileSystem::Flush(const char* pszPath) {
    const SFakeFile* pFile = Find(pszPath);
    const bool bOk = !ShouldFail(EFakeFileOp::Flush, pszPath, "") && pFile != nullptr && !IsLocked(pszPath) &&
                     (pFile->dwAttributes & kAttributeReadOnly) == 0;
    return Record(EFakeFileOp::Flush, pszPath, "", bOk);
}

bool CFakeDriverFileSystem::MoveIntoPlace(const char* pszSource, const char* pszTarget,
                                          bool bReplaceExisting) {
    const SFakeFile* pSource = Find(pszSource);
    const SFakeFile* pTarget = Find(pszTarget);
    bool bOk = !ShouldFail(EFakeFileOp::MoveIntoPlace, pszSource, pszTarget) && pSource != nullptr &&
               !IsLocked(pszSource);
    if (bOk && pTarget != nullptr) {
        bOk = bReplaceExisting && !IsLocked(pszTarget) && (pTarget->dwAttributes & kAttributeReadOnly) == 0;
    } else if (bOk) {
        bOk = CanCreateIn(pszTarget);
    }
    if (!bOk) return Record(EFakeFileOp::MoveIntoPlace, pszSource, pszTarget, false);
    SFakeFile moved = *pSource;
    m_files.erase(pszSource);
    m_files[pszTarget] = moved;
    return Record(EFakeFileOp::MoveIntoPlace, pszSource, pszTarget, true);
}

bool CFakeDriverFileSystem::RemoveFile(const char* pszPath) {
    const bool bOk = !ShouldFail(EFakeFileOp::RemoveFile, pszPath, "") && Find(pszPath) != nullptr &&
                     !IsLocked(pszPath) && CanCreateIn(pszPath);
    if (bOk) m_files.erase(pszPath);
    return Record(EFakeFileOp::RemoveFile, pszPath, "", bOk);
}
