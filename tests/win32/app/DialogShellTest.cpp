// The main dialog's frame: its system menu items and commands, the About
// box, the language command, the icon and the remembered window placement.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/app/AppTestEnvironment.h"
#include "tests/win32/app/MainDialogHarness.h"

namespace apptest {
namespace {

class DialogShellTest : public CAppTest {};

struct SMenuItem {
    UINT nId;  // 0 for a separator
    std::string strText;
};

std::vector<SMenuItem> LastMenuItems(HMENU hMenu, int nCount) {
    std::vector<SMenuItem> items;
    const int nItems = GetMenuItemCount(hMenu);
    for (int i = nItems - nCount; i < nItems; ++i) {
        char szText[128] = {};
        GetMenuStringA(hMenu, static_cast<UINT>(i), szText, sizeof(szText), MF_BYPOSITION);
        const UINT nState = GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
        items.push_back({(nState & MF_SEPARATOR) ? 0u : GetMenuItemID(hMenu, i), szText});
    }
    return items;
}

TEST_F(DialogShellTest, TheSystemMenuGetsTheLanguageAndAboutItemsOfTheLanguage) {
    struct SCase {
        UINT nTemplate;
        uint32_t nLanguage;
        UINT nAboutId;
        const char* pszLanguageItem;
        const char* pszAboutItem;
    };
    const SCase cases[] = {
        {IDD_KOMBRIX_DE, 1031, IDM_ABOUTBOX_DE, "&Sprachauswahl / Language selection",
         "&Info \xFC"
         "ber Velkor Lintra-Konfiguration..."},
        {IDD_KOMBRIX_EN, 1033, IDM_ABOUTBOX_EN, "&Language selection / Sprachauswahl",
         "&Info about Velkor Lintra Configuration..."},
        {IDD_KOMBRIX_EN, 7, IDM_ABOUTBOX_EN, "&Language selection / Sprachauswahl",
         "&Info about Velkor Lintra Configuration..."},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.nLanguage);
        g_nLanguageID = c.nLanguage;
        CMainDialogRun run(c.nTemplate);
        std::vector<SMenuItem> items;
        run.WaitForDialog().Do("read menu",
                               [&] { items = LastMenuItems(GetSystemMenu(run.Window(), FALSE), 4); });
        run.Press(IDCANCEL);
        run.Run();
        ASSERT_EQ(4u, items.size());
        EXPECT_EQ(0u, items[0].nId);
        EXPECT_EQ(static_cast<UINT>(IDM_LANGUAGE), items[1].nId);
        EXPECT_EQ(c.pszLanguageItem, items[1].strText);
        EXPECT_EQ(0u, items[2].nId);
        EXPECT_EQ(c.nAboutId, items[3].nId);
        EXPECT_EQ(c.pszAboutItem, items[3].strText);
    }
}

TEST_F(DialogShellTest, TheAboutCommandsOpenTheirTemplateWhicheverItemTheMenuCarries) {
    struct SCase {
        UINT nTemplate;
        WPARAM nCommand;
        const char* pszCaption;
        const char* pszTitle;
    };
    const SCase cases[] = {
        {IDD_KOMBRIX_DE, IDM_ABOUTBOX_DE, " Velkor Lintra-Konfiguration", "Velkor Lintra-Konfiguration"},
        {IDD_KOMBRIX_DE, IDM_ABOUTBOX_EN, " Velkor Lintra Configuration", "Velkor Lintra Configuration"},
        {IDD_KOMBRIX_EN, IDM_ABOUTBOX_EN, " Velkor Lintra Configuration", "Velkor Lintra Configuration"},
        {IDD_KOMBRIX_EN, IDM_ABOUTBOX_DE, " Velkor Lintra-Konfiguration", "Velkor Lintra-Konfiguration"},
        {IDD_KOMBRIX_EN, IDM_ABOUTBOX_DE | 0xF, " Velkor Lintra-Konfiguration",
         "Velkor Lintra-Konfiguration"},
        {IDD_KOMBRIX_DE, IDM_ABOUTBOX_EN | 0x1, " Velkor Lintra Configuration",
         "Velkor Lintra Configuration"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.nTemplate) + " command " + std::to_string(c.nCommand));
        TearDown();
        SetUp();
        CMainDialogRun run(c.nTemplate);
        HWND hAbout = nullptr;
        std::string strTitle, strVersion;
        bool bMainEnabled = true, bMainEnabledAfter = false;
        HICON hSmallIcon = nullptr;
        run.WaitForFilledCombos().Do("command",
                                     [&] { PostMessageA(run.Window(), WM_SYSCOMMAND, c.nCommand, 0); });
        run.Driver().Then("about box", [&] {
            hAbout = FindThreadDialog(c.pszCaption, run.Window());
            if (!hAbout) return false;
            strTitle = WindowText(GetDlgItem(hAbout, IDC_ABOUT_TITLE));
            strVersion = WindowText(GetDlgItem(hAbout, IDC_ABOUT_VERSION));
            hSmallIcon = reinterpret_cast<HICON>(SendMessageA(hAbout, WM_GETICON, ICON_SMALL, 0));
            bMainEnabled = IsWindowEnabled(run.Window()) != FALSE;
            PressButton(hAbout, IDOK);
            return true;
        });
        run.Driver().Then("about box closed", [&] {
            if (IsWindow(hAbout)) return false;
            bMainEnabledAfter = IsWindowEnabled(run.Window()) != FALSE;
            return true;
        });
        run.Press(IDCANCEL);
        EXPECT_EQ(IDCANCEL, run.Run());
        EXPECT_EQ(c.pszTitle, strTitle);
        EXPECT_EQ("Version 1.30", strVersion);
        EXPECT_NE(nullptr, hSmallIcon);
        EXPECT_FALSE(bMainEnabled) << "the About box is modal to the main dialog";
        EXPECT_TRUE(bMainEnabledAfter);
    }
}

TEST_F(DialogShellTest, ALanguageChangeEndsWithFourAndSameLanguageOrCancelChangesNothing) {
    struct SCase {
        const char* pszName;
        int nRadio;       // the radio button the user clicks, 0 for none
        int nButton;      // how the language dialog is left
        WPARAM nCommand;  // the system command
        INT_PTR nResult;  // the main dialog's result
        DWORD dwStored;   // "LanguageID" afterwards, 0 for none
    };
    const SCase cases[] = {
        {"other language", IDC_LANGUAGE_GERMAN, IDOK, IDM_LANGUAGE, 4, 1031},
        {"other language, command with low bits set", IDC_LANGUAGE_GERMAN, IDOK, IDM_LANGUAGE | 1, 4, 1031},
        {"same language", 0, IDOK, IDM_LANGUAGE, IDCANCEL, 1033},
        {"cancelled", IDC_LANGUAGE_GERMAN, IDCANCEL, IDM_LANGUAGE, IDCANCEL, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        g_nLanguageID = 1033;
        CMainDialogRun run(IDD_KOMBRIX_EN);
        HWND hLanguage = nullptr;
        bool bEnglishChecked = false, bGermanChecked = true, bPlacementWritten = true;
        run.WaitForFilledCombos().Do("command",
                                     [&] { PostMessageA(run.Window(), WM_SYSCOMMAND, c.nCommand, 0); });
        run.Driver().Then("language dialog", [&] {
            hLanguage = FindThreadDialog(" Velkor Lintra", run.Window());
            if (!hLanguage) return false;
            bEnglishChecked = IsDlgButtonChecked(hLanguage, IDC_LANGUAGE_ENGLISH) == BST_CHECKED;
            bGermanChecked = IsDlgButtonChecked(hLanguage, IDC_LANGUAGE_GERMAN) == BST_CHECKED;
            if (c.nRadio) PostMessageA(GetDlgItem(hLanguage, c.nRadio), BM_CLICK, 0, 0);
            return true;
        });
        run.Do("leave it", [&] { PressButton(hLanguage, c.nButton); });
        if (c.nResult != 4) {
            run.Driver().Then("language dialog closed", [&] {
                if (IsWindow(hLanguage)) return false;
                bPlacementWritten = HasSetting("WindowPlacement");
                PressButton(run.Window(), IDCANCEL);
                return true;
            });
        }
        EXPECT_EQ(c.nResult, run.Run());
        EXPECT_TRUE(bEnglishChecked);
        EXPECT_FALSE(bGermanChecked);
        std::vector<BYTE> stored;
        if (c.dwStored) {
            ASSERT_TRUE(ReadSetting("LanguageID", stored));
            ASSERT_EQ(4u, stored.size());
            DWORD dwStored = 0;
            std::memcpy(&dwStored, stored.data(), 4);
            EXPECT_EQ(c.dwStored, dwStored);
        } else {
            EXPECT_FALSE(ReadSetting("LanguageID", stored));
        }
        if (c.nResult == 4) {
            EXPECT_TRUE(HasSetting("WindowPlacement"));
        } else {
            EXPECT_FALSE(bPlacementWritten) << "the placement is written only when the dialog ends";
        }
    }
}

TEST_F(DialogShellTest, TheDragIconIsTheApplicationIcon) {
    CMainDialogRun run(IDD_KOMBRIX_EN);
    HICON hDrag = nullptr, hBig = nullptr, hSmall = nullptr;
    run.WaitForDialog().Do("query", [&] {
        hDrag = reinterpret_cast<HICON>(SendMessageA(run.Window(), WM_QUERYDRAGICON, 0, 0));
        hBig = reinterpret_cast<HICON>(SendMessageA(run.Window(), WM_GETICON, ICON_BIG, 0));
        hSmall = reinterpret_cast<HICON>(SendMessageA(run.Window(), WM_GETICON, ICON_SMALL, 0));
    });
    run.Press(IDCANCEL);
    run.Run();
    EXPECT_NE(nullptr, hDrag);
    EXPECT_EQ(hBig, hDrag);
    EXPECT_EQ(hBig, hSmall);
}

WINDOWPLACEMENT StoredPlacement() {
    WINDOWPLACEMENT placement = {};
    std::vector<BYTE> data;
    if (ReadSetting("WindowPlacement", data) && data.size() == sizeof(placement)) {
        std::memcpy(&placement, data.data(), sizeof(placement));
    }
    return placement;
}

TEST_F(DialogShellTest, TheWindowPlacementIsSavedAsTheFortyFourByteRecord) {
    CMainDialogRun run(IDD_KOMBRIX_EN);
    RECT rcWindow = {};
    run.WaitForFilledCombos().Do("move and cancel", [&] {
        SetWindowPos(run.Window(), nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(run.Window(), &rcWindow);
        PressButton(run.Window(), IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, run.Run());
    std::vector<BYTE> data;
    DWORD dwType = 0;
    ASSERT_TRUE(ReadSetting("WindowPlacement", data, &dwType));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), dwType);
    ASSERT_EQ(44u, data.size());
    const WINDOWPLACEMENT placement = StoredPlacement();
    EXPECT_EQ(44u, placement.length);
    EXPECT_EQ(0u, placement.flags);
    EXPECT_EQ(static_cast<UINT>(SW_SHOWNORMAL), placement.showCmd);
    EXPECT_EQ(rcWindow.left, placement.rcNormalPosition.left);
    EXPECT_EQ(rcWindow.top, placement.rcNormalPosition.top);
    EXPECT_EQ(rcWindow.right, placement.rcNormalPosition.right);
    EXPECT_EQ(rcWindow.bottom, placement.rcNormalPosition.bottom);
}

TEST_F(DialogShellTest, AStoredPlacementIsAppliedUnlessItLiesBeyondTheScreens) {
    const int cxAll = GetSystemMetrics(SM_CMONITORS) * GetSystemMetrics(SM_CXSCREEN);
    const int cyScreen = GetSystemMetrics(SM_CYSCREEN);
    // A size of its own marks a placement that was applied; the system may
    // still move a window that would hardly be visible.
    const int cx = 611, cy = 377;
    struct SCase {
        const char* pszName;
        int x, y;
        DWORD cbValue;
        bool bApplied;
    };
    const SCase cases[] = {
        {"on the screen", 100, 120, 44, true},
        {"negative left and top", -50, -20, 44, true},
        {"left at the right edge of all screens", cxAll, 100, 44, false},
        {"left just inside", cxAll - 1, 100, 44, true},
        {"top at the bottom edge", 100, cyScreen, 44, false},
        {"top just inside", 100, cyScreen - 1, 44, true},
        {"value shorter than the record", 100, 120, 40, false},
        {"value longer than the record", 100, 120, 48, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        TearDown();
        SetUp();
        BYTE data[48] = {};
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof(placement);
        placement.flags = WPF_RESTORETOMAXIMIZED;  // must be cleared before it is applied
        placement.showCmd = SW_SHOWNORMAL;
        placement.rcNormalPosition = {c.x, c.y, c.x + cx, c.y + cy};
        std::memcpy(data, &placement, sizeof(placement));
        WriteSetting("WindowPlacement", REG_BINARY, data, c.cbValue);

        CMainDialogRun run(IDD_KOMBRIX_EN);
        RECT rc = {};
        run.WaitForDialog().Do("measure", [&] { GetWindowRect(run.Window(), &rc); });
        run.Press(IDCANCEL);
        run.Run();
        const bool bApplied = rc.right - rc.left == cx && rc.bottom - rc.top == cy;
        EXPECT_EQ(c.bApplied, bApplied)
            << rc.left << "," << rc.top << " " << rc.right - rc.left << "x" << rc.bottom - rc.top;
        if (c.bApplied && c.x >= 0 && c.x < 1000 && c.y >= 0 && c.y < 700) {
            EXPECT_EQ(c.x, rc.left);
            EXPECT_EQ(c.y, rc.top);
        }
        EXPECT_GT(rc.right - rc.left, 0) << "the dialog must never end up without a size";
    }
}

}  // namespace
}  // namespace apptest
