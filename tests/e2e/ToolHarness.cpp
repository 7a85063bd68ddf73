#include "tests/e2e/ToolHarness.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace e2e {

const wchar_t* const kCaptionEnglish = L" Velkor Lintra Configuration";
const wchar_t* const kCaptionGerman = L" Velkor Lintra-Konfiguration";
const wchar_t* const kCaptionLanguage = L" Velkor Lintra";
const char* const kSettingsKey = "SOFTWARE\\Velkor Sandrel GmbH\\VelkorusbConfig";

const SAdapterPort kAdapterPorts[2] = {
    {"VID_0403+PID_6010+LT4711A", "USB Serial Port (COM5)", "COM5", "\\Device\\VCP0"},
    {"VID_0403+PID_6010+LT4711B", "USB Serial Port (COM6)", "COM6", "\\Device\\VCP1"},
};

namespace {

constexpr DWORD kPollMs = 50;

std::string SystemReason(DWORD dwError) {
    char szText[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, szText,
                   sizeof(szText), nullptr);
    std::string str(szText);
    while (!str.empty() && (str.back() == '\n' || str.back() == '\r' || str.back() == ' ')) str.pop_back();
    return str + " (" + std::to_string(dwError) + ")";
}

class CKey {
public:
    CKey() = default;
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    ~CKey() {
        if (m_hKey) RegCloseKey(m_hKey);
    }
    HKEY* Out() { return &m_hKey; }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

class CHandle {
public:
    explicit CHandle(HANDLE h) : m_h(h) {}
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    ~CHandle() {
        if (m_h && m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

::testing::AssertionResult CreateKey(HKEY hRoot, const std::string& strPath, DWORD dwOptions, CKey& key) {
    LONG lResult = RegCreateKeyExA(hRoot, strPath.c_str(), 0, nullptr, dwOptions, KEY_READ | KEY_WRITE,
                                   nullptr, key.Out(), nullptr);
    if (lResult != ERROR_SUCCESS) {
        return ::testing::AssertionFailure() << "cannot create registry key " << strPath << ": "
                                             << SystemReason(static_cast<DWORD>(lResult));
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetString(HKEY hKey, const char* pszName, const char* pszData) {
    LONG lResult = RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszData),
                                  static_cast<DWORD>(strlen(pszData) + 1));
    if (lResult != ERROR_SUCCESS) {
        return ::testing::AssertionFailure() << "cannot set registry value " << pszName << ": "
                                             << SystemReason(static_cast<DWORD>(lResult));
    }
    return ::testing::AssertionSuccess();
}

bool TextEqualsNoCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

template <typename Condition>
bool PollUntil(DWORD dwTimeoutMs, Condition condition) {
    const DWORD dwStart = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - dwStart >= dwTimeoutMs) return false;
        Sleep(kPollMs);
    }
}

LRESULT SendWithTimeout(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bOk) {
    DWORD_PTR dwResult = 0;
    bOk = SendMessageTimeoutW(hwnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &dwResult) != 0;
    return static_cast<LRESULT>(dwResult);
}

struct SFindContext {
    const SDialogQuery* pQuery;
    HWND hFound;
};

bool IsDialogClass(HWND hwnd) {
    wchar_t szClass[16] = L"";
    GetClassNameW(hwnd, szClass, 16);
    return wcscmp(szClass, L"#32770") == 0;
}

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM lParam) {
    SFindContext& ctx = *reinterpret_cast<SFindContext*>(lParam);
    const SDialogQuery& q = *ctx.pQuery;
    if (!IsDialogClass(hwnd) || GetWindow(hwnd, GW_OWNER) != q.hOwner) return TRUE;
    const DWORD dwPid = WindowProcessId(hwnd);
    if ((q.dwPid != 0 && dwPid != q.dwPid) || (q.dwNotPid != 0 && dwPid == q.dwNotPid)) return TRUE;
    if (q.nMarkerId != 0 && !GetDlgItem(hwnd, q.nMarkerId)) return TRUE;
    if (WindowText(hwnd) != q.pszTitle) return TRUE;
    ctx.hFound = hwnd;
    return FALSE;
}

struct SBoxContext {
    HWND hOwner;
    HWND hFound;
};

BOOL CALLBACK MatchMessageBox(HWND hwnd, LPARAM lParam) {
    SBoxContext& ctx = *reinterpret_cast<SBoxContext*>(lParam);
    if (IsDialogClass(hwnd) && GetWindow(hwnd, GW_OWNER) == ctx.hOwner &&
        GetDlgItem(hwnd, kIdMessageBoxText)) {
        ctx.hFound = hwnd;
        return FALSE;
    }
    return TRUE;
}

LRESULT ComboCount(HWND hDlg, int nId) {
    bool bOk = false;
    LRESULT n = SendWithTimeout(GetDlgItem(hDlg, nId), CB_GETCOUNT, 0, 0, bOk);
    return bOk ? n : CB_ERR;
}

}  // namespace

SE2eArgs& E2eArgs() {
    static SE2eArgs args;
    return args;
}

std::string ToWindowsPath(const std::string& strPath) {
    if (strPath.empty() || strPath[0] != '/') return strPath;
    std::string str = "Z:" + strPath;
    std::replace(str.begin(), str.end(), '/', '\\');
    return str;
}

std::wstring Widen(const char* psz) {
    std::wstring str;
    for (; *psz; ++psz) str += static_cast<wchar_t>(static_cast<unsigned char>(*psz));
    return str;
}

// --- files -----------------------------------------------------------------

bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& data) {
    data.clear();
    FILE* pFile = fopen(strPath.c_str(), "rb");
    if (!pFile) return false;
    uint8_t buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0) data.insert(data.end(), buffer, buffer + n);
    const bool bOk = !ferror(pFile);
    fclose(pFile);
    return bOk;
}

bool WriteWholeFile(const std::string& strPath, const std::vector<uint8_t>& data) {
    FILE* pFile = fopen(strPath.c_str(), "wb");
    if (!pFile) return false;
    const bool bOk = fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return fclose(pFile) == 0 && bOk;
}

bool RemoveFile(const std::string& strPath) {
    if (GetFileAttributesA(strPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(strPath.c_str());
    return GetFileAttributesA(strPath.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string SystemDirectory() {
    char szDir[MAX_PATH] = "";
    GetSystemDirectoryA(szDir, MAX_PATH);
    return szDir;
}

std::string DriverPath() { return SystemDirectory() + "\\drivers\\S5AS511.sys"; }
std::string BackupPath() { return SystemDirectory() + "\\drivers\\S5AS511.bak"; }
std::string SparePath() { return SystemDirectory() + "\\drivers\\S5AS511.org"; }

// --- registry --------------------------------------------------------------

::testing::AssertionResult SeedAdapterRegistry() {
    for (const SAdapterPort& port : kAdapterPorts) {
        const std::string strInstance =
            std::string("SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS\\") + port.pszDeviceKey + "\\0000";
        CKey instance;
        if (auto r = CreateKey(HKEY_LOCAL_MACHINE, strInstance, REG_OPTION_NON_VOLATILE, instance); !r)
            return r;
        if (auto r = SetString(instance.Get(), "FriendlyName", port.pszFriendlyName); !r) return r;
        CKey parameters;
        if (auto r = CreateKey(instance.Get(), "Device Parameters", REG_OPTION_NON_VOLATILE, parameters); !r)
            return r;
        if (auto r = SetString(parameters.Get(), "PortName", port.pszPortName); !r) return r;
    }
    // The serial-port map lives under the volatile HARDWARE key; values added
    // here last as long as this run's wineserver.
    CKey serialComm;
    if (auto r =
            CreateKey(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", REG_OPTION_VOLATILE, serialComm);
        !r) {
        return r;
    }
    for (const SAdapterPort& port : kAdapterPorts) {
        if (auto r = SetString(serialComm.Get(), port.pszDeviceName, port.pszPortName); !r) return r;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult DeleteSettingsKey() {
    LONG lResult = RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    if (lResult != ERROR_SUCCESS && lResult != ERROR_FILE_NOT_FOUND) {
        return ::testing::AssertionFailure()
               << "cannot delete HKCU\\" << kSettingsKey << ": " << SystemReason(static_cast<DWORD>(lResult));
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult StoreLanguageID(DWORD dwLanguage) {
    CKey key;
    if (auto r = CreateKey(HKEY_CURRENT_USER, kSettingsKey, REG_OPTION_NON_VOLATILE, key); !r) return r;
    LONG lResult = RegSetValueExA(key.Get(), "LanguageID", 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&dwLanguage), sizeof(dwLanguage));
    if (lResult != ERROR_SUCCESS) {
        return ::testing::AssertionFailure()
               << "cannot store LanguageID: " << SystemReason(static_cast<DWORD>(lResult));
    }
    return ::testing::AssertionSuccess();
}

bool ReadLanguageID(DWORD& dwValue, DWORD& dwType) {
    CKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return false;
    DWORD cbData = sizeof(dwValue);
    dwValue = 0;
    return RegQueryValueExA(key.Get(), "LanguageID", nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue),
                            &cbData) == ERROR_SUCCESS &&
           cbData == sizeof(dwValue);
}

DWORD StoredPlacementSize() {
    CKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) return 0;
    DWORD cbData = 0;
    if (RegQueryValueExA(key.Get(), "WindowPlacement", nullptr, nullptr, nullptr, &cbData) != ERROR_SUCCESS)
        return 0;
    return cbData;
}

// --- processes -------------------------------------------------------------

HANDLE CProcessGroup::Start(const std::string& strExe, const std::string& strArgs, std::string& strError) {
    std::string strCommandLine = "\"" + strExe + "\"";
    if (!strArgs.empty()) strCommandLine += " " + strArgs;
    std::string strDir = strExe.substr(0, strExe.find_last_of('\\'));
    std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
    commandLine.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(strExe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        strDir.c_str(), &si, &pi)) {
        strError = "cannot start " + strExe + ": " + SystemReason(GetLastError());
        return nullptr;
    }
    CloseHandle(pi.hThread);
    m_arProcesses.push_back(pi.hProcess);
    m_arIds.push_back(pi.dwProcessId);
    return pi.hProcess;
}

void CProcessGroup::KillAll() {
    // Everything the started processes started in turn (a restarted tool),
    // found through the parent ids of this prefix's processes.
    std::vector<DWORD> arTree = m_arIds;
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Valid()) {
        bool bGrew = true;
        while (bGrew) {
            bGrew = false;
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof(entry);
            for (BOOL b = Process32First(snapshot.Get(), &entry); b;
                 b = Process32Next(snapshot.Get(), &entry)) {
                const bool bChild =
                    std::find(arTree.begin(), arTree.end(), entry.th32ParentProcessID) != arTree.end();
                const bool bKnown =
                    std::find(arTree.begin(), arTree.end(), entry.th32ProcessID) != arTree.end();
                if (bChild && !bKnown) {
                    arTree.push_back(entry.th32ProcessID);
                    bGrew = true;
                }
            }
        }
    }
    for (size_t i = m_arIds.size(); i < arTree.size(); ++i) {
        CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, arTree[i]));
        if (process.Valid()) {
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
        }
    }
    for (HANDLE hProcess : m_arProcesses) {
        if (WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(hProcess, 1);
            WaitForSingleObject(hProcess, 5000);
        }
        CloseHandle(hProcess);
    }
    m_arProcesses.clear();
    m_arIds.clear();
}

bool WaitForExit(HANDLE hProcess, DWORD dwTimeoutMs) {
    return WaitForSingleObject(hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD WindowProcessId(HWND hwnd) {
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hwnd, &dwPid);
    return dwPid;
}

std::wstring WindowProcessImage(HWND hwnd) {
    CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, WindowProcessId(hwnd)));
    if (!process.Valid()) return std::wstring();
    wchar_t szPath[MAX_PATH] = L"";
    if (!GetModuleFileNameExW(process.Get(), nullptr, szPath, MAX_PATH)) return std::wstring();
    return szPath;
}

bool IsProcessNameRunning(const char* pszName) {
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL b = Process32First(snapshot.Get(), &entry); b; b = Process32Next(snapshot.Get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, pszName) == 0) return true;
    }
    return false;
}

// --- windows ---------------------------------------------------------------

std::wstring WindowText(HWND hwnd) {
    bool bOk = false;
    LRESULT nLength = SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, bOk);
    if (!bOk || nLength <= 0) return std::wstring();
    std::vector<wchar_t> text(static_cast<size_t>(nLength) + 1, L'\0');
    SendWithTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), bOk);
    return bOk ? std::wstring(text.data()) : std::wstring();
}

std::wstring ControlText(HWND hDlg, int nId) {
    HWND hControl = GetDlgItem(hDlg, nId);
    return hControl ? WindowText(hControl) : std::wstring();
}

HWND FindDialog(const SDialogQuery& query) {
    SFindContext ctx = {&query, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&ctx));
    return ctx.hFound;
}

::testing::AssertionResult WaitForDialog(const SDialogQuery& query, const char* pszWhat, HWND& hFound) {
    hFound = nullptr;
    if (PollUntil(kWaitMs, [&] { return (hFound = FindDialog(query)) != nullptr; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << pszWhat << " did not appear within " << kWaitMs << " ms";
}

HWND FindMessageBox(HWND hOwner) {
    SBoxContext ctx = {hOwner, nullptr};
    EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&ctx));
    return ctx.hFound;
}

::testing::AssertionResult WaitForMessageBox(HWND hOwner, HWND& hBox) {
    hBox = nullptr;
    if (PollUntil(kWaitMs, [&] { return (hBox = FindMessageBox(hOwner)) != nullptr; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "no message box owned by the dialog appeared within " << kWaitMs << " ms";
}

::testing::AssertionResult WaitForWindowGone(HWND hwnd, const char* pszWhat) {
    if (PollUntil(kWaitMs, [&] { return !IsWindow(hwnd); })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << pszWhat << " was still open after " << kWaitMs << " ms";
}

::testing::AssertionResult ClickButton(HWND hDlg, int nId) {
    HWND hButton = GetDlgItem(hDlg, nId);
    if (!hButton) return ::testing::AssertionFailure() << "the dialog has no button " << nId;
    // Posted, so that the click passes the tool's own message loop like a
    // mouse click would, and so that a message box it opens does not block us.
    if (!PostMessageW(hButton, BM_CLICK, 0, 0)) {
        return ::testing::AssertionFailure()
               << "cannot click button " << nId << ": " << SystemReason(GetLastError());
    }
    return ::testing::AssertionSuccess();
}

bool IsButtonChecked(HWND hDlg, int nId) {
    bool bOk = false;
    return SendWithTimeout(GetDlgItem(hDlg, nId), BM_GETCHECK, 0, 0, bOk) == BST_CHECKED && bOk;
}

::testing::AssertionResult WaitForButtonEnabled(HWND hDlg, int nId, bool bEnabled) {
    HWND hButton = GetDlgItem(hDlg, nId);
    if (!hButton) return ::testing::AssertionFailure() << "the dialog has no button " << nId;
    if (PollUntil(kWaitMs, [&] { return (IsWindowEnabled(hButton) != FALSE) == bEnabled; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "button " << nId << " stayed " << (bEnabled ? "disabled" : "enabled") << " for " << kWaitMs
           << " ms";
}

std::vector<std::wstring> ComboEntries(HWND hDlg, int nId) {
    std::vector<std::wstring> arEntries;
    HWND hCombo = GetDlgItem(hDlg, nId);
    const LRESULT nCount = ComboCount(hDlg, nId);
    for (LRESULT i = 0; i < nCount; ++i) {
        bool bOk = false;
        LRESULT nLength = SendWithTimeout(hCombo, CB_GETLBTEXTLEN, i, 0, bOk);
        if (!bOk || nLength < 0) break;
        std::vector<wchar_t> text(static_cast<size_t>(nLength) + 1, L'\0');
        SendWithTimeout(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()), bOk);
        arEntries.push_back(text.data());
    }
    return arEntries;
}

::testing::AssertionResult ChooseComboEntry(HWND hDlg, int nId, const std::wstring& strText) {
    HWND hCombo = GetDlgItem(hDlg, nId);
    if (!hCombo) return ::testing::AssertionFailure() << "the dialog has no combo " << nId;
    bool bOk = false;
    LRESULT nIndex = SendWithTimeout(hCombo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(strText.c_str()), bOk);
    if (!bOk || nIndex == CB_ERR || !TextEqualsNoCase(WindowText(hCombo), strText)) {
        return ::testing::AssertionFailure()
               << "combo " << nId << " offers no entry \"" << ::testing::PrintToString(strText) << "\"";
    }
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hCombo));
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult WaitForChecksDone(HWND hDlg, HWND& hBox) {
    hBox = nullptr;
    const int nLast = kIdComFirst + 3;
    auto bFilled = [&] {
        bool bOk = false;
        return ComboCount(hDlg, nLast) > 0 &&
               SendWithTimeout(GetDlgItem(hDlg, nLast), CB_GETCURSEL, 0, 0, bOk) >= 0 && bOk;
    };
    if (!PollUntil(kWaitMs, [&] { return (hBox = FindMessageBox(hDlg)) != nullptr || bFilled(); })) {
        return ::testing::AssertionFailure()
               << "the start-up checks neither filled the combos nor showed a message in " << kWaitMs
               << " ms";
    }
    // A failed check puts the default entry alone into each combo just before
    // its message box comes up: wait for that box.
    if (!hBox && ComboCount(hDlg, kIdComFirst) == 1) {
        PollUntil(kWaitMs, [&] { return (hBox = FindMessageBox(hDlg)) != nullptr; });
    }
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
