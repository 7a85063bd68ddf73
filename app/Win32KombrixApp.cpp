#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include "app/KombrixApp.h"
#include "app/KombrixDlg.h"
#include "app/Language.h"
#include "app/Restart.h"
#include "app/SelectDlg.h"
#include "app/Settings.h"
#include "app/resources/ResourceIds.h"

CKombrixApp::CKombrixApp() = default;

CKombrixApp::~CKombrixApp() = default;

bool CKombrixApp::InitInstance() {
    INITCOMMONCONTROLSEX initControls = {};
    initControls.dwSize = sizeof(initControls);
    initControls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&initControls);

    CWinApp::InitInstance();
    SetRegistryKey(kSettingsCompany);

    CSelectDlg languageDlg(nullptr);
    languageDlg.m_bStartup = true;
    if (languageDlg.DoModal() != IDOK) return false;

    if (RunMainDialog() == kResultRestart) RestartProgram();
    return false;
}

int CKombrixApp::RunMainDialog() {
    CKombrixDlg dlg(IsGerman(g_nLanguageID) ? IDD_KOMBRIX_DE : IDD_KOMBRIX_EN);
    m_pMainWnd = &dlg;
    const INT_PTR nResult = dlg.DoModal();
    m_pMainWnd = nullptr;
    return static_cast<int>(nResult);
}

bool CKombrixApp::OnCmdMsg(UINT nId) {
    if (nId == ID_HELP) {
        OnHelp();
        return true;
    }
    return CWinApp::OnCmdMsg(nId);
}

bool CKombrixApp::HasCommandHandler(UINT nId) const {
    return nId == ID_HELP || CWinApp::HasCommandHandler(nId);
}
