// The inventory over the real registry: the test writes the keys and values
// below HKEY_LOCAL_MACHINE itself (each test program runs in a throw-away
// prefix) and clears them before and after every case.
//
// HARDWARE is volatile, so keys made there must be volatile too, and Wine
// puts its own "\Device\Serial0" = COM1 into the serial-port map at start;
// every case starts from an empty map. Wine enumerates the values of a key
// sorted by name, where Windows keeps the order in which they were written,
// so the value names here sort in the order written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/CommEnum.h"
#include "inventory/PortLists.h"
#include "strings/AssembledStrings.h"
#include "tests/support/PortListLines.h"

namespace {

const char kMap[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const char kBus[] = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
const std::string kEnum = "SYSTEM\\CurrentControlSet\\Enum";

std::string Repeat(char ch, size_t n) { return std::string(n, ch); }

/// Deletes a key with everything below it; an absent key is fine.
void DeleteTree(HKEY hParent, const std::string& strPath) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(hParent, strPath.c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;
    for (;;) {
        char szName[256];
        DWORD cchName = sizeof szName;
        if (RegEnumKeyExA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteTree(hKey, szName);
    }
    RegCloseKey(hKey);
    const LONG lResult = RegDeleteKeyA(hParent, strPath.c_str());
    ASSERT_EQ(ERROR_SUCCESS, lResult) << "deleting HKLM\\" << strPath;
}

/// Creates a key (volatile below HARDWARE) and returns it open.
HKEY CreateKey(const std::string& strPath) {
    const DWORD dwOptions =
        strPath.compare(0, 9, "HARDWARE\\") == 0 ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
    HKEY hKey = nullptr;
    const LONG lResult = RegCreateKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, nullptr, dwOptions,
                                         KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, lResult) << "creating HKLM\\" << strPath;
    return hKey;
}

/// Stores the bytes, or only the first cbStored of them.
void SetValue(const std::string& strPath, const std::string& strName, DWORD dwType,
              const std::string& strBytes, size_t cbStored = std::string::npos) {
    HKEY hKey = CreateKey(strPath);
    if (hKey == nullptr) return;
    const DWORD cbData = static_cast<DWORD>(cbStored == std::string::npos ? strBytes.size() : cbStored);
    const LONG lResult = RegSetValueExA(hKey, strName.c_str(), 0, dwType,
                                        reinterpret_cast<const BYTE*>(strBytes.data()), cbData);
    EXPECT_EQ(ERROR_SUCCESS, lResult) << "setting " << strName << " in HKLM\\" << strPath;
    RegCloseKey(hKey);
}

void SetString(const std::string& strPath, const std::string& strName, const std::string& strText) {
    SetValue(strPath, strName, REG_SZ, strText + std::string(1, '\0'));
}

/// Removes every value of the serial-port map, Wine's own included.
void ClearSerialCommMap() {
    HKEY hKey = CreateKey(kMap);
    if (hKey == nullptr) return;
    for (;;) {
        char szName[512];
        DWORD cchName = sizeof szName;
        if (RegEnumValueA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(hKey, szName)) << szName;
    }
    RegCloseKey(hKey);
}

class Win32CommEnumTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
        ClearSerialCommMap();
        DeleteTree(HKEY_LOCAL_MACHINE, kBus);
        DeleteTree(HKEY_LOCAL_MACHINE, kEnum + EnumKeyA);
        DeleteTree(HKEY_LOCAL_MACHINE, kEnum + EnumKeyB);
    }

    /// A device below FTDIBUS with its first instance; null leaves a value out.
    static void AddBusDevice(const std::string& strKey, const char* pszFriendlyName,
                             const char* pszPortName) {
        const std::string strInstance = std::string(kBus) + "\\" + strKey + "\\0000";
        RegCloseKey(CreateKey(strInstance));
        if (pszFriendlyName != nullptr) SetString(strInstance, "FriendlyName", pszFriendlyName);
        if (pszPortName != nullptr) SetString(strInstance + "\\Device Parameters", "PortName", pszPortName);
    }
};

TEST_F(Win32CommEnumTest, BuildsBothListsFromTheRegistry) {
    SetString(kMap, "\\Device\\Serial0", "COM1");
    SetString(kMap, "\\Device\\Serial1", "COM7");
    SetString(kMap, "\\Device\\VCP0", "COM5");
    SetString(kMap, "\\Device\\VCP1", "COM6");
    SetString(kMap, "\\Device\\VCP2", "COM8");
    AddBusDevice("VID_0403+PID_6010+LT01A", "Lintra Port A (COM5)", "COM5");
    AddBusDevice("VID_0403+PID_6010+LT01B", "Lintra Port B (COM6)", "COM6");
    AddBusDevice("VID_0403+PID_6010+LT02A", "Lintra Port A (COM9)", "COM9");  // not in the map
    SetString(kEnum + EnumKeyA + "\\0000", "FriendlyName", "Communications Port (COM7)");
    SetString(kEnum + EnumKeyB + "\\0000", "FriendlyName", "Not this one (COM1)");
    SetString(kEnum + EnumKeyB + "\\0002", "FriendlyName", "Velkor S5 (COM8)");

    EnumerateCommPorts();

    EXPECT_EQ((std::vector<std::string>{"\\Device\\Serial0=COM1", "\\Device\\Serial1=COM7",
                                        "\\Device\\VCP0=COM5", "\\Device\\VCP1=COM6", "\\Device\\VCP2=COM8"}),
              SerialPorts());
    EXPECT_EQ((std::vector<std::string>{
                  "VID_0403+PID_6010+LT01A|COM5|\\Device\\VCP0|Lintra Port A (COM5)|1",
                  "VID_0403+PID_6010+LT01B|COM6|\\Device\\VCP1|Lintra Port B (COM6)|1",
                  std::string(EnumDeviceNameA) + "|COM7|\\Device\\Serial1|Communications Port (COM7)|1",
                  std::string(EnumKeyB) + "|COM8|\\Device\\VCP2|Velkor S5 (COM8)|1",
              }),
              AdapterPorts());
}

TEST_F(Win32CommEnumTest, SerialCommMapSkipsOtherTypesAndStopsAtTheFirstValueThatDoesNotFit) {
    struct SValue {
        std::string strName;
        DWORD dwType;
        std::string strBytes;
        size_t cbStored = std::string::npos;  // how many of the bytes are stored
    };
    const std::string n127 = "\\Device\\" + Repeat('n', 127 - 8), n128 = "\\Device\\" + Repeat('n', 128 - 8);
    const struct {
        const char* pszCase;
        std::vector<SValue> arValues;
        std::vector<std::string> arExpected;
    } cases[] = {
        {"types and data sizes",
         {{"\\Device\\A0", REG_SZ, std::string("COM1\0", 5)},
          {"\\Device\\A1", REG_DWORD, std::string("\x05\0\0\0", 4)},
          {"\\Device\\A2", REG_BINARY, "COM9"},
          {"\\Device\\A3", REG_EXPAND_SZ, std::string("COM9\0", 5)},
          {"\\Device\\A4", REG_MULTI_SZ, std::string("COM9\0\0", 6)},
          {"\\Device\\A5", REG_SZ, ""},
          {"\\Device\\A6", REG_SZ, Repeat('C', 127) + '\0'},
          {"\\Device\\A7", REG_SZ, Repeat('D', 129), 128},  // without its zero
          {"\\Device\\A8", REG_SZ, Repeat('E', 128) + '\0'},
          {"\\Device\\A9", REG_SZ, std::string("COM2\0", 5)}},
         {"\\Device\\A0=COM1", "\\Device\\A5=", "\\Device\\A6=" + Repeat('C', 127),
          "\\Device\\A7=" + Repeat('D', 128)}},
        {"value names",
         {{"\\Device\\A", REG_SZ, std::string("COM1\0", 5)},
          {n127, REG_SZ, std::string("COM2\0", 5)},
          {n128, REG_SZ, std::string("COM3\0", 5)},
          {"\\Device\\z", REG_SZ, std::string("COM4\0", 5)}},
         {"\\Device\\A=COM1", n127 + "=COM2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        ClearSerialCommMap();
        g_arSerialComm.RemoveAll();
        for (const SValue& v : c.arValues) SetValue(kMap, v.strName, v.dwType, v.strBytes, v.cbStored);
        ReadSerialCommMap();
        EXPECT_EQ(c.arExpected, SerialPorts());
    }
}

TEST_F(Win32CommEnumTest, WithoutTheSerialCommMapBothListsStayEmpty) {
    AddBusDevice("VID_0403+PID_6001+X", "Lintra (COM5)", "COM5");
    SetString(kEnum + EnumKeyA + "\\0000", "FriendlyName", "Communications Port (COM1)");
    DeleteTree(HKEY_LOCAL_MACHINE, kMap);
    EnumerateCommPorts();
    EXPECT_EQ(0, g_arSerialComm.GetCount());
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
    RegCloseKey(CreateKey(kMap));  // the map is back for the cases after this one
}

TEST_F(Win32CommEnumTest, BusDevicesReadOnlyTheFirstInstanceAndThePortNameAfterTheFriendlyName) {
    AddBusDevice("A-complete", "Lintra (COM5)", "COM5");
    AddBusDevice("B-no-friendly-name", nullptr, "COM6");
    AddBusDevice("C-friendly-name-too-long", Repeat('F', 128).c_str(), "COM7");
    AddBusDevice("D-no-parameters", "Lintra (COM8)", nullptr);
    SetString(std::string(kBus) + "\\E-other-instance\\0001", "FriendlyName", "Lintra (COM9)");
    SetString(std::string(kBus) + "\\E-other-instance\\0001\\Device Parameters", "PortName", "COM9");
    AddBusDevice("F-" + Repeat('k', 125), "Long key (COM3)", "COM3");
    AddBusDevice("G-" + Repeat('k', 126), "Too long (COM4)", "COM4");  // ends the enumeration
    AddBusDevice("H-after", "After (COM2)", "COM2");

    ReadFtdiBusPorts();

    EXPECT_EQ((std::vector<std::string>{
                  "A-complete|COM5||Lintra (COM5)|0",
                  "B-no-friendly-name||||0",
                  "C-friendly-name-too-long||||0",
                  "D-no-parameters|||Lintra (COM8)|0",
                  "E-other-instance||||0",
                  "F-" + Repeat('k', 125) + "|COM3||Long key (COM3)|0",
              }),
              AdapterPorts());
}

TEST_F(Win32CommEnumTest, SingleDevicePathsWithoutAUsableFriendlyNameAddNothingThatSurvives) {
    SetString(kMap, "\\Device\\Serial0", "COM1");
    SetString(kMap, "\\Device\\Serial1", "COM2");
    // Path A has a friendly name without a port name; path B only an instance 0000.
    SetString(kEnum + EnumKeyA + "\\0000", "FriendlyName", "Communications Port");
    SetString(kEnum + EnumKeyB + "\\0000", "FriendlyName", "Velkor S5 (COM2)");
    ReadEnumPort(EnumKeyA, "0000", EnumDeviceNameA);
    ReadEnumPort(EnumKeyB, "0002", EnumKeyB);
    EXPECT_EQ(std::vector<std::string>{std::string(EnumDeviceNameA) + "|||Communications Port|0"},
              AdapterPorts());

    g_arVirtualComm.RemoveAll();
    EnumerateCommPorts();
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
    EXPECT_EQ(2, g_arSerialComm.GetCount());
}

}  // namespace
