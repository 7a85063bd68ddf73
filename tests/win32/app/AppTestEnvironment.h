// The surroundings of the application's dialogs in the dialog tests: the
// serial ports and adapter ports seeded as real registry keys of the test's
// own Wine prefix, the driver file in an in-memory file system, a process
// list in which STEP 5 may run, and the settings key. Every test starts from
// an empty inventory, default driver state and no stored settings.
#pragma once

#include <windows.h>
// shlwapi.h needs the types of windows.h.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Language.h"
#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "inventory/PortLists.h"
#include "strings/AssembledStrings.h"
#include "tests/support/DriverImage.h"
#include "tests/support/FakeDriverFileSystem.h"
#include "tests/support/FakeProcessSystem.h"
#include "tests/win32/framework/DialogDriver.h"

namespace apptest {

constexpr const char* kSettingsKey = "SOFTWARE\\Velkor Sandrel GmbH\\VelkorusbConfig";
constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr const char* kFtdiBusKey = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
constexpr const char* kSystemDirectory = "C:\\windows\\system32";
constexpr const char* kDriverPath = "C:\\windows\\system32\\drivers\\S5AS511.sys";
constexpr const char* kBackupPath = "C:\\windows\\system32\\drivers\\S5AS511.bak";
constexpr const char* kSparePath = "C:\\windows\\system32\\drivers\\S5AS511.org";

/// One port of the adapter, as its driver enters it below FTDIBUS.
struct SAdapterPort {
    std::string strDeviceKey;
    std::string strFriendlyName;
    std::string strPortName;
};

inline void DeleteKeyTree(HKEY hRoot, const std::string& strPath) { SHDeleteKeyA(hRoot, strPath.c_str()); }

inline void SetStringValue(HKEY hRoot, const std::string& strKey, const char* pszName,
                           const std::string& strValue) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_WRITE, nullptr, &hKey, nullptr))
        << strKey;
    RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
    RegCloseKey(hKey);
}

/// The serial-port map holds exactly these (device name, port name) pairs.
/// Wine's own entry is removed first.
inline void SeedSerialPorts(const std::vector<std::pair<std::string, std::string>>& ports) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    for (;;) {
        char szName[256];
        DWORD cchName = sizeof(szName);
        if (RegEnumValueA(hKey, 0, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (RegDeleteValueA(hKey, szName) != ERROR_SUCCESS) break;
    }
    for (const auto& port : ports) {
        RegSetValueExA(hKey, port.first.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(port.second.c_str()),
                       static_cast<DWORD>(port.second.size() + 1));
    }
    RegCloseKey(hKey);
}

/// The adapter bus holds exactly these ports, each as instance 0000.
inline void SeedAdapterPorts(const std::vector<SAdapterPort>& ports) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kFtdiBusKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string("SYSTEM\\CurrentControlSet\\Enum") + EnumKeyA);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string("SYSTEM\\CurrentControlSet\\Enum") + EnumKeyB);
    for (const SAdapterPort& port : ports) {
        const std::string strInstance = std::string(kFtdiBusKey) + "\\" + port.strDeviceKey + "\\0000";
        SetStringValue(HKEY_LOCAL_MACHINE, strInstance, "FriendlyName", port.strFriendlyName);
        SetStringValue(HKEY_LOCAL_MACHINE, strInstance + "\\Device Parameters", "PortName", port.strPortName);
    }
}

/// Reads a value of the settings key; false when it is absent.
inline bool ReadSetting(const char* pszName, std::vector<BYTE>& data, DWORD* pdwType = nullptr) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS) return false;
    DWORD dwType = 0;
    DWORD cb = 0;
    LONG lResult = RegQueryValueExA(hKey, pszName, nullptr, &dwType, nullptr, &cb);
    if (lResult == ERROR_SUCCESS) {
        data.assign(cb, 0);
        lResult = RegQueryValueExA(hKey, pszName, nullptr, &dwType, data.data(), &cb);
    }
    RegCloseKey(hKey);
    if (pdwType) *pdwType = dwType;
    return lResult == ERROR_SUCCESS;
}

inline bool HasSetting(const char* pszName) {
    std::vector<BYTE> data;
    return ReadSetting(pszName, data);
}

inline void WriteSetting(const char* pszName, DWORD dwType, const void* pData, DWORD cbData) {
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hKey, nullptr));
    RegSetValueExA(hKey, pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData);
    RegCloseKey(hKey);
}

inline void WriteLanguageSetting(DWORD dwLanguage) { WriteSetting("LanguageID", REG_DWORD, &dwLanguage, 4); }

/// The UTF-16 form of an ASCII device name.
inline std::u16string Wide(const std::string& strName) { return Widen(strName); }

/// The usual fixture: two adapter ports (COM5 and COM6) among three serial
/// ports, a known unpatched driver file with the default names, no STEP 5.
class CAppTest : public ::testing::Test {
public:
    void SetUp() override {
        ResetDriverFileState();
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
        g_nLanguageID = 0;
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKey);

        SeedSerialPorts(
            {{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM5"}, {"\\Device\\VCP1", "COM6"}});
        SeedAdapterPorts({{"VID_0403+PID_6010+LT0001A", "USB Serial Port (COM5)", "COM5"},
                          {"VID_0403+PID_6010+LT0001B", "USB Serial Port (COM6)", "COM6"}});

        // Fresh fakes for every case, also when a test loops over cases.
        SetDriverFileSystem(nullptr);
        SetLibraryLoader(nullptr);
        m_pFiles.reset();
        m_pProcesses.reset();
        m_pFiles.reset(new CFakeDriverFileSystem);
        m_pProcesses.reset(new CFakeProcessSystem);
        Files().SetSystemDirectory(kSystemDirectory);
        PutDriver(SDriverImageOptions());
        SetDriverFileSystem(m_pFiles.get());
        SetLibraryLoader(m_pProcesses.get());
    }

    void TearDown() override {
        SetDriverFileSystem(nullptr);
        SetLibraryLoader(nullptr);
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
    }

    /// Puts a driver file with the given options in place.
    void PutDriver(const SDriverImageOptions& options) {
        Files().PutFile(kDriverPath, MakeDriverImage(options));
    }

    /// A driver file whose table copies both hold these names.
    void PutDriverWithNames(const std::u16string (&names)[4]) {
        SDriverImageOptions options;
        for (int i = 0; i < 4; ++i) options.astrFirstCopy[i] = options.astrSecondCopy[i] = names[i];
        PutDriver(options);
    }

    /// Makes STEP 5 run (as process 4711) or end.
    void SetStep5Running(bool bRunning) {
        if (bRunning) {
            Processes().AddProcess(4711, "C:\\SIEMENS\\STEP5\\S5_ST\\STEP5V7.EXE");
        } else {
            Processes().RemoveProcess(4711);
        }
    }

    CFakeDriverFileSystem& Files() { return *m_pFiles; }
    CFakeProcessSystem& Processes() { return *m_pProcesses; }

private:
    std::unique_ptr<CFakeDriverFileSystem> m_pFiles;
    std::unique_ptr<CFakeProcessSystem> m_pProcesses;
};

}  // namespace apptest
