// An in-memory registry for tests: a tree of keys below HKEY_LOCAL_MACHINE,
// each with its subkeys and its values in enumeration order (the order in
// which a test adds them), every value with a type and its bytes. It behaves
// like the ANSI registry functions on buffer sizes and results, counts the
// keys it opens and closes, and can be told to refuse a key or to fail or
// throw at one call.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "inventory/RegistryReader.h"

class CFakeRegistry final : public IRegistryReader {
public:
    // The system error codes the fake returns.
    static constexpr long kFileNotFound = 2;   // ERROR_FILE_NOT_FOUND
    static constexpr long kAccessDenied = 5;   // ERROR_ACCESS_DENIED
    static constexpr long kInvalidHandle = 6;  // ERROR_INVALID_HANDLE
    static constexpr long kMoreData = 234;     // ERROR_MORE_DATA
    static constexpr long kNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

    // Value types.
    static constexpr std::uint32_t kNone = 0, kString = 1, kExpandString = 2, kBinary = 3, kDword = 4,
                                   kMultiString = 7, kQword = 11;

    CFakeRegistry();
    ~CFakeRegistry() override;
    CFakeRegistry(const CFakeRegistry&) = delete;
    CFakeRegistry& operator=(const CFakeRegistry&) = delete;

    /// Creates the key at a backslash-separated path below the root, with
    /// every key on the way. Existing keys keep their place.
    void AddKey(const std::string& strPath);
    /// Sets a value with its type and bytes, creating the key; a value of
    /// that name is replaced in its place.
    void SetValue(const std::string& strPath, const std::string& strName, std::uint32_t dwType,
                  const std::string& strBytes);
    /// A string value, stored with its terminating zero.
    void SetString(const std::string& strPath, const std::string& strName, const std::string& strText);
    /// Opening this key fails with access denied; it still shows in enumerations.
    void DenyOpen(const std::string& strPath);

    /// Call number nCall (counted from 1 over the opens, enumerations and
    /// queries since the last ResetCounters) fails with lResult, or with
    /// bThrow raises std::bad_alloc. Closing always works.
    void FailCall(int nCall, long lResult, bool bThrow = false);
    /// Clears the counters and the planned failure; the tree stays.
    void ResetCounters();

    /// Opens, enumerations and queries so far.
    int GetCallCount() const { return m_nCalls; }
    int GetOpenCount() const { return m_nOpens; }
    int GetCloseCount() const { return m_nCloses; }
    /// Keys opened and not yet closed.
    int GetOpenKeyCount() const { return static_cast<int>(m_openHandles.size()); }
    /// Closes of something that was no open key (a root, a closed key, garbage).
    int GetBadCloseCount() const { return m_nBadCloses; }
    /// Calls whose buffers were not of kRegistryBufferSize bytes, filled with
    /// zero bytes, with their lengths set to that size.
    int GetUnpreparedBufferCount() const { return m_nUnpreparedBuffers; }
    /// The paths of the keys opened, in order, as the caller named them.
    const std::vector<std::string>& GetOpenedPaths() const { return m_arOpenedPaths; }

    RegistryKeyHandle LocalMachine() override;
    long OpenKey(RegistryKeyHandle hParent, const char* pszSubKey, RegistryKeyHandle& hKey) override;
    long EnumValue(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName, std::uint32_t& cchName,
                   std::uint32_t& dwType, unsigned char* pData, std::uint32_t& cbData) override;
    long EnumKey(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                 std::uint32_t& cchName) override;
    long QueryValue(RegistryKeyHandle hKey, const char* pszValueName, std::uint32_t& dwType,
                    unsigned char* pData, std::uint32_t& cbData) override;
    long CloseKey(RegistryKeyHandle hKey) override;

private:
    struct SValue {
        std::string strName;
        std::uint32_t dwType;
        std::string strBytes;
    };
    struct SKey {
        std::string strName;
        std::string strPath;
        bool bDenyOpen = false;
        std::vector<std::unique_ptr<SKey>> arSubKeys;
        std::vector<SValue> arValues;
    };
    struct SHandle {
        SKey* pKey;
    };

    SKey& MakeKey(const std::string& strPath);
    /// The key that a handle stands for, or null.
    SKey* KeyOf(RegistryKeyHandle hKey);
    /// Counts a call; true when it is the one planned to fail (or throws).
    bool PlannedFailure(long& lResult);
    void CheckBuffer(const void* pBuffer, std::uint32_t cb);

    SKey m_root;
    std::set<SHandle*> m_openHandles;
    int m_nCalls = 0;
    int m_nOpens = 0;
    int m_nCloses = 0;
    int m_nBadCloses = 0;
    int m_nUnpreparedBuffers = 0;
    int m_nFailCall = 0;
    long m_lFailResult = 0;
    bool m_bFailThrows = false;
    std::vector<std::string> m_arOpenedPaths;
};
