// The built LintraConfig.exe in a throw-away Wine prefix, driven through its
// windows: the first start with its language choice, the STEP 5 prompt, an
// adapter port applied to the driver file, and the restart in the other
// language from a directory whose path has blanks.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/DriverImageBytes.h"
#include "tests/e2e/ToolHarness.h"
#include "tests/support/DriverImage.h"

namespace e2e {
namespace {

constexpr uint32_t kKnownVersion = 0x13385;

struct SLanguageTexts {
    DWORD dwLanguage;
    const wchar_t* pszCaption;
    const wchar_t* pszDefaultEntry;
    const wchar_t* pszSuccess;  // status 120
    const wchar_t* pszStep5;    // status 121
};

const SLanguageTexts kEnglishTexts = {kEnglish, kCaptionEnglish, L"- Default -",
                                      L" The driver was successfully installed. \n Please select the serial "
                                      L"interface \n within the orignal STEP5\u00AE "
                                      L"software. ",
                                      L"The orignal STEP5\u00AE software must be terminated first."};
const SLanguageTexts kGermanTexts = {kGerman, kCaptionGerman, L"- Standard -",
                                     L" Der Treiber wurde erfolgreich initialisiert. \n W\u00E4hlen Sie "
                                     L"innerhalb der Orignal-STEP5\u00AE-Software  \n "
                                     L"die entsprechende serielle Schnittstelle aus. ",
                                     L"Die STEP5\u00AE-Orignal-Software mu\u00DF zuerst beendet werden."};

const SLanguageTexts& TextsFor(DWORD dwLanguage) {
    return dwLanguage == kGerman ? kGermanTexts : kEnglishTexts;
}

bool FileExists(const std::string& strPath) {
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t LastWriteTime(const std::string& strPath) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
           data.ftLastWriteTime.dwLowDateTime;
}

// The checksum as the system's image helper library computes it, bound at run
// time as the tool binds it.
uint32_t SystemChecksum(std::vector<uint8_t> image) {
    using CheckSumMappedFileFn = void*(WINAPI*)(void*, DWORD, DWORD*, DWORD*);
    HMODULE hLibrary = LoadLibraryA("imagehlp.dll");
    if (!hLibrary) return 0;
    auto pfnCheckSum = reinterpret_cast<CheckSumMappedFileFn>(
        reinterpret_cast<void*>(GetProcAddress(hLibrary, "CheckSumMappedFile")));
    DWORD dwHeaderSum = 0, dwChecksum = 0;
    const bool bOk = pfnCheckSum && pfnCheckSum(image.data(), static_cast<DWORD>(image.size()), &dwHeaderSum,
                                                &dwChecksum) != nullptr;
    FreeLibrary(hLibrary);
    return bOk ? dwChecksum : 0;
}

class CToolSession : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(E2eArgs().strTool.empty()) << "no --tool= argument: the path of LintraConfig.exe";
        ASSERT_TRUE(FileExists(E2eArgs().strTool)) << "LintraConfig.exe not found at " << E2eArgs().strTool;
        ASSERT_TRUE(DeleteSettingsKey());
        ASSERT_TRUE(SeedAdapterRegistry());
        SDriverImageOptions options;
        options.dwChecksumField = kKnownVersion;
        m_original = ::MakeDriverImage(options);
        ASSERT_TRUE(RemoveFile(BackupPath())) << BackupPath();
        ASSERT_TRUE(RemoveFile(SparePath())) << SparePath();
        ASSERT_TRUE(RemoveFile(DriverPath())) << DriverPath();
        ASSERT_TRUE(WriteWholeFile(DriverPath(), m_original)) << "cannot write " << DriverPath();
    }

    void TearDown() override { m_processes.KillAll(); }

    HANDLE Start(const std::string& strExe, const std::string& strArgs = std::string()) {
        std::string strError;
        HANDLE hProcess = m_processes.Start(strExe, strArgs, strError);
        EXPECT_NE(hProcess, nullptr) << strError;
        return hProcess;
    }

    /// The main dialog of process hTool in the given language.
    ::testing::AssertionResult WaitForMainDialog(HANDLE hTool, const SLanguageTexts& texts, HWND& hDlg) {
        return WaitForDialog({texts.pszCaption, nullptr, kIdComFirst, GetProcessId(hTool)}, "the main dialog",
                             hDlg);
    }

    /// Waits for the checks and expects them to have passed: every combo
    /// offers the default entry and the adapter's ports, no message box, OK disabled.
    void ExpectReady(HWND hDlg, const SLanguageTexts& texts) {
        HWND hBox = nullptr;
        ASSERT_TRUE(WaitForChecksDone(hDlg, hBox));
        ASSERT_EQ(hBox, nullptr) << "unexpected message: "
                                 << ::testing::PrintToString(ControlText(hBox, kIdMessageBoxText));
        const std::set<std::wstring> expected = {texts.pszDefaultEntry,
                                                 Widen(kAdapterPorts[0].pszFriendlyName),
                                                 Widen(kAdapterPorts[1].pszFriendlyName)};
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE("COM " + std::to_string(k + 1));
            std::vector<std::wstring> arEntries = ComboEntries(hDlg, kIdComFirst + k);
            EXPECT_EQ(std::set<std::wstring>(arEntries.begin(), arEntries.end()), expected);
            EXPECT_EQ(arEntries.size(), expected.size());
        }
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDOK))) << "OK is enabled before anything was changed";
    }

    void ExpectDriverUnchanged() {
        std::vector<uint8_t> now;
        ASSERT_TRUE(ReadWholeFile(DriverPath(), now)) << DriverPath();
        EXPECT_TRUE(now == m_original) << "the driver file was changed";
    }

    /// Closes the main dialog with its close box and waits for the program to end.
    void CloseAndWait(HWND hDlg, HANDLE hTool) {
        PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitForExit(hTool, kWaitMs)) << "the tool did not end after its close box";
    }

    CProcessGroup m_processes;
    std::vector<uint8_t> m_original;
};

// --- first start ---------------------------------------------------------

struct SFirstStartCase {
    const char* pszName;
    int nRadio;
    DWORD dwStored;
};
void PrintTo(const SFirstStartCase& c, std::ostream* os) { *os << c.pszName; }

class CFirstStartTest : public CToolSession, public ::testing::WithParamInterface<SFirstStartCase> {};

TEST_P(CFirstStartTest, LanguageChoiceIsStoredAndOpensMainDialogInIt) {
    const SFirstStartCase& c = GetParam();
    const SLanguageTexts& texts = TextsFor(c.dwStored);
    HANDLE hTool = Start(E2eArgs().strTool);
    ASSERT_NE(hTool, nullptr);

    HWND hLanguage = nullptr;
    ASSERT_TRUE(WaitForDialog({kCaptionLanguage, nullptr, kIdGermanRadio, GetProcessId(hTool)},
                              "the language dialog", hLanguage));
    EXPECT_TRUE(IsButtonChecked(hLanguage, kIdGermanRadio)) << "German is not preselected";
    EXPECT_FALSE(IsButtonChecked(hLanguage, kIdEnglishRadio));
    EXPECT_EQ(ControlText(hLanguage, kIdGermanRadio), L"Deutsch / German");
    EXPECT_EQ(ControlText(hLanguage, kIdEnglishRadio), L"English / Englisch");

    ASSERT_TRUE(ClickButton(hLanguage, c.nRadio));
    ASSERT_TRUE(ClickButton(hLanguage, IDOK));
    HWND hDlg = nullptr;
    ASSERT_TRUE(WaitForMainDialog(hTool, texts, hDlg));

    DWORD dwValue = 0, dwType = 0;
    ASSERT_TRUE(ReadLanguageID(dwValue, dwType)) << "no LanguageID stored";
    EXPECT_EQ(dwValue, c.dwStored);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    ExpectReady(hDlg, texts);
    CloseAndWait(hDlg, hTool);
    ExpectDriverUnchanged();
}

const SFirstStartCase kFirstStartCases[] = {
    {"German", kIdGermanRadio, kGerman},
    {"English", kIdEnglishRadio, kEnglish},
};
INSTANTIATE_TEST_SUITE_P(Languages, CFirstStartTest, ::testing::ValuesIn(kFirstStartCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(CToolSession, ClosingTheLanguageChoiceEndsWithoutStoringOrChecking) {
    HANDLE hTool = Start(E2eArgs().strTool);
    ASSERT_NE(hTool, nullptr);
    HWND hLanguage = nullptr;
    ASSERT_TRUE(WaitForDialog({kCaptionLanguage, nullptr, kIdGermanRadio, GetProcessId(hTool)},
                              "the language dialog", hLanguage));
    PostMessageW(hLanguage, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitForExit(hTool, kWaitMs)) << "the tool did not end after the language dialog's close box";

    DWORD dwValue = 0, dwType = 0;
    EXPECT_FALSE(ReadLanguageID(dwValue, dwType)) << "LanguageID " << dwValue << " was stored";
    EXPECT_FALSE(FileExists(BackupPath())) << "the checks ran although no main dialog was shown";
    ExpectDriverUnchanged();
}

// --- STEP 5 running ------------------------------------------------------

class CStep5Test : public CToolSession {
protected:
    void SetUp() override {
        CToolSession::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_FALSE(E2eArgs().strSleeper.empty()) << "no --sleeper= argument";
        const std::string strDir = "C:\\lintra-e2e";
        CreateDirectoryA(strDir.c_str(), nullptr);
        m_strStep5 = strDir + "\\STEP5V7.EXE";
        ASSERT_TRUE(CopyFileA(E2eArgs().strSleeper.c_str(), m_strStep5.c_str(), FALSE))
            << "cannot copy the sleeper to " << m_strStep5;
        ASSERT_TRUE(StoreLanguageID(kEnglish));
        m_hStep5 = Start(m_strStep5, "600000");
        ASSERT_NE(m_hStep5, nullptr);
        m_hTool = Start(E2eArgs().strTool);
        ASSERT_NE(m_hTool, nullptr);
        ASSERT_TRUE(WaitForMainDialog(m_hTool, kEnglishTexts, m_hDlg));
    }

    /// Waits for the prompt and checks its text, caption and buttons.
    void ExpectPrompt(HWND& hBox) {
        ASSERT_TRUE(WaitForMessageBox(m_hDlg, hBox));
        EXPECT_EQ(ControlText(hBox, kIdMessageBoxText), kEnglishTexts.pszStep5);
        EXPECT_EQ(WindowText(hBox), kEnglishTexts.pszCaption);
        EXPECT_NE(GetDlgItem(hBox, IDOK), nullptr) << "the prompt has no OK button";
        EXPECT_NE(GetDlgItem(hBox, IDCANCEL), nullptr) << "the prompt has no Cancel button";
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(ComboEntries(m_hDlg, kIdComFirst + k).size(), 0u)
                << "combo of COM " << k + 1 << " is not empty";
        }
    }

    std::string m_strStep5;
    HANDLE m_hStep5 = nullptr;
    HANDLE m_hTool = nullptr;
    HWND m_hDlg = nullptr;
};

TEST_F(CStep5Test, PromptRepeatsWhileStep5RunsAndChecksGoOnOnceItEnded) {
    HWND hBox = nullptr;
    ASSERT_NO_FATAL_FAILURE(ExpectPrompt(hBox));

    // OK while STEP 5 still runs: the same prompt comes up again.
    ASSERT_TRUE(ClickButton(hBox, IDOK));
    ASSERT_TRUE(WaitForWindowGone(hBox, "the first STEP 5 prompt"));
    ASSERT_NO_FATAL_FAILURE(ExpectPrompt(hBox));

    ASSERT_TRUE(TerminateProcess(m_hStep5, 0));
    ASSERT_TRUE(WaitForExit(m_hStep5, kWaitMs)) << "STEP5V7.EXE did not end";
    ASSERT_TRUE(ClickButton(hBox, IDOK));
    ASSERT_TRUE(WaitForWindowGone(hBox, "the second STEP 5 prompt"));
    ExpectReady(m_hDlg, kEnglishTexts);
    EXPECT_TRUE(FileExists(BackupPath())) << "no backup copy after the checks passed";
    CloseAndWait(m_hDlg, m_hTool);
    ExpectDriverUnchanged();
}

TEST_F(CStep5Test, CancelInThePromptEndsTheProgramWithoutAMessage) {
    HWND hBox = nullptr;
    ASSERT_NO_FATAL_FAILURE(ExpectPrompt(hBox));
    ASSERT_TRUE(ClickButton(hBox, IDCANCEL));
    ASSERT_TRUE(WaitForExit(m_hTool, kWaitMs)) << "the tool did not end after Cancel in the STEP 5 prompt";
    EXPECT_EQ(StoredPlacementSize(), 44u) << "the window placement was not saved on Cancel";
    ExpectDriverUnchanged();
}

// --- choosing a port and OK ----------------------------------------------

struct SApplyCase {
    const char* pszName;
    DWORD dwLanguage;
    int nPort;  // 0..3 for COM 1..COM 4
    int nAdapterPort;
};
void PrintTo(const SApplyCase& c, std::ostream* os) { *os << c.pszName; }

class CApplyTest : public CToolSession, public ::testing::WithParamInterface<SApplyCase> {};

TEST_P(CApplyTest, ChosenPortIsWrittenToBothTablesWithTrueChecksum) {
    const SApplyCase& c = GetParam();
    const SLanguageTexts& texts = TextsFor(c.dwLanguage);
    const SAdapterPort& port = kAdapterPorts[c.nAdapterPort];
    ASSERT_TRUE(StoreLanguageID(c.dwLanguage));
    HANDLE hTool = Start(E2eArgs().strTool);
    ASSERT_NE(hTool, nullptr);
    HWND hDlg = nullptr;
    ASSERT_TRUE(WaitForMainDialog(hTool, texts, hDlg));
    ASSERT_NO_FATAL_FAILURE(ExpectReady(hDlg, texts));

    ASSERT_TRUE(ChooseComboEntry(hDlg, kIdComFirst + c.nPort, Widen(port.pszFriendlyName)));
    ASSERT_TRUE(WaitForButtonEnabled(hDlg, IDOK, true));
    ASSERT_TRUE(ClickButton(hDlg, IDOK));
    HWND hBox = nullptr;
    ASSERT_TRUE(WaitForMessageBox(hDlg, hBox));
    EXPECT_EQ(ControlText(hBox, kIdMessageBoxText), texts.pszSuccess);
    EXPECT_EQ(WindowText(hBox), texts.pszCaption);
    ASSERT_TRUE(ClickButton(hBox, IDOK));
    ASSERT_TRUE(WaitForExit(hTool, kWaitMs)) << "the tool did not end after the success message";
    DWORD dwExit = 0;
    GetExitCodeProcess(hTool, &dwExit);
    EXPECT_LT(dwExit, 0xC0000000u) << "the tool ended with exception code " << std::hex << dwExit;

    std::vector<uint8_t> patched;
    ASSERT_TRUE(ReadWholeFile(DriverPath(), patched)) << DriverPath();
    ASSERT_EQ(patched.size(), kDriverFileSize);
    for (size_t k = 0; k < kSlotCount; ++k) {
        SCOPED_TRACE("COM " + std::to_string(k + 1));
        const char* pszExpected =
            static_cast<int>(k) == c.nPort ? port.pszDeviceName : kDefaultDeviceNames[k];
        EXPECT_EQ(SlotBytes(patched, kFirstTableOffset, k), ExpectedSlotBytes(pszExpected))
            << "first table copy";
        EXPECT_EQ(SlotBytes(patched, kSecondTableOffset, k), ExpectedSlotBytes(pszExpected))
            << "second table copy";
    }
    size_t nOtherChanges = 0;
    for (size_t i = 0; i < kDriverFileSize; ++i) {
        if (!IsPatchableByte(i) && patched[i] != m_original[i]) ++nOtherChanges;
    }
    EXPECT_EQ(nOtherChanges, 0u) << "bytes outside the checksum field and the tables changed";
    const uint32_t dwStored = ReadLe32(patched, kChecksumOffset);
    EXPECT_EQ(dwStored, ComputePeChecksum(patched, kChecksumOffset));
    EXPECT_EQ(dwStored, SystemChecksum(patched)) << "CheckSumMappedFile disagrees";
    EXPECT_NE(dwStored, kKnownVersion);

    const DWORD dwDriverAttributes = GetFileAttributesA(DriverPath().c_str());
    EXPECT_EQ(dwDriverAttributes & 7u, 0u) << "the driver file is read-only, hidden or system";
    const DWORD dwBackupAttributes = GetFileAttributesA(BackupPath().c_str());
    ASSERT_NE(dwBackupAttributes, INVALID_FILE_ATTRIBUTES) << "no backup copy " << BackupPath();
    EXPECT_EQ(dwBackupAttributes & 7u, 7u) << "the backup copy is not read-only, hidden and system";
    std::vector<uint8_t> backup;
    ASSERT_TRUE(ReadWholeFile(BackupPath(), backup));
    EXPECT_TRUE(backup == m_original) << "the backup copy is not the unpatched file";
    EXPECT_EQ(LastWriteTime(DriverPath()), LastWriteTime(BackupPath()))
        << "the patched file does not carry the backup copy's times";
    EXPECT_EQ(StoredPlacementSize(), 44u);

    // The next start reads the new assignment back.
    HANDLE hAgain = Start(E2eArgs().strTool);
    ASSERT_NE(hAgain, nullptr);
    ASSERT_TRUE(WaitForMainDialog(hAgain, texts, hDlg));
    ASSERT_NO_FATAL_FAILURE(ExpectReady(hDlg, texts));
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE("COM " + std::to_string(k + 1));
        EXPECT_EQ(WindowText(GetDlgItem(hDlg, kIdComFirst + k)),
                  k == c.nPort ? Widen(port.pszFriendlyName) : std::wstring(texts.pszDefaultEntry));
    }
    CloseAndWait(hDlg, hAgain);
}

const SApplyCase kApplyCases[] = {
    {"EnglishCom1", kEnglish, 0, 1},
    {"GermanCom3", kGerman, 2, 0},
};
INSTANTIATE_TEST_SUITE_P(Ports, CApplyTest, ::testing::ValuesIn(kApplyCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

// --- change of language --------------------------------------------------

struct SRestartCase {
    const char* pszName;
    DWORD dwFrom;
    DWORD dwTo;
};
void PrintTo(const SRestartCase& c, std::ostream* os) { *os << c.pszName; }

class CRestartTest : public CToolSession, public ::testing::WithParamInterface<SRestartCase> {
protected:
    void TearDown() override {
        CToolSession::TearDown();
        RemoveFile("C:\\Program.exe");
    }
};

TEST_P(CRestartTest, LanguageChangeRestartsFromDirectoryWithBlanks) {
    const SRestartCase& c = GetParam();
    // Installed below a path with blanks, with a program in the way of an
    // unquoted command line: "C:\Program" plus ".exe".
    const std::string strDir = "C:\\Program Files\\Lintra Config";
    const std::string strTool = strDir + "\\LintraConfig.exe";
    CreateDirectoryA(strDir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(E2eArgs().strTool.c_str(), strTool.c_str(), FALSE))
        << "cannot copy the tool to " << strTool;
    ASSERT_TRUE(CopyFileA(E2eArgs().strSleeper.c_str(), "C:\\Program.exe", FALSE))
        << "cannot place C:\\Program.exe";
    ASSERT_TRUE(StoreLanguageID(c.dwFrom));

    HANDLE hTool = Start(strTool);
    ASSERT_NE(hTool, nullptr);
    HWND hDlg = nullptr;
    ASSERT_TRUE(WaitForMainDialog(hTool, TextsFor(c.dwFrom), hDlg));
    ASSERT_NO_FATAL_FAILURE(ExpectReady(hDlg, TextsFor(c.dwFrom)));

    PostMessageW(hDlg, WM_SYSCOMMAND, kSysCommandLanguage, 0);
    HWND hLanguage = nullptr;
    ASSERT_TRUE(WaitForDialog({kCaptionLanguage, hDlg, kIdGermanRadio}, "the language dialog in change mode",
                              hLanguage));
    EXPECT_EQ(IsButtonChecked(hLanguage, kIdGermanRadio), c.dwFrom == kGerman)
        << "current language not preselected";
    EXPECT_EQ(IsButtonChecked(hLanguage, kIdEnglishRadio), c.dwFrom != kGerman)
        << "current language not preselected";
    ASSERT_TRUE(ClickButton(hLanguage, c.dwTo == kGerman ? kIdGermanRadio : kIdEnglishRadio));
    ASSERT_TRUE(ClickButton(hLanguage, IDOK));

    ASSERT_TRUE(WaitForExit(hTool, kWaitMs)) << "the old instance did not end after the change of language";
    // Either the new instance opens, or the decoy in the way runs.
    const SDialogQuery newMain = {TextsFor(c.dwTo).pszCaption, nullptr, kIdComFirst, 0, GetProcessId(hTool)};
    HWND hNew = nullptr;
    bool bDecoyRuns = false;
    const DWORD dwStart = GetTickCount();
    while (!(hNew = FindDialog(newMain)) && !(bDecoyRuns = IsProcessNameRunning("Program.exe")) &&
           GetTickCount() - dwStart < kWaitMs) {
        Sleep(50);
    }
    ASSERT_FALSE(bDecoyRuns) << "the restart started C:\\Program.exe instead of the tool";
    ASSERT_NE(hNew, nullptr) << "the restarted instance's main dialog did not appear within " << kWaitMs
                             << " ms";
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, WindowProcessImage(hNew).c_str(), -1,
                             Widen(strTool.c_str()).c_str(), -1),
              CSTR_EQUAL)
        << "the new instance runs " << ::testing::PrintToString(WindowProcessImage(hNew));
    DWORD dwValue = 0, dwType = 0;
    ASSERT_TRUE(ReadLanguageID(dwValue, dwType));
    EXPECT_EQ(dwValue, c.dwTo);
    EXPECT_EQ(StoredPlacementSize(), 44u) << "the window placement was not saved before the restart";
    ASSERT_NO_FATAL_FAILURE(ExpectReady(hNew, TextsFor(c.dwTo)));
    ExpectDriverUnchanged();
}

const SRestartCase kRestartCases[] = {
    {"EnglishToGerman", kEnglish, kGerman},
    {"GermanToEnglish", kGerman, kEnglish},
};
INSTANTIATE_TEST_SUITE_P(Languages, CRestartTest, ::testing::ValuesIn(kRestartCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

}  // namespace
}  // namespace e2e
