// Reading the registry below HKEY_LOCAL_MACHINE, the five operations that the
// inventory needs, in the shape of the ANSI registry functions. The Windows
// build reads the real registry; tests put a tree of their own in its place.
#pragma once

#include <cstdint>

/// An open key, or the root. Opaque: only the reader that returned it knows it.
using RegistryKeyHandle = struct SOpaqueRegistryKey*;

/// Result of every operation: 0 is success, anything else a system error code.
constexpr long kRegistrySuccess = 0;
/// The value type of a string (REG_SZ).
constexpr std::uint32_t kRegistryTypeString = 1;
/// Size of every name and data buffer that the inventory hands to the reader.
constexpr std::uint32_t kRegistryBufferSize = 128;

/// The registry operations. Buffer lengths go in as the buffer's size and come
/// back as the registry functions set them; a name or data that does not fit
/// gives a non-zero result.
class IRegistryReader {
public:
    virtual ~IRegistryReader() = default;

    /// HKEY_LOCAL_MACHINE. Never closed.
    virtual RegistryKeyHandle LocalMachine() = 0;

    /// RegOpenKeyExA(hParent, pszSubKey, 0, KEY_READ): on success hKey is open
    /// and must be closed with CloseKey.
    virtual long OpenKey(RegistryKeyHandle hParent, const char* pszSubKey, RegistryKeyHandle& hKey) = 0;

    /// RegEnumValueA: the value at nIndex, its name (cchName in characters,
    /// out without the terminating zero), its type and its data (cbData bytes).
    virtual long EnumValue(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                           std::uint32_t& cchName, std::uint32_t& dwType, unsigned char* pData,
                           std::uint32_t& cbData) = 0;

    /// RegEnumKeyExA: the name of the subkey at nIndex, without class or time.
    virtual long EnumKey(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                         std::uint32_t& cchName) = 0;

    /// RegQueryValueExA: the type and data of the named value.
    virtual long QueryValue(RegistryKeyHandle hKey, const char* pszValueName, std::uint32_t& dwType,
                            unsigned char* pData, std::uint32_t& cbData) = 0;

    /// RegCloseKey.
    virtual long CloseKey(RegistryKeyHandle hKey) = 0;
};

/// The installed reader. Windows builds start with the real registry, other
/// builds with an empty one in which no key exists.
IRegistryReader& RegistryReader();

/// Installs a reader, or with null the start-up one again. Not owned.
void SetRegistryReader(IRegistryReader* pReader);

/// An open key of the installed reader, closed when the holder goes.
class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    /// Opens pszSubKey below hParent for reading; false when it is absent or
    /// cannot be read. Closes whatever the holder held before.
    bool Open(RegistryKeyHandle hParent, const char* pszSubKey);

    /// Closes the key now; the holder is empty afterwards.
    void Close();

    bool IsOpen() const { return m_hKey != nullptr; }
    RegistryKeyHandle Get() const { return m_hKey; }

private:
    RegistryKeyHandle m_hKey = nullptr;
    IRegistryReader* m_pReader = nullptr;  ///< the reader that opened the key
};
