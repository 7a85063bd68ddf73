// The main dialog: the four STEP 5 ports COM 1 to COM 4 and the adapter port
// each one is assigned to. Right after it is shown, a one-shot timer starts
// the check sequence; when that passes, the combos show the current
// assignment and OK writes a changed one into the driver file.
#pragma once

#include <string>

#include "framework/Dialog.h"

/// The start-up timer: its identifier and its delay in milliseconds.
constexpr UINT_PTR kStartupTimerId = 4712;
constexpr UINT kStartupTimerDelay = 20;

class CKombrixDlg : public CDialog {
public:
    /// The main dialog from template 100 (German) or 101 (English).
    explicit CKombrixDlg(UINT nIDTemplate);
    ~CKombrixDlg() override;

    /// Stores the dialog's window placement as "WindowPlacement".
    virtual void SaveWindowPlacement();

protected:
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    void DoDataExchange() override;
    bool PreTranslateMessage(MSG* pMsg) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnUpdateCommand(UINT nId, bool& bEnable) override;

private:
    // The check sequence and its messages.
    void OnTimer(UINT_PTR nIDEvent);
    void RunStartupChecks();
    void ShowStatus(int nStatus);
    void ShowSuccessMessage();
    void ShowErrorMessage(int nStatus);
    int PromptCloseStep5();
    int ShowMessage(int nStatus, UINT nType);

    // The port combos.
    void FillPortCombos();
    void SelectCurrentPort(int nPort, const char* pszPreset, CComboBox& cbPort);
    bool IsOkAllowed() const;
    CComboBox& PortCombo(int nPort);
    const CComboBox& PortCombo(int nPort) const;

    // The dialog shell.
    void AddSystemMenuItems();
    void RestoreWindowPlacement();
    bool OnSysCommand(UINT nID);
    bool OnPaint();
    void OnLanguage();

public:
    HICON m_hIcon;
    std::string m_strRegKey;
    std::string m_strDefault;
    std::string m_strUnknownPort;
    std::string m_strPortNotAvailable;
    std::string m_strInitialText[4];
    CComboBox m_cbCom1;
    CComboBox m_cbCom2;
    CComboBox m_cbCom3;
    CComboBox m_cbCom4;
    CButton m_btnOK;
    CButton m_btnCancel;
    bool m_bChecksPassed = false;
    bool m_bInTimer = false;
    UINT_PTR m_nTimerID = 0;
};
