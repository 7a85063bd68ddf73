// Runs the main dialog of the test's own process under a CDialogDriver and
// reads what it shows through its windows: combos, buttons, message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KombrixDlg.h"
#include "app/resources/ResourceIds.h"
#include "tests/win32/app/AppTestEnvironment.h"

namespace apptest {

/// The expected texts of one language, written out here so that the test
/// does not read them from the templates it checks.
struct SLanguageTexts {
    UINT nTemplate;
    const char* pszCaption;
    const char* pszDefault;
    const char* pszUnknownPort;
    const char* pszPortNotAvailable;
};

inline const SLanguageTexts kGerman = {IDD_KOMBRIX_DE, " Velkor Lintra-Konfiguration", "- Standard -",
                                       "Unbekannte Schnittstelle",
                                       "Nicht verf\xFC"
                                       "gbare Schnittstelle"};
inline const SLanguageTexts kEnglish = {IDD_KOMBRIX_EN, " Velkor Lintra Configuration", "- Default -",
                                        "Unknown port", "Port not available"};

/// The main dialog, run modally with the driver's steps.
class CMainDialogRun {
public:
    explicit CMainDialogRun(UINT nTemplate) : m_dlg(nTemplate) { m_driver.OnGiveUp(CloseAllThreadDialogs); }

    CDialogDriver& Driver() { return m_driver; }
    CKombrixDlg& Dialog() { return m_dlg; }

    /// Runs the dialog; its result. Fails the test when a step did not finish.
    INT_PTR Run() {
        m_driver.Start();
        const INT_PTR nResult = m_dlg.DoModal();
        m_driver.Stop();
        EXPECT_TRUE(m_driver.Succeeded()) << "step not finished: " << m_driver.Pending();
        return nResult;
    }

    // ---- Steps ----

    /// Waits until the dialog window exists.
    CMainDialogRun& WaitForDialog() {
        m_driver.Then("dialog window", [this] {
            m_hDlg = m_dlg.m_hWnd;
            return m_hDlg != nullptr;
        });
        return *this;
    }

    /// Waits until the check sequence has filled the combos and no message
    /// box is up.
    CMainDialogRun& WaitForFilledCombos() {
        WaitForDialog();
        m_driver.Then("combos filled", [this] { return ComboCount(0) > 0 && !FindMessageBox(m_hDlg); });
        return *this;
    }

    /// Waits for a message box of the dialog, records it, presses nButton.
    CMainDialogRun& AnswerBox(int nButton) {
        WaitForDialog();
        m_boxes.emplace_back(new SMessageBoxSeen);
        SMessageBoxSeen* pSeen = m_boxes.back().get();
        m_driver.AnswerMessageBox(&m_hDlg, nButton, pSeen);
        m_driver.Then("box closed", [pSeen] { return !IsWindow(pSeen->hBox); });
        return *this;
    }

    /// The same for a box whose button ends the dialog.
    CMainDialogRun& AnswerLastBox(int nButton) {
        WaitForDialog();
        m_boxes.emplace_back(new SMessageBoxSeen);
        m_driver.AnswerMessageBox(&m_hDlg, nButton, m_boxes.back().get());
        return *this;
    }

    /// Runs an action or check once.
    CMainDialogRun& Do(std::string strName, std::function<void()> action) {
        m_driver.Then(std::move(strName), [action] {
            action();
            return true;
        });
        return *this;
    }

    /// Presses a button of the dialog.
    CMainDialogRun& Press(int nId) {
        return Do("press " + std::to_string(nId), [this, nId] { PressButton(m_hDlg, nId); });
    }

    /// Picks the entry at nIndex in the port's combo as the user would, then
    /// lets a message through the dialog's loop.
    CMainDialogRun& ChooseIndex(int nPort, int nIndex) {
        return Do("choose", [this, nPort, nIndex] {
            HWND hCombo = Combo(nPort);
            SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
            SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_COM1 + nPort, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(hCombo));
            PostMessageA(hCombo, WM_NULL, 0, 0);
        });
    }

    /// Picks the entry with exactly this text.
    CMainDialogRun& Choose(int nPort, const std::string& strText) {
        m_driver.Then("choose " + strText, [this, nPort, strText] {
            const LRESULT nIndex = SendMessageA(Combo(nPort), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(strText.c_str()));
            EXPECT_NE(CB_ERR, nIndex) << "no entry " << strText << " in combo " << nPort;
            SendMessageA(Combo(nPort), CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
            SendMessageA(m_hDlg, WM_COMMAND, MAKEWPARAM(IDC_COMBO_COM1 + nPort, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(Combo(nPort)));
            PostMessageA(Combo(nPort), WM_NULL, 0, 0);
            return true;
        });
        return *this;
    }

    // ---- Reading the dialog ----

    HWND Window() const { return m_hDlg; }
    HWND Combo(int nPort) const { return GetDlgItem(m_hDlg, IDC_COMBO_COM1 + nPort); }
    int ComboCount(int nPort) const {
        return static_cast<int>(SendMessageA(Combo(nPort), CB_GETCOUNT, 0, 0));
    }
    std::string ComboText(int nPort) const { return WindowText(Combo(nPort)); }
    std::vector<std::string> ComboEntries(int nPort) const {
        std::vector<std::string> entries;
        for (int i = 0; i < ComboCount(nPort); ++i) {
            char szText[256] = {};
            SendMessageA(Combo(nPort), CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(szText));
            entries.push_back(szText);
        }
        return entries;
    }
    bool OkEnabled() const { return IsWindowEnabled(GetDlgItem(m_hDlg, IDOK)) != FALSE; }

    /// The message boxes answered so far, in order.
    const SMessageBoxSeen& Box(size_t n) const { return *m_boxes.at(n); }
    size_t BoxCount() const { return m_boxes.size(); }

private:
    CKombrixDlg m_dlg;
    CDialogDriver m_driver;
    HWND m_hDlg = nullptr;
    std::vector<std::unique_ptr<SMessageBoxSeen>> m_boxes;
};

}  // namespace apptest
