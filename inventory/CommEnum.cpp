#include "inventory/CommEnum.h"

#include <cstring>
#include <utility>

#include "framework/FrameworkErrors.h"
#include "inventory/PortLists.h"
#include "inventory/RegistryReader.h"
#include "strings/AnsiText.h"
#include "strings/AssembledStrings.h"

namespace {

const char kSerialCommMapKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const char kFtdiBusKey[] = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
const char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kFirstInstance[] = "\\0000";
const char kFriendlyNameValue[] = "FriendlyName";
const char kDeviceParametersKey[] = "Device Parameters";
const char kPortNameValue[] = "PortName";

// Path A reads its device's first instance, path B its third.
const char kInstanceA[] = "0000";
const char kInstanceB[] = "0002";

/// The text in a buffer of kRegistryBufferSize bytes, up to its first zero.
/// A string value need not be stored with its terminating zero, so a buffer
/// filled to the last byte ends at the buffer's end.
std::string TextFromBuffer(const void* pBuffer) {
    const char* psz = static_cast<const char*>(pBuffer);
    const void* pZero = std::memchr(psz, '\0', kRegistryBufferSize);
    const size_t cch = pZero != nullptr ? static_cast<size_t>(static_cast<const char*>(pZero) - psz)
                                        : static_cast<size_t>(kRegistryBufferSize);
    return std::string(psz, cch);
}

/// Queries a value of the key and takes its data as text, whatever its type.
bool QueryText(const CRegistryKey& key, const char* pszValueName, std::string& strText) {
    unsigned char data[kRegistryBufferSize];
    std::memset(data, 0, sizeof data);
    std::uint32_t dwType = kRegistryTypeString;
    std::uint32_t cbData = kRegistryBufferSize;
    if (RegistryReader().QueryValue(key.Get(), pszValueName, dwType, data, cbData) != kRegistrySuccess)
        return false;
    strText = TextFromBuffer(data);
    return true;
}

/// Gives every adapter port the device name of the first serial port with the
/// same port name.
void MatchAdapterPorts() {
    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        SVirtualCommList& adapterPort = g_arVirtualComm.ElementAt(i);
        for (int j = 0; j < g_arSerialComm.GetCount(); ++j) {
            const SSerialCommList& serialPort = g_arSerialComm.ElementAt(j);
            if (TextEquals(serialPort.strPortName, adapterPort.strPortName)) {
                adapterPort.strDeviceName = serialPort.strDeviceName;
                adapterPort.bFound = true;
                break;
            }
        }
    }
}

/// Drops the adapter ports that no serial port names, keeping the order.
void PruneAdapterPorts() {
    for (int i = g_arVirtualComm.GetCount() - 1; i >= 0; --i) {
        if (!g_arVirtualComm.ElementAt(i).bFound) g_arVirtualComm.RemoveAt(i);
    }
}

}  // namespace

void EnumerateCommPorts() {
    ReadSerialCommMap();
    ReadFtdiBusPorts();
    ReadEnumPort(EnumKeyA, kInstanceA, EnumDeviceNameA);
    ReadEnumPort(EnumKeyB, kInstanceB, EnumKeyB);
    MatchAdapterPorts();
    PruneAdapterPorts();
}

void ReadSerialCommMap() {
    IRegistryReader& reader = RegistryReader();
    CRegistryKey mapKey;
    if (!mapKey.Open(reader.LocalMachine(), kSerialCommMapKey)) return;
    for (std::uint32_t nIndex = 0;; ++nIndex) {
        char szName[kRegistryBufferSize];
        unsigned char data[kRegistryBufferSize];
        std::memset(szName, 0, sizeof szName);
        std::memset(data, 0, sizeof data);
        std::uint32_t cchName = kRegistryBufferSize;
        std::uint32_t dwType = 0;
        std::uint32_t cbData = kRegistryBufferSize;
        if (reader.EnumValue(mapKey.Get(), nIndex, szName, cchName, dwType, data, cbData) != kRegistrySuccess)
            break;
        if (dwType != kRegistryTypeString) continue;
        // Both texts are made before the record, so that running out of
        // memory never leaves a half-filled record in the list.
        std::string strDeviceName = TextFromBuffer(szName);
        std::string strPortName = TextFromBuffer(data);
        SSerialCommList& serialPort = g_arSerialComm.Append();
        serialPort.strDeviceName = std::move(strDeviceName);
        serialPort.strPortName = std::move(strPortName);
    }
}

void ReadFtdiBusPorts() {
    IRegistryReader& reader = RegistryReader();
    CRegistryKey busKey;
    if (!busKey.Open(reader.LocalMachine(), kFtdiBusKey)) return;

    // First pass: one record per device key.
    for (std::uint32_t nIndex = 0;; ++nIndex) {
        char szName[kRegistryBufferSize];
        std::memset(szName, 0, sizeof szName);
        std::uint32_t cchName = kRegistryBufferSize;
        if (reader.EnumKey(busKey.Get(), nIndex, szName, cchName) != kRegistrySuccess) break;
        std::string strDeviceKey = TextFromBuffer(szName);
        g_arVirtualComm.Append().strDeviceKey = std::move(strDeviceKey);
    }

    // Second pass: the friendly name and port name of each device's first
    // instance. The port name is only read when the friendly name exists.
    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        const std::string strInstancePath = g_arVirtualComm.ElementAt(i).strDeviceKey + kFirstInstance;
        CRegistryKey instanceKey;
        if (!instanceKey.Open(busKey.Get(), strInstancePath.c_str())) continue;
        std::string strFriendlyName;
        if (!QueryText(instanceKey, kFriendlyNameValue, strFriendlyName)) continue;
        g_arVirtualComm.ElementAt(i).strFriendlyName = std::move(strFriendlyName);
        CRegistryKey parametersKey;
        if (!parametersKey.Open(instanceKey.Get(), kDeviceParametersKey)) continue;
        std::string strPortName;
        if (QueryText(parametersKey, kPortNameValue, strPortName))
            g_arVirtualComm.ElementAt(i).strPortName = std::move(strPortName);
        // The parameters key closes before the instance key.
    }
}

void ReadEnumPort(const char* pszKeySuffix, const char* pszInstance, const char* pszDeviceKey) {
    if (pszKeySuffix == nullptr || pszInstance == nullptr || pszDeviceKey == nullptr)
        throw CInvalidArgException("ReadEnumPort: null argument");
    IRegistryReader& reader = RegistryReader();
    const std::string strPath = std::string(kEnumKey) + pszKeySuffix;
    CRegistryKey pathKey;
    if (!pathKey.Open(reader.LocalMachine(), strPath.c_str())) return;
    CRegistryKey instanceKey;
    if (!instanceKey.Open(pathKey.Get(), pszInstance)) return;
    std::string strFriendlyName;
    if (!QueryText(instanceKey, kFriendlyNameValue, strFriendlyName)) return;

    SVirtualCommList adapterPort;
    adapterPort.strDeviceKey = pszDeviceKey;
    adapterPort.strPortName = PortNameFromFriendlyName(strFriendlyName);
    adapterPort.strFriendlyName = std::move(strFriendlyName);
    g_arVirtualComm.StoreAtEnd(adapterPort);
    // The instance key closes before the path key.
}

std::string PortNameFromFriendlyName(const std::string& strFriendlyName) {
    const char* pszBegin = strFriendlyName.c_str();
    long nOpen = -1;
    long nClose = -1;
    // Walking whole characters, a trail byte is never looked at on its own,
    // so a double-byte character never counts as a parenthesis.
    for (const char* p = pszBegin; *p != '\0' && (nOpen < 0 || nClose < 0); p = NextAnsiChar(p)) {
        if (*p == '(' && nOpen < 0) nOpen = static_cast<long>(p - pszBegin);
        if (*p == ')' && nClose < 0) nClose = static_cast<long>(p - pszBegin);
    }
    const long nStart = nOpen + 1;
    const long nLength = nClose - nStart;
    if (nLength <= 0) return std::string();
    return strFriendlyName.substr(static_cast<size_t>(nStart), static_cast<size_t>(nLength));
}
