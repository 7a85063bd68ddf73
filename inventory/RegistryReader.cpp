#include "inventory/RegistryReader.h"

namespace {

#ifndef _WIN32
// The registry of a build without Windows: no key exists.
class CEmptyRegistryReader final : public IRegistryReader {
public:
    static constexpr long kNotFound = 2;  // ERROR_FILE_NOT_FOUND

    RegistryKeyHandle LocalMachine() override { return reinterpret_cast<RegistryKeyHandle>(&m_root); }
    long OpenKey(RegistryKeyHandle, const char*, RegistryKeyHandle& hKey) override {
        hKey = nullptr;
        return kNotFound;
    }
    long EnumValue(RegistryKeyHandle, std::uint32_t, char*, std::uint32_t&, std::uint32_t&, unsigned char*,
                   std::uint32_t&) override {
        return kNotFound;
    }
    long EnumKey(RegistryKeyHandle, std::uint32_t, char*, std::uint32_t&) override { return kNotFound; }
    long QueryValue(RegistryKeyHandle, const char*, std::uint32_t&, unsigned char*, std::uint32_t&) override {
        return kNotFound;
    }
    long CloseKey(RegistryKeyHandle) override { return kRegistrySuccess; }

private:
    char m_root = 0;
};
#endif

IRegistryReader* g_pRegistryReader = nullptr;

}  // namespace

#ifdef _WIN32
IRegistryReader& SystemRegistryReader();  // Win32RegistryReader.cpp
#endif

IRegistryReader& RegistryReader() {
    if (g_pRegistryReader != nullptr) return *g_pRegistryReader;
#ifdef _WIN32
    return SystemRegistryReader();
#else
    static CEmptyRegistryReader s_empty;
    return s_empty;
#endif
}

void SetRegistryReader(IRegistryReader* pReader) { g_pRegistryReader = pReader; }

bool CRegistryKey::Open(RegistryKeyHandle hParent, const char* pszSubKey) {
    Close();
    IRegistryReader& reader = RegistryReader();
    RegistryKeyHandle hKey = nullptr;
    if (reader.OpenKey(hParent, pszSubKey, hKey) != kRegistrySuccess || hKey == nullptr) return false;
    m_hKey = hKey;
    m_pReader = &reader;
    return true;
}

void CRegistryKey::Close() {
    if (m_hKey == nullptr) return;
    m_pReader->CloseKey(m_hKey);
    m_hKey = nullptr;
    m_pReader = nullptr;
}
