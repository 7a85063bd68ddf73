// The three driver paths and the extension swap.
#include <cstring>

#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "strings/AnsiText.h"
#include "strings/AssembledStrings.h"

std::string g_strDriverPath;
std::string g_strBackupPath;
std::string g_strSparePath;

namespace {

// The limits of a path and of the pieces it splits into: a 260-byte buffer
// with its terminating zero; a directory and a base name of 255 characters.
constexpr size_t kMaxPathChars = 259;
constexpr size_t kMaxPieceChars = 255;

struct SPathPieces {
    std::string strDrive;
    std::string strDirectory;  ///< with its trailing separator
    std::string strBase;
    std::string strExtension;  ///< with its leading dot
};

bool IsAsciiLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

/// Splits a path into drive, directory, base name and extension; double-byte
/// characters are taken whole, so a trail byte never counts as a separator
/// or a dot.
SPathPieces SplitPath(const char* pszPath) {
    SPathPieces pieces;
    const char* p = pszPath;
    if (IsAsciiLetter(p[0]) && p[1] == ':') {
        pieces.strDrive.assign(p, 2);
        p += 2;
    }
    const char* pAfterSeparator = p;
    const char* pLastDot = nullptr;
    for (const char* q = p; *q != '\0'; q = NextAnsiChar(q)) {
        if (*q == '\\' || *q == '/') {
            pAfterSeparator = q + 1;
        } else if (*q == '.') {
            pLastDot = q;
        }
    }
    pieces.strDirectory.assign(p, pAfterSeparator);
    const char* pEnd = pAfterSeparator + std::strlen(pAfterSeparator);
    const char* pBaseEnd = (pLastDot != nullptr && pLastDot >= pAfterSeparator) ? pLastDot : pEnd;
    pieces.strBase.assign(pAfterSeparator, pBaseEnd);
    pieces.strExtension.assign(pBaseEnd, pEnd);
    return pieces;
}

bool EndsInSeparator(const std::string& strText) {
    const char* pLast = nullptr;
    for (const char* p = strText.c_str(); *p != '\0'; p = NextAnsiChar(p)) pLast = p;
    return pLast != nullptr && pLast[1] == '\0' && (*pLast == '\\' || *pLast == '/');
}

/// Drive, directory (a separator added unless it ends in one), base name and
/// extension (a dot added unless it starts with one).
std::string ComposePath(const std::string& strDrive, const std::string& strDirectory,
                        const std::string& strBase, const std::string& strExtension) {
    std::string strPath = strDrive;
    if (!strDirectory.empty()) {
        strPath += strDirectory;
        if (!EndsInSeparator(strDirectory)) strPath += '\\';
    }
    strPath += strBase;
    if (!strExtension.empty()) {
        if (strExtension[0] != '.') strPath += '.';
        strPath += strExtension;
    }
    return strPath;
}

/// The path with another extension; false when it or its pieces exceed the
/// path limits.
bool WithExtension(const char* pszPath, const char* pszExtension, std::string& strResult) {
    const SPathPieces pieces = SplitPath(pszPath);
    if (pieces.strDirectory.size() > kMaxPieceChars || pieces.strBase.size() > kMaxPieceChars) return false;
    std::string strPath = ComposePath(pieces.strDrive, pieces.strDirectory, pieces.strBase, pszExtension);
    if (strPath.size() > kMaxPathChars) return false;
    strResult.swap(strPath);
    return true;
}

}  // namespace

void ReplaceExtension(char* pszPath, const char* pszExtension) {
    if (pszPath == nullptr || pszExtension == nullptr) return;
    // A buffer without its terminating zero is no path; leave it alone.
    if (std::memchr(pszPath, '\0', kMaxPathChars + 1) == nullptr) return;
    std::string strResult;
    if (!WithExtension(pszPath, pszExtension, strResult)) return;
    std::memcpy(pszPath, strResult.c_str(), strResult.size() + 1);
}

bool BuildDriverPaths() {
    std::string strSystem;
    if (!DriverFileSystem().SystemDirectory(strSystem) || strSystem.empty()) return false;
    if (strSystem.find('\0') != std::string::npos) return false;
    const std::string strDirectory = strSystem + DriverDirSuffix;
    const std::string strDriver = ComposePath("", strDirectory, DriverBaseName, DriverExtension);
    if (strDriver.size() > kMaxPathChars) return false;

    // Each path must also survive the split that ReplaceExtension makes, so
    // check it by making the copies' paths through the same rule.
    std::string strSameAgain, strBackup, strSpare;
    if (!WithExtension(strDriver.c_str(), DriverExtension, strSameAgain) || strSameAgain != strDriver)
        return false;
    if (!WithExtension(strDriver.c_str(), BackupExtension, strBackup)) return false;
    if (!WithExtension(strBackup.c_str(), SpareExtension, strSpare)) return false;

    g_strDriverPath = strDriver;
    g_strBackupPath = strBackup;
    g_strSparePath = strSpare;
    return true;
}
