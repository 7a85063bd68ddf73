// The main dialog's frame: the system menu items and commands, the icon
// drawn while minimised, and the window placement kept in the settings key.
#include "app/AboutDlg.h"
#include "app/KombrixApp.h"
#include "app/KombrixDlg.h"
#include "app/Language.h"
#include "app/SelectDlg.h"
#include "app/Settings.h"
#include "app/resources/ResourceIds.h"
#include "framework/RegKey.h"

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement is the 44-byte record");

void CKombrixDlg::AddSystemMenuItems() {
    HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE);
    if (!hSysMenu) return;
    const std::string strLanguage = GetDlgItemText(IDC_TEXT_MENU_LANGUAGE);
    if (!strLanguage.empty()) {
        AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(hSysMenu, MF_STRING, IDM_LANGUAGE, strLanguage.c_str());
    }
    const std::string strAbout = GetDlgItemText(IDC_TEXT_MENU_ABOUT);
    if (!strAbout.empty()) {
        AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(hSysMenu, MF_STRING, IsGerman(g_nLanguageID) ? IDM_ABOUTBOX_DE : IDM_ABOUTBOX_EN,
                    strAbout.c_str());
    }
}

bool CKombrixDlg::OnSysCommand(UINT nID) {
    // The system keeps the low four bits of a command for itself.
    switch (nID & 0xFFF0) {
        case IDM_LANGUAGE:
            OnLanguage();
            return true;
        case IDM_ABOUTBOX_DE: {
            CAboutDlg dlg(IDD_ABOUTBOX_DE, this);
            dlg.DoModal();
            return true;
        }
        case IDM_ABOUTBOX_EN: {
            CAboutDlg dlg(IDD_ABOUTBOX_EN, this);
            dlg.DoModal();
            return true;
        }
        default:
            return false;
    }
}

void CKombrixDlg::OnLanguage() {
    const uint32_t nLanguageBefore = g_nLanguageID;
    CSelectDlg dlg(this);
    dlg.m_bStartup = false;
    if (dlg.DoModal() == IDOK && g_nLanguageID != nLanguageBefore) {
        SaveWindowPlacement();
        EndDialog(kResultRestart);
    }
}

bool CKombrixDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) return false;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rcClient;
    GetClientRect(m_hWnd, &rcClient);
    const int x = (rcClient.right - rcClient.left - cxIcon + 1) / 2;
    const int y = (rcClient.bottom - rcClient.top - cyIcon + 1) / 2;
    DrawIcon(hdc, x, y, m_hIcon);
    EndPaint(m_hWnd, &ps);
    return true;
}

void CKombrixDlg::SaveWindowPlacement() {
    CRegKey key;
    if (!key.Create(HKEY_CURRENT_USER, m_strRegKey.c_str(), KEY_WRITE)) return;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(m_hWnd, &placement);
    placement.flags = 0;
    RegSetValueExA(key.Get(), kSettingWindowPlacement, 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(&placement), sizeof(placement));
}

void CKombrixDlg::RestoreWindowPlacement() {
    CRegKey key;
    if (!key.Open(HKEY_CURRENT_USER, m_strRegKey.c_str(), KEY_READ)) return;
    WINDOWPLACEMENT placement = {};
    DWORD cbPlacement = sizeof(placement);
    if (RegQueryValueExA(key.Get(), kSettingWindowPlacement, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&placement), &cbPlacement) != ERROR_SUCCESS) {
        return;
    }
    // A shorter value would leave the window with an empty normal rectangle,
    // an invisible dialog; such a value is passed over like an unreadable one.
    if (cbPlacement != sizeof(placement) ||
        placement.rcNormalPosition.right <= placement.rcNormalPosition.left ||
        placement.rcNormalPosition.bottom <= placement.rcNormalPosition.top) {
        return;
    }
    const int nMonitors = GetSystemMetrics(SM_CMONITORS);
    if (nMonitors <= 0) return;
    if (placement.rcNormalPosition.left >= nMonitors * GetSystemMetrics(SM_CXSCREEN) ||
        placement.rcNormalPosition.top >= GetSystemMetrics(SM_CYSCREEN)) {
        return;
    }
    placement.length = sizeof(placement);
    placement.flags = 0;
    SetWindowPlacement(m_hWnd, &placement);
}
