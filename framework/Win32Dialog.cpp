#include "framework/Dialog.h"
#include "framework/ErrorBox.h"
#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate) {}

CDialog::~CDialog() {
    // A dialog object that goes away while its window lives must not be
    // reached through the window any more.
    if (m_hWnd && IsWindow(m_hWnd)) {
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialog::DoModal() {
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource =
        FindResourceA(hInstance, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!hResource) return -1;
    HGLOBAL hTemplate = LoadResource(hInstance, hResource);
    const void* pTemplate = hTemplate ? LockResource(hTemplate) : nullptr;
    if (!pTemplate) return -1;

    m_hWndOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const bool bDisableOwner = m_hWndOwner && ::IsWindowEnabled(m_hWndOwner);
    if (bDisableOwner) ::EnableWindow(m_hWndOwner, FALSE);

    m_bEnded = false;
    m_nResult = -1;
    HWND hWnd = CreateDialogIndirectParamA(hInstance, static_cast<LPCDLGTEMPLATEA>(pTemplate), m_hWndOwner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    if (hWnd && !m_bEnded) {
        // A template without the visible style shows once it is initialised;
        // a dialog that ended during its initialisation is never seen.
        if (!IsWindowVisible(hWnd)) ShowWindow(hWnd, SW_SHOWNORMAL);
        RunModalLoop();
    }

    // Enable the owner before the dialog goes, so that the activation
    // returns to it and not to some other program.
    if (bDisableOwner) ::EnableWindow(m_hWndOwner, TRUE);
    if (m_hWnd) {
        if (m_hWndOwner && GetActiveWindow() == m_hWnd) SetActiveWindow(m_hWndOwner);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        HWND hDestroy = m_hWnd;
        DestroyWindow(hDestroy);
    }
    m_hWnd = nullptr;
    m_hWndOwner = nullptr;
    return m_nResult;
}

void CDialog::EndDialog(INT_PTR nResult) {
    m_nResult = nResult;
    m_bEnded = true;
    // Wakes the modal loop in case the call came from a nested one.
    if (m_hWnd) PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CDialog::RunModalLoop() {
    MSG msg;
    while (!m_bEnded) {
        const BOOL bResult = GetMessageA(&msg, nullptr, 0, 0);
        if (bResult == -1) {
            m_nResult = -1;
            break;
        }
        if (bResult == 0) {
            // WM_QUIT ends every modal loop; pass it on to the outer one.
            PostQuitMessage(static_cast<int>(msg.wParam));
            m_nResult = -1;
            break;
        }
        if (m_hWnd && (msg.hwnd == m_hWnd || IsChild(m_hWnd, msg.hwnd))) {
            bool bConsumed = false;
            try {
                bConsumed = PreTranslateMessage(&msg);
            } catch (...) {
                ReportCurrentException(m_hWnd);
                bConsumed = true;
            }
            if (bConsumed) continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CDialog::DoDataExchange() {}

bool CDialog::PreTranslateMessage(MSG* pMsg) { return IsDialogMessageA(m_hWnd, pMsg) != FALSE; }

bool CDialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(UINT nId, UINT nCode) {
    if (nCode == BN_CLICKED) {
        if (nId == IDOK) {
            OnOK();
            return true;
        }
        if (nId == IDCANCEL) {
            OnCancel();
            return true;
        }
        CWinApp* pApp = AfxGetApp();
        return pApp && pApp->OnCmdMsg(nId);
    }
    return false;
}

bool CDialog::HasCommandHandler(UINT nId) const {
    if (nId == IDOK || nId == IDCANCEL) return true;
    const CWinApp* pApp = AfxGetApp();
    return pApp && pApp->HasCommandHandler(nId);
}

bool CDialog::OnUpdateCommand(UINT, bool&) { return false; }

void CDialog::UpdateDialogButtons() {
    if (!m_hWnd) return;
    for (HWND hChild = GetWindow(m_hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        if (::SendMessageA(hChild, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            const UINT nId = static_cast<UINT>(GetDlgCtrlID(hChild));
            bool bEnable = false;
            if (!OnUpdateCommand(nId, bEnable)) bEnable = HasCommandHandler(nId);
            const bool bEnabled = ::IsWindowEnabled(hChild) != FALSE;
            if (bEnable == bEnabled) continue;
            if (!bEnable && GetFocus() == hChild) ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
            ::EnableWindow(hChild, bEnable ? TRUE : FALSE);
        }
    }
}

void CDialog::CenterOverOwner() {
    RECT rcDialog;
    GetWindowRect(m_hWnd, &rcDialog);
    RECT rcArea;
    if (m_hWndOwner && IsWindowVisible(m_hWndOwner) && !IsIconic(m_hWndOwner)) {
        GetWindowRect(m_hWndOwner, &rcArea);
    } else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcArea, 0)) {
        return;
    }
    const int cx = rcDialog.right - rcDialog.left;
    const int cy = rcDialog.bottom - rcDialog.top;
    int x = rcArea.left + ((rcArea.right - rcArea.left) - cx) / 2;
    int y = rcArea.top + ((rcArea.bottom - rcArea.top) - cy) / 2;
    RECT rcWork;
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0)) {
        if (x + cx > rcWork.right) x = rcWork.right - cx;
        if (y + cy > rcWork.bottom) y = rcWork.bottom - cy;
        if (x < rcWork.left) x = rcWork.left;
        if (y < rcWork.top) y = rcWork.top;
    }
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::HandleInitDialog(HWND hWnd) {
    m_hWnd = hWnd;
    RECT rcBefore;
    GetWindowRect(hWnd, &rcBefore);
    const bool bDefaultFocus = OnInitDialog();
    // Like the dialogs of the classic frameworks: a dialog that its
    // initialisation did not place is centred.
    RECT rcAfter;
    if (!m_bEnded && GetWindowRect(hWnd, &rcAfter) && EqualRect(&rcBefore, &rcAfter) &&
        !(GetWindowLongA(hWnd, GWL_STYLE) & DS_ABSALIGN)) {
        CenterOverOwner();
    }
    return bDefaultFocus ? TRUE : FALSE;
}

INT_PTR CDialog::Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_COMMAND) {
        return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    }
    LRESULT lResult = 0;
    if (!OnMessage(nMsg, wParam, lParam, lResult)) return FALSE;
    switch (nMsg) {
        // These return their value directly from the dialog procedure.
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            return static_cast<INT_PTR>(lResult);
        default:
            SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(lResult));
            return TRUE;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    CDialog* pDialog;
    if (nMsg == WM_INITDIALOG) {
        pDialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pDialog));
    } else {
        pDialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!pDialog) return FALSE;
    if (nMsg == WM_NCDESTROY) {
        // Destroyed from outside the modal loop: the loop must not wait on.
        pDialog->m_hWnd = nullptr;
        if (!pDialog->m_bEnded) {
            pDialog->m_bEnded = true;
            pDialog->m_nResult = -1;
        }
        return FALSE;
    }
    // No exception may unwind through the system's frames.
    try {
        if (nMsg == WM_INITDIALOG) return pDialog->HandleInitDialog(hWnd);
        return pDialog->Dispatch(nMsg, wParam, lParam);
    } catch (...) {
        ReportCurrentException(hWnd);
    }
    return nMsg == WM_INITDIALOG ? TRUE : FALSE;
}
