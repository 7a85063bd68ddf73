// The registry reader over the ANSI registry functions.
#include <windows.h>

#include "inventory/RegistryReader.h"

static_assert(kRegistryTypeString == REG_SZ, "string value type");
static_assert(kRegistrySuccess == ERROR_SUCCESS, "success result");

namespace {

HKEY ToHkey(RegistryKeyHandle hKey) { return reinterpret_cast<HKEY>(hKey); }
RegistryKeyHandle FromHkey(HKEY hKey) { return reinterpret_cast<RegistryKeyHandle>(hKey); }

class CWin32RegistryReader final : public IRegistryReader {
public:
    RegistryKeyHandle LocalMachine() override { return FromHkey(HKEY_LOCAL_MACHINE); }

    long OpenKey(RegistryKeyHandle hParent, const char* pszSubKey, RegistryKeyHandle& hKey) override {
        HKEY hOpened = nullptr;
        const LONG lResult = RegOpenKeyExA(ToHkey(hParent), pszSubKey, 0, KEY_READ, &hOpened);
        hKey = lResult == ERROR_SUCCESS ? FromHkey(hOpened) : nullptr;
        return lResult;
    }

    long EnumValue(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName, std::uint32_t& cchName,
                   std::uint32_t& dwType, unsigned char* pData, std::uint32_t& cbData) override {
        DWORD cch = cchName;
        DWORD type = dwType;
        DWORD cb = cbData;
        const LONG lResult = RegEnumValueA(ToHkey(hKey), nIndex, pszName, &cch, nullptr, &type, pData, &cb);
        cchName = cch;
        dwType = type;
        cbData = cb;
        return lResult;
    }

    long EnumKey(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                 std::uint32_t& cchName) override {
        DWORD cch = cchName;
        const LONG lResult =
            RegEnumKeyExA(ToHkey(hKey), nIndex, pszName, &cch, nullptr, nullptr, nullptr, nullptr);
        cchName = cch;
        return lResult;
    }

    long QueryValue(RegistryKeyHandle hKey, const char* pszValueName, std::uint32_t& dwType,
                    unsigned char* pData, std::uint32_t& cbData) override {
        DWORD type = dwType;
        DWORD cb = cbData;
        const LONG lResult = RegQueryValueExA(ToHkey(hKey), pszValueName, nullptr, &type, pData, &cb);
        dwType = type;
        cbData = cb;
        return lResult;
    }

    long CloseKey(RegistryKeyHandle hKey) override { return RegCloseKey(ToHkey(hKey)); }
};

}  // namespace

IRegistryReader& SystemRegistryReader() {
    static CWin32RegistryReader s_reader;
    return s_reader;
}
