// Owns an open registry key and closes it on every path.
#pragma once

#include <windows.h>

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    /// Opens an existing key; false when it cannot be opened.
    bool Open(HKEY hParent, const char* pszPath, REGSAM samDesired) {
        Close();
        return RegOpenKeyExA(hParent, pszPath, 0, samDesired, &m_hKey) == ERROR_SUCCESS || Reset();
    }
    /// Creates the key and the missing keys on its path, or opens it.
    bool Create(HKEY hParent, const char* pszPath, REGSAM samDesired) {
        Close();
        return RegCreateKeyExA(hParent, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, samDesired, nullptr,
                               &m_hKey, nullptr) == ERROR_SUCCESS ||
               Reset();
    }
    void Close() {
        if (m_hKey) RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    HKEY Get() const { return m_hKey; }

private:
    bool Reset() {
        m_hKey = nullptr;
        return false;
    }
    HKEY m_hKey = nullptr;
};
