// Thin wrappers over window handles: the base of every window object of the
// framework, and the two control classes that dialogs bind to their controls.
// A wrapper does not own its window; the dialog that created it destroys it.
#pragma once

#include <windows.h>

#include <string>

/// A window the program talks to through its handle.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    /// Ties the wrapper to an existing window.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    /// Unties it and returns the handle.
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }

    /// The window's text in the ANSI code page; empty when it has none.
    std::string GetWindowText() const;
    void SetWindowText(const char* pszText);
    /// The text of a child control; empty when there is no such control.
    std::string GetDlgItemText(int nId) const;
    HWND GetDlgItem(int nId) const;

    bool EnableWindow(bool bEnable);
    bool IsWindowEnabled() const;
    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    HWND m_hWnd = nullptr;
};

/// A combo box control; entries are added and selected by text.
class CComboBox : public CWnd {
public:
    /// Adds an entry; its position, CB_ERR or CB_ERRSPACE.
    int AddString(const char* pszText);
    /// Selects the first entry after nStartAfter whose text begins with
    /// pszText, ignoring case; -1 searches the whole list. Its position or CB_ERR.
    int SelectString(int nStartAfter, const char* pszText);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nIndex);
    /// The text of the entry at nIndex; empty when there is none.
    std::string GetLBText(int nIndex) const;
};

/// A push button, check box or radio button.
class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int nCheck);
};

/// Binds `ctl` to the dialog's control `nId`. Throws CInvalidArgException
/// when the dialog has no such control.
void DDX_Control(HWND hDlg, int nId, CWnd& ctl);
