// Loads a library of the system by its full path in the system directory, so
// that a file of the same name beside the program or in the current directory
// is never picked up instead. Works on every Windows from XP on (the newer
// LoadLibraryEx search flags do not).
#pragma once

#include <windows.h>

#include <cstring>

/// Loads `pszName` (a bare file name) from the system directory; null when
/// the directory is unknown, the path would not fit or the library is absent.
inline HMODULE LoadSystemLibrary(const char* pszName) {
    char szPath[MAX_PATH];
    const UINT cchDir = GetSystemDirectoryA(szPath, MAX_PATH);
    if (cchDir == 0 || cchDir >= MAX_PATH) return nullptr;
    const size_t cchName = std::strlen(pszName);
    const bool bNeedSlash = szPath[cchDir - 1] != '\\';
    if (cchDir + (bNeedSlash ? 1 : 0) + cchName >= MAX_PATH) return nullptr;
    char* p = szPath + cchDir;
    if (bNeedSlash) *p++ = '\\';
    std::memcpy(p, pszName, cchName + 1);
    return LoadLibraryA(szPath);
}
