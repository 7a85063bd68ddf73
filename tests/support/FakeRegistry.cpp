#include "tests/support/FakeRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Registry names compare without regard to ASCII letter case.
bool NameEquals(const std::string& strA, const std::string& strB) {
    return strA.size() == strB.size() &&
           std::equal(strA.begin(), strA.end(), strB.begin(), [](char a, char b) {
               auto fold = [](char ch) {
                   return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
               };
               return fold(a) == fold(b);
           });
}

std::vector<std::string> SplitPath(const std::string& strPath) {
    std::vector<std::string> arParts;
    size_t nStart = 0;
    for (;;) {
        const size_t nSep = strPath.find('\\', nStart);
        arParts.push_back(
            strPath.substr(nStart, nSep == std::string::npos ? std::string::npos : nSep - nStart));
        if (nSep == std::string::npos) break;
        nStart = nSep + 1;
    }
    return arParts;
}

}  // namespace

CFakeRegistry::CFakeRegistry() = default;

CFakeRegistry::~CFakeRegistry() {
    for (SHandle* pHandle : m_openHandles) delete pHandle;
}

CFakeRegistry::SKey& CFakeRegistry::MakeKey(const std::string& strPath) {
    SKey* pKey = &m_root;
    if (strPath.empty()) return *pKey;
    for (const std::string& strPart : SplitPath(strPath)) {
        auto it =
            std::find_if(pKey->arSubKeys.begin(), pKey->arSubKeys.end(),
                         [&](const std::unique_ptr<SKey>& sub) { return NameEquals(sub->strName, strPart); });
        if (it == pKey->arSubKeys.end()) {
            auto sub = std::make_unique<SKey>();
            sub->strName = strPart;
            sub->strPath = pKey == &m_root ? strPart : pKey->strPath + "\\" + strPart;
            pKey->arSubKeys.push_back(std::move(sub));
            pKey = pKey->arSubKeys.back().get();
        } else {
            pKey = it->get();
        }
    }
    return *pKey;
}

void CFakeRegistry::AddKey(const std::string& strPath) { MakeKey(strPath); }

void CFakeRegistry::SetValue(const std::string& strPath, const std::string& strName, std::uint32_t dwType,
                             const std::string& strBytes) {
    SKey& key = MakeKey(strPath);
    for (SValue& value : key.arValues) {
        if (NameEquals(value.strName, strName)) {
            value.dwType = dwType;
            value.strBytes = strBytes;
            return;
        }
    }
    key.arValues.push_back(SValue{strName, dwType, strBytes});
}

void CFakeRegistry::SetString(const std::string& strPath, const std::string& strName,
                              const std::string& strText) {
    SetValue(strPath, strName, kString, strText + std::string(1, '\0'));
}

void CFakeRegistry::DenyOpen(const std::string& strPath) { MakeKey(strPath).bDenyOpen = true; }

void CFakeRegistry::FailCall(int nCall, long lResult, bool bThrow) {
    m_nFailCall = nCall;
    m_lFailResult = lResult;
    m_bFailThrows = bThrow;
}

void CFakeRegistry::ResetCounters() {
    m_nCalls = m_nOpens = m_nCloses = m_nBadCloses = m_nUnpreparedBuffers = 0;
    m_nFailCall = 0;
    m_arOpenedPaths.clear();
}

RegistryKeyHandle CFakeRegistry::LocalMachine() { return reinterpret_cast<RegistryKeyHandle>(&m_root); }

CFakeRegistry::SKey* CFakeRegistry::KeyOf(RegistryKeyHandle hKey) {
    if (hKey == LocalMachine()) return &m_root;
    SHandle* pHandle = reinterpret_cast<SHandle*>(hKey);
    if (m_openHandles.count(pHandle) == 0) return nullptr;
    return pHandle->pKey;
}

bool CFakeRegistry::PlannedFailure(long& lResult) {
    ++m_nCalls;
    if (m_nCalls != m_nFailCall) return false;
    if (m_bFailThrows) throw std::bad_alloc();
    lResult = m_lFailResult;
    return true;
}

void CFakeRegistry::CheckBuffer(const void* pBuffer, std::uint32_t cb) {
    const unsigned char* p = static_cast<const unsigned char*>(pBuffer);
    if (p == nullptr || cb != kRegistryBufferSize ||
        std::any_of(p, p + kRegistryBufferSize, [](unsigned char ch) { return ch != 0; }))
        ++m_nUnpreparedBuffers;
}

long CFakeRegistry::OpenKey(RegistryKeyHandle hParent, const char* pszSubKey, RegistryKeyHandle& hKey) {
    hKey = nullptr;
    long lResult = 0;
    if (PlannedFailure(lResult)) return lResult;
    SKey* pKey = KeyOf(hParent);
    if (pKey == nullptr) return kInvalidHandle;
    const std::string strSubKey = pszSubKey != nullptr ? pszSubKey : "";
    if (!strSubKey.empty()) {
        // Every component must name a subkey: an empty one (a doubled or a
        // leading backslash) names none.
        for (const std::string& strPart : SplitPath(strSubKey)) {
            auto it = std::find_if(
                pKey->arSubKeys.begin(), pKey->arSubKeys.end(),
                [&](const std::unique_ptr<SKey>& sub) { return NameEquals(sub->strName, strPart); });
            if (strPart.empty() || it == pKey->arSubKeys.end()) return kFileNotFound;
            pKey = it->get();
        }
    }
    if (pKey->bDenyOpen) return kAccessDenied;
    SHandle* pHandle = new SHandle{pKey};
    m_openHandles.insert(pHandle);
    ++m_nOpens;
    m_arOpenedPaths.push_back(pKey->strPath);
    hKey = reinterpret_cast<RegistryKeyHandle>(pHandle);
    return 0;
}

long CFakeRegistry::EnumValue(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                              std::uint32_t& cchName, std::uint32_t& dwType, unsigned char* pData,
                              std::uint32_t& cbData) {
    CheckBuffer(pszName, cchName);
    CheckBuffer(pData, cbData);
    long lResult = 0;
    if (PlannedFailure(lResult)) return lResult;
    SKey* pKey = KeyOf(hKey);
    if (pKey == nullptr) return kInvalidHandle;
    if (nIndex >= pKey->arValues.size()) return kNoMoreItems;
    const SValue& value = pKey->arValues[nIndex];
    // The name needs room for its terminating zero, the data only for itself.
    if (value.strName.size() + 1 > cchName) return kMoreData;
    if (value.strBytes.size() > cbData) {
        cbData = static_cast<std::uint32_t>(value.strBytes.size());
        return kMoreData;
    }
    std::memcpy(pszName, value.strName.c_str(), value.strName.size() + 1);
    cchName = static_cast<std::uint32_t>(value.strName.size());
    dwType = value.dwType;
    std::memcpy(pData, value.strBytes.data(), value.strBytes.size());
    cbData = static_cast<std::uint32_t>(value.strBytes.size());
    return 0;
}

long CFakeRegistry::EnumKey(RegistryKeyHandle hKey, std::uint32_t nIndex, char* pszName,
                            std::uint32_t& cchName) {
    CheckBuffer(pszName, cchName);
    long lResult = 0;
    if (PlannedFailure(lResult)) return lResult;
    SKey* pKey = KeyOf(hKey);
    if (pKey == nullptr) return kInvalidHandle;
    if (nIndex >= pKey->arSubKeys.size()) return kNoMoreItems;
    const std::string& strName = pKey->arSubKeys[nIndex]->strName;
    if (strName.size() + 1 > cchName) return kMoreData;
    std::memcpy(pszName, strName.c_str(), strName.size() + 1);
    cchName = static_cast<std::uint32_t>(strName.size());
    return 0;
}

long CFakeRegistry::QueryValue(RegistryKeyHandle hKey, const char* pszValueName, std::uint32_t& dwType,
                               unsigned char* pData, std::uint32_t& cbData) {
    CheckBuffer(pData, cbData);
    long lResult = 0;
    if (PlannedFailure(lResult)) return lResult;
    SKey* pKey = KeyOf(hKey);
    if (pKey == nullptr) return kInvalidHandle;
    const std::string strName = pszValueName != nullptr ? pszValueName : "";
    auto it = std::find_if(pKey->arValues.begin(), pKey->arValues.end(),
                           [&](const SValue& value) { return NameEquals(value.strName, strName); });
    if (it == pKey->arValues.end()) return kFileNotFound;
    if (it->strBytes.size() > cbData) {
        cbData = static_cast<std::uint32_t>(it->strBytes.size());
        return kMoreData;
    }
    std::memcpy(pData, it->strBytes.data(), it->strBytes.size());
    dwType = it->dwType;
    cbData = static_cast<std::uint32_t>(it->strBytes.size());
    return 0;
}

long CFakeRegistry::CloseKey(RegistryKeyHandle hKey) {
    SHandle* pHandle = reinterpret_cast<SHandle*>(hKey);
    if (m_openHandles.erase(pHandle) == 0) {
        ++m_nBadCloses;
        return kInvalidHandle;
    }
    delete pHandle;
    ++m_nCloses;
    return 0;
}
