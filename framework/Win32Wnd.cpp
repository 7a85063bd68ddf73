#include <vector>

#include "framework/FrameworkErrors.h"
#include "framework/Wnd.h"

namespace {

std::string TextOfWindow(HWND hWnd) {
    if (!hWnd) return std::string();
    const int cch = GetWindowTextLengthA(hWnd);
    if (cch <= 0) return std::string();
    // The length may be an upper bound for double-byte text; the copy tells
    // the real one.
    std::vector<char> buffer(static_cast<size_t>(cch) + 1, '\0');
    const int cchCopied = GetWindowTextA(hWnd, buffer.data(), cch + 1);
    return std::string(buffer.data(), cchCopied > 0 ? static_cast<size_t>(cchCopied) : 0);
}

}  // namespace

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

std::string CWnd::GetWindowText() const { return TextOfWindow(m_hWnd); }

void CWnd::SetWindowText(const char* pszText) { ::SetWindowTextA(m_hWnd, pszText); }

std::string CWnd::GetDlgItemText(int nId) const { return TextOfWindow(GetDlgItem(nId)); }

HWND CWnd::GetDlgItem(int nId) const { return m_hWnd ? ::GetDlgItem(m_hWnd, nId) : nullptr; }

bool CWnd::EnableWindow(bool bEnable) { return ::EnableWindow(m_hWnd, bEnable ? TRUE : FALSE) != FALSE; }

bool CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

LRESULT CWnd::SendMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, nMsg, wParam, lParam);
}

int CComboBox::AddString(const char* pszText) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszText)));
}

int CComboBox::SelectString(int nStartAfter, const char* pszText) {
    return static_cast<int>(
        SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), reinterpret_cast<LPARAM>(pszText)));
}

int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }

int CComboBox::SetCurSel(int nIndex) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nIndex)));
}

std::string CComboBox::GetLBText(int nIndex) const {
    const LRESULT cch = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (cch == CB_ERR || cch <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(cch) + 1, '\0');
    const LRESULT cchCopied =
        SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()));
    if (cchCopied == CB_ERR || cchCopied <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(cchCopied));
}

int CButton::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }

void CButton::SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

void DDX_Control(HWND hDlg, int nId, CWnd& ctl) {
    HWND hCtl = ::GetDlgItem(hDlg, nId);
    if (!hCtl) throw CInvalidArgException("dialog has no control " + std::to_string(nId));
    ctl.Attach(hCtl);
}
