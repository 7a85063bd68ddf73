// The language dialog in both modes with the stored "LanguageID", and the
// start-up that chooses the main dialog's language.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/KombrixApp.h"
#include "app/SelectDlg.h"
#include "app/resources/ResourceIds.h"
#include "tests/win32/app/AppTestEnvironment.h"

namespace apptest {
namespace {

constexpr const char* kLanguageCaption = " Velkor Lintra";

class SelectDlgTest : public CAppTest {};

/// "LanguageID" as stored: its type and value; false when absent.
bool StoredLanguage(DWORD& dwType, DWORD& dwValue) {
    std::vector<BYTE> data;
    if (!ReadSetting("LanguageID", data, &dwType)) return false;
    dwValue = 0;
    std::memcpy(&dwValue, data.data(), data.size() < 4 ? data.size() : 4);
    return true;
}

struct SLanguageDialogSeen {
    bool bShown = false;
    bool bGerman = false;
    bool bEnglish = false;
    bool bHasCancel = true;
};

/// Runs the language dialog; when it shows, records it, clicks nRadio (if
/// any) and leaves it with nButton.
INT_PTR RunLanguageDialog(bool bStartup, int nRadio, int nButton, SLanguageDialogSeen& seen) {
    CSelectDlg dlg(nullptr);
    dlg.m_bStartup = bStartup;
    HWND hDlg = nullptr;
    CDialogDriver driver;
    driver.OnGiveUp(CloseAllThreadDialogs);
    driver
        .Then("language dialog",
              [&] {
                  hDlg = FindThreadDialog(kLanguageCaption);
                  if (!hDlg) return false;
                  seen.bShown = true;
                  seen.bGerman = IsDlgButtonChecked(hDlg, IDC_LANGUAGE_GERMAN) == BST_CHECKED;
                  seen.bEnglish = IsDlgButtonChecked(hDlg, IDC_LANGUAGE_ENGLISH) == BST_CHECKED;
                  seen.bHasCancel = GetDlgItem(hDlg, IDCANCEL) != nullptr;
                  if (nRadio) PostMessageA(GetDlgItem(hDlg, nRadio), BM_CLICK, 0, 0);
                  return true;
              })
        .Then("leave", [&] {
            if (nButton == IDCANCEL) {
                // Escape, as a user leaves a dialog without a Cancel button.
                PostMessageA(GetDlgItem(hDlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            } else {
                PressButton(hDlg, nButton);
            }
            return true;
        });
    driver.Start();
    const INT_PTR nResult = dlg.DoModal();
    driver.Stop();
    return nResult;
}

TEST_F(SelectDlgTest, AtTheFirstStartItAsksWithGermanCheckedAndStoresTheChoice) {
    struct SCase {
        const char* pszName;
        int nRadio;
        int nButton;
        INT_PTR nResult;
        DWORD dwStored;  // 0: nothing stored
    };
    const SCase cases[] = {
        {"OK on the preselection", 0, IDOK, IDOK, 1031},
        {"English chosen", IDC_LANGUAGE_ENGLISH, IDOK, IDOK, 1033},
        {"German chosen back", IDC_LANGUAGE_GERMAN, IDOK, IDOK, 1031},
        {"Escape", IDC_LANGUAGE_ENGLISH, IDCANCEL, IDCANCEL, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        SLanguageDialogSeen seen;
        EXPECT_EQ(c.nResult, RunLanguageDialog(true, c.nRadio, c.nButton, seen));
        EXPECT_TRUE(seen.bShown);
        EXPECT_TRUE(seen.bGerman);
        EXPECT_FALSE(seen.bEnglish);
        EXPECT_FALSE(seen.bHasCancel);
        DWORD dwType = 0, dwValue = 0;
        if (c.dwStored) {
            ASSERT_TRUE(StoredLanguage(dwType, dwValue));
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), dwType);
            EXPECT_EQ(c.dwStored, dwValue);
            EXPECT_EQ(c.dwStored, g_nLanguageID);
        } else {
            EXPECT_FALSE(StoredLanguage(dwType, dwValue));
            EXPECT_EQ(0u, g_nLanguageID);
        }
    }
}

TEST_F(SelectDlgTest, WithAStoredLanguageTheStartupDialogEndsUnseenAndRewritesNothing) {
    struct SCase {
        DWORD dwType;
        DWORD dwValue;
    };
    const SCase cases[] = {{REG_DWORD, 1031}, {REG_DWORD, 1033}, {REG_DWORD, 7}, {REG_BINARY, 1033}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.dwType) + "/" + std::to_string(c.dwValue));
        TearDown();
        SetUp();
        WriteSetting("LanguageID", c.dwType, &c.dwValue, 4);
        SLanguageDialogSeen seen;
        CSelectDlg dlg(nullptr);
        dlg.m_bStartup = true;
        CDialogDriver driver;
        driver.OnGiveUp(CloseAllThreadDialogs);
        driver.Then("never shown", [&] {
            seen.bShown = FindThreadDialog(kLanguageCaption) != nullptr;
            return seen.bShown;
        });
        driver.Start();
        EXPECT_EQ(IDOK, dlg.DoModal());
        driver.Stop();
        EXPECT_FALSE(seen.bShown);
        EXPECT_EQ(c.dwValue, g_nLanguageID);
        DWORD dwType = 0, dwValue = 0;
        ASSERT_TRUE(StoredLanguage(dwType, dwValue));
        EXPECT_EQ(c.dwType, dwType) << "the stored value was written back";
        EXPECT_EQ(c.dwValue, dwValue);
    }
}

TEST_F(SelectDlgTest, InChangeModeItShowsTheCurrentLanguageAStoredOneFirst) {
    struct SCase {
        const char* pszName;
        DWORD dwStored;  // 0: none
        uint32_t nCurrent;
        bool bGerman;
    };
    const SCase cases[] = {
        {"German, nothing stored", 0, 1031, true},
        {"English, nothing stored", 0, 1033, false},
        {"other language counts as English", 0, 7, false},
        {"stored value replaces the current one", 7, 1031, false},
        {"stored German", 1031, 1033, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        if (c.dwStored) WriteLanguageSetting(c.dwStored);
        g_nLanguageID = c.nCurrent;
        SLanguageDialogSeen seen;
        EXPECT_EQ(IDCANCEL, RunLanguageDialog(false, 0, IDCANCEL, seen));
        EXPECT_TRUE(seen.bShown);
        EXPECT_EQ(c.bGerman, seen.bGerman);
        EXPECT_EQ(!c.bGerman, seen.bEnglish);
        DWORD dwType = 0, dwValue = 0;
        EXPECT_EQ(c.dwStored != 0, StoredLanguage(dwType, dwValue)) << "Escape stores nothing";
    }
}

TEST_F(SelectDlgTest, OkInChangeModeStoresTheChoiceEvenWhenUnchanged) {
    g_nLanguageID = 1033;
    SLanguageDialogSeen seen;
    EXPECT_EQ(IDOK, RunLanguageDialog(false, 0, IDOK, seen));
    DWORD dwType = 0, dwValue = 0;
    ASSERT_TRUE(StoredLanguage(dwType, dwValue));
    EXPECT_EQ(1033u, dwValue);
}

/// Runs the application's start-up; records the captions of the dialogs
/// that appear and leaves each as given.
class CStartupRun {
public:
    struct SAnswer {
        const char* pszCaption;
        std::function<void(HWND)> leave;
    };
    explicit CStartupRun(std::vector<SAnswer> answers) : m_answers(std::move(answers)) {}

    bool Run() {
        CKombrixApp app;
        CDialogDriver driver;
        driver.OnGiveUp(CloseAllThreadDialogs);
        for (const SAnswer& answer : m_answers) {
            driver.Then(std::string("dialog ") + answer.pszCaption, [this, &answer] {
                HWND hDlg = FindThreadDialog(answer.pszCaption);
                // The main dialog is left once its checks have filled the combos.
                if (!hDlg ||
                    (GetDlgItem(hDlg, 161) && SendDlgItemMessageA(hDlg, 161, CB_GETCOUNT, 0, 0) == 0)) {
                    return false;
                }
                m_seen.push_back(answer.pszCaption);
                answer.leave(hDlg);
                return true;
            });
        }
        driver.Start();
        const bool bResult = app.InitInstance();
        driver.Stop();
        EXPECT_TRUE(driver.Succeeded()) << driver.Pending();
        return bResult;
    }

    std::vector<std::string> m_seen;

private:
    std::vector<SAnswer> m_answers;
};

TEST_F(SelectDlgTest, TheStartupRunsTheMainDialogInTheChosenOrStoredLanguage) {
    const auto ok = [](HWND h) { PressButton(h, IDOK); };
    const auto cancel = [](HWND h) { PressButton(h, IDCANCEL); };
    const auto english = [](HWND h) {
        SendMessageA(GetDlgItem(h, IDC_LANGUAGE_ENGLISH), BM_CLICK, 0, 0);
        PressButton(h, IDOK);
    };
    struct SCase {
        const char* pszName;
        DWORD dwStored;  // 0: none
        std::vector<CStartupRun::SAnswer> answers;
        DWORD dwStoredAfter;
    };
    const SCase cases[] = {
        {"first start, German", 0, {{kLanguageCaption, ok}, {" Velkor Lintra-Konfiguration", cancel}}, 1031},
        {"first start, English",
         0,
         {{kLanguageCaption, english}, {" Velkor Lintra Configuration", cancel}},
         1033},
        {"stored German", 1031, {{" Velkor Lintra-Konfiguration", cancel}}, 1031},
        {"stored English", 1033, {{" Velkor Lintra Configuration", cancel}}, 1033},
        {"stored other language", 7, {{" Velkor Lintra Configuration", cancel}}, 7},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        if (c.dwStored) WriteLanguageSetting(c.dwStored);
        CStartupRun run(c.answers);
        EXPECT_FALSE(run.Run());
        EXPECT_EQ(c.answers.size(), run.m_seen.size());
        DWORD dwType = 0, dwValue = 0;
        ASSERT_TRUE(StoredLanguage(dwType, dwValue));
        EXPECT_EQ(c.dwStoredAfter, dwValue);
    }
}

TEST_F(SelectDlgTest, EscapeAtTheFirstStartEndsTheProgramWithoutTheMainDialog) {
    CKombrixApp app;
    bool bMainSeen = false;
    CDialogDriver driver;
    driver.OnGiveUp(CloseAllThreadDialogs);
    driver.Then("language dialog", [&] {
        HWND hDlg = FindThreadDialog(kLanguageCaption);
        if (!hDlg) return false;
        PostMessageA(GetDlgItem(hDlg, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    });
    driver.Then("no main dialog", [&] {
        bMainSeen = FindThreadDialog(" Velkor Lintra-Konfiguration") ||
                    FindThreadDialog(" Velkor Lintra Configuration");
        if (bMainSeen) CloseAllThreadDialogs();
        return bMainSeen;
    });
    driver.Start();
    EXPECT_FALSE(app.InitInstance());
    driver.Stop();
    EXPECT_FALSE(bMainSeen);
    DWORD dwType = 0, dwValue = 0;
    EXPECT_FALSE(StoredLanguage(dwType, dwValue));
}

}  // namespace
}  // namespace apptest
