// The main dialog's construction, initialisation, message map and the
// start-up check sequence with its messages.
#include "app/KombrixDlg.h"
#include "app/resources/ResourceIds.h"
#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "framework/WinApp.h"
#include "inventory/CommEnum.h"
#include "inventory/PortLists.h"
#include "processes/Step5Check.h"

CKombrixDlg::CKombrixDlg(UINT nIDTemplate)
    : CDialog(nIDTemplate, nullptr),
      m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APPICON))) {}

CKombrixDlg::~CKombrixDlg() = default;

void CKombrixDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    DDX_Control(m_hWnd, IDC_COMBO_COM1, m_cbCom1);
    DDX_Control(m_hWnd, IDC_COMBO_COM2, m_cbCom2);
    DDX_Control(m_hWnd, IDC_COMBO_COM3, m_cbCom3);
    DDX_Control(m_hWnd, IDC_COMBO_COM4, m_cbCom4);
    DDX_Control(m_hWnd, IDOK, m_btnOK);
    DDX_Control(m_hWnd, IDCANCEL, m_btnCancel);
}

bool CKombrixDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM, LRESULT& lResult) {
    switch (nMsg) {
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return true;
        case WM_SYSCOMMAND:
            return OnSysCommand(static_cast<UINT>(wParam));
        case WM_PAINT:
            return OnPaint();
        case WM_QUERYDRAGICON:
            lResult = reinterpret_cast<LRESULT>(m_hIcon);
            return true;
        default:
            return false;
    }
}

bool CKombrixDlg::PreTranslateMessage(MSG* pMsg) {
    UpdateDialogButtons();
    return CDialog::PreTranslateMessage(pMsg);
}

bool CKombrixDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    AddSystemMenuItems();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_strRegKey = LoadResourceString(IDS_SETTINGS_KEY);
    m_strDefault = GetDlgItemText(IDC_TEXT_DEFAULT_ENTRY);
    m_strUnknownPort = GetDlgItemText(IDC_TEXT_UNKNOWN_PORT);
    m_strPortNotAvailable = GetDlgItemText(IDC_TEXT_PORT_NOT_AVAILABLE);

    RestoreWindowPlacement();

    // The checks wait for the first tick, so that the dialog is on the
    // screen while they run.
    m_nTimerID = SetTimer(m_hWnd, kStartupTimerId, kStartupTimerDelay, nullptr);
    if (m_nTimerID == 0) RunStartupChecks();

    UpdateDialogButtons();
    return true;
}

void CKombrixDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != m_nTimerID || m_bInTimer) return;
    m_bInTimer = true;
    if (m_nTimerID != 0) KillTimer(m_hWnd, m_nTimerID);
    m_nTimerID = 0;
    RunStartupChecks();
    m_bInTimer = false;
}

void CKombrixDlg::RunStartupChecks() {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));

    EnumerateCommPorts();

    if (!BuildDriverPaths()) return ShowStatus(IDC_STATUS_NO_SYSTEM_PATH);
    if (!DriverFileSystem().FileExists(g_strDriverPath.c_str())) return ShowStatus(IDC_STATUS_NO_DRIVER);

    switch (CheckDriverVersion()) {
        case kDriverVersionBackupPresent:
            break;
        case kDriverVersionNoDriver:
            return ShowStatus(IDC_STATUS_NO_DRIVER);
        case kDriverVersionUnreadable:
            return ShowStatus(IDC_STATUS_NO_CHECKSUM);
        case kDriverVersionCopyFailed:
            return ShowStatus(IDC_STATUS_NO_BACKUP);
        case kDriverVersionUnknown:
        default:
            return ShowStatus(IDC_STATUS_WRONG_VERSION);
    }

    if (g_arSerialComm.GetCount() == 0) return ShowStatus(IDC_STATUS_NO_SERIAL_PORT);
    if (g_arVirtualComm.GetCount() == 0) return ShowStatus(IDC_STATUS_NO_ADAPTER);

    while (IsStep5Running()) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
        if (PromptCloseStep5() == IDCANCEL) {
            OnCancel();
            return;
        }
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514) /* IDC_WAIT */));
    }

    if (!ReadDeviceNameTable()) return ShowStatus(IDC_STATUS_NO_ADAPTER);

    FillPortCombos();
    m_bChecksPassed = true;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
}

void CKombrixDlg::ShowStatus(int nStatus) {
    for (int nPort = 0; nPort < 4; ++nPort) PortCombo(nPort).AddString(m_strDefault.c_str());
    for (int nPort = 0; nPort < 4; ++nPort) PortCombo(nPort).SelectString(-1, m_strDefault.c_str());
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
    ShowErrorMessage(nStatus);
    UpdateDialogButtons();
}

int CKombrixDlg::ShowMessage(int nStatus, UINT nType) {
    // Text and caption are read now, from this dialog's own template, so the
    // message is in the dialog's language.
    const std::string strText = GetDlgItemText(nStatus);
    const std::string strCaption = GetWindowText();
    return MessageBoxA(m_hWnd, strText.c_str(), strCaption.c_str(), nType);
}

void CKombrixDlg::ShowSuccessMessage() { ShowMessage(IDC_STATUS_SUCCESS, MB_OK | MB_ICONINFORMATION); }

void CKombrixDlg::ShowErrorMessage(int nStatus) { ShowMessage(nStatus, MB_OK | MB_ICONHAND); }

int CKombrixDlg::PromptCloseStep5() {
    return ShowMessage(IDC_STATUS_STEP5_RUNNING, MB_OKCANCEL | MB_ICONHAND);
}
