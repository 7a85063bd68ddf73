#include "app/AboutDlg.h"
#include "app/resources/ResourceIds.h"
#include "framework/WinApp.h"

CAboutDlg::CAboutDlg(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd) {}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::PreTranslateMessage(MSG* pMsg) {
    UpdateDialogButtons();
    return CDialog::PreTranslateMessage(pMsg);
}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HICON hIcon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APPICON),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (hIcon) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    return true;
}
