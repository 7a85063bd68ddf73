// Drives the built LintraConfig.exe from outside, as a user would: seeds the
// Wine prefix (driver file, serial-port registry, settings key), starts
// processes and ends them again, finds the tool's windows and message boxes by
// their titles and control ids, and presses their buttons with messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace e2e {

/// Paths handed to the test program on its command line, as Windows paths.
struct SE2eArgs {
    std::string strTool;     ///< LintraConfig.exe of this build
    std::string strSleeper;  ///< a console program that stays alive for argv[1] ms
    std::string strProduct;  ///< dist/LintraConfig.exe, the i686 product
};
SE2eArgs& E2eArgs();

/// A unix path (as CMake hands it to Wine) as a Windows path through drive Z:;
/// other paths unchanged.
std::string ToWindowsPath(const std::string& strPath);

constexpr DWORD kWaitMs = 30000;  ///< every wait for the tool gives up after this

// Titles and texts of the tool's windows.
extern const wchar_t* const kCaptionEnglish;
extern const wchar_t* const kCaptionGerman;
extern const wchar_t* const kCaptionLanguage;
extern const char* const kSettingsKey;

constexpr DWORD kGerman = 1031;
constexpr DWORD kEnglish = 1033;

// Control ids of the tool's dialogs.
constexpr int kIdComFirst = 161;  ///< combos 161 to 164: COM 1 to COM 4
constexpr int kIdGermanRadio = 82;
constexpr int kIdEnglishRadio = 83;
constexpr int kIdMessageBoxText = 0xFFFF;
constexpr WPARAM kSysCommandLanguage = 0x20;

/// The simulated adapter: two FTDI ports that the serial-port map names.
struct SAdapterPort {
    const char* pszDeviceKey;
    const char* pszFriendlyName;
    const char* pszPortName;
    const char* pszDeviceName;
};
extern const SAdapterPort kAdapterPorts[2];

// --- files ---------------------------------------------------------------
bool ReadWholeFile(const std::string& strPath, std::vector<uint8_t>& data);
bool WriteWholeFile(const std::string& strPath, const std::vector<uint8_t>& data);
/// Deletes a file even when it is read-only, hidden or system. True when it is gone.
bool RemoveFile(const std::string& strPath);
std::string SystemDirectory();
std::string DriverPath();
std::string BackupPath();
std::string SparePath();

// --- registry ------------------------------------------------------------
/// Writes the adapter's keys under Enum\FTDIBUS and its values into the
/// volatile serial-port map (alive while this run's wineserver lives).
::testing::AssertionResult SeedAdapterRegistry();
::testing::AssertionResult DeleteSettingsKey();
::testing::AssertionResult StoreLanguageID(DWORD dwLanguage);
/// The stored "LanguageID": false when it is missing; dwType gets its type.
bool ReadLanguageID(DWORD& dwValue, DWORD& dwType);
/// Size of the stored "WindowPlacement", 0 when it is missing.
DWORD StoredPlacementSize();

// --- processes -----------------------------------------------------------
/// The processes a test started, with everything they started in turn; all
/// are ended when the group is destroyed or KillAll runs, also after a failure.
class CProcessGroup {
public:
    CProcessGroup() = default;
    CProcessGroup(const CProcessGroup&) = delete;
    CProcessGroup& operator=(const CProcessGroup&) = delete;
    ~CProcessGroup() { KillAll(); }

    /// Starts strExe (quoted, with strArgs) in its own directory. Returns the
    /// process handle owned by the group, or nullptr with the system error in strError.
    HANDLE Start(const std::string& strExe, const std::string& strArgs, std::string& strError);
    void KillAll();

private:
    std::vector<HANDLE> m_arProcesses;
    std::vector<DWORD> m_arIds;
};

bool WaitForExit(HANDLE hProcess, DWORD dwTimeoutMs);
DWORD WindowProcessId(HWND hwnd);
/// Full path of the executable of the process that owns hwnd; empty if unknown.
std::wstring WindowProcessImage(HWND hwnd);
/// Whether a process runs whose executable file name is pszName (case-insensitive).
bool IsProcessNameRunning(const char* pszName);

// --- windows -------------------------------------------------------------
std::wstring WindowText(HWND hwnd);
std::wstring ControlText(HWND hDlg, int nId);

/// A top-level dialog (class #32770) with exactly this title, owned by hOwner
/// (nullptr: unowned), holding a control nMarkerId (0: any), whose process is
/// dwPid (0: any) and not dwNotPid (0: no exclusion).
struct SDialogQuery {
    const wchar_t* pszTitle;
    HWND hOwner = nullptr;
    int nMarkerId = 0;
    DWORD dwPid = 0;
    DWORD dwNotPid = 0;
};
HWND FindDialog(const SDialogQuery& query);
/// Polls FindDialog until it finds the dialog; fails naming pszWhat.
::testing::AssertionResult WaitForDialog(const SDialogQuery& query, const char* pszWhat, HWND& hFound);
/// Any message box (dialog with text control 0xFFFF) owned by hOwner.
HWND FindMessageBox(HWND hOwner);
::testing::AssertionResult WaitForMessageBox(HWND hOwner, HWND& hBox);
::testing::AssertionResult WaitForWindowGone(HWND hwnd, const char* pszWhat);

/// Clicks button nId of hDlg through the tool's own message loop.
::testing::AssertionResult ClickButton(HWND hDlg, int nId);
bool IsButtonChecked(HWND hDlg, int nId);
::testing::AssertionResult WaitForButtonEnabled(HWND hDlg, int nId, bool bEnabled);

std::vector<std::wstring> ComboEntries(HWND hDlg, int nId);
/// Picks the entry with this text in combo nId as a user would, with the
/// selection-change notification to the dialog.
::testing::AssertionResult ChooseComboEntry(HWND hDlg, int nId, const std::wstring& strText);
/// Waits until the start-up checks have filled all four combos and the last
/// one shows its selection, or a message box came up instead (hBox set).
::testing::AssertionResult WaitForChecksDone(HWND hDlg, HWND& hBox);

std::wstring Widen(const char* psz);

}  // namespace e2e
