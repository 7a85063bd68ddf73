#include "app/Language.h"
#include "app/SelectDlg.h"
#include "app/Settings.h"
#include "app/resources/ResourceIds.h"
#include "framework/RegKey.h"
#include "framework/WinApp.h"

CSelectDlg::CSelectDlg(CWnd* pParentWnd) : CDialog(IDD_SELECT_LANGUAGE, pParentWnd) {}

CSelectDlg::~CSelectDlg() = default;

bool CSelectDlg::PreTranslateMessage(MSG* pMsg) {
    UpdateDialogButtons();
    return CDialog::PreTranslateMessage(pMsg);
}

bool CSelectDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HICON hIcon = static_cast<HICON>(LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APPICON),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (hIcon) SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));

    m_strRegKey = LoadResourceString(IDS_SETTINGS_KEY);
    const bool bStored = ReadLanguageID();

    if (m_bStartup) {
        if (bStored) {
            // The stored language is taken as it is and not written back.
            CDialog::OnOK();
        } else {
            CheckDlgButton(m_hWnd, IDC_LANGUAGE_GERMAN, BST_CHECKED);
        }
    } else {
        const bool bGerman = IsGerman(g_nLanguageID);
        CheckDlgButton(m_hWnd, IDC_LANGUAGE_GERMAN, bGerman ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(m_hWnd, IDC_LANGUAGE_ENGLISH, bGerman ? BST_UNCHECKED : BST_CHECKED);
    }
    return true;
}

void CSelectDlg::OnOK() {
    g_nLanguageID =
        IsDlgButtonChecked(m_hWnd, IDC_LANGUAGE_GERMAN) == BST_CHECKED ? kLanguageGerman : kLanguageEnglish;
    // Without a stored value the choice holds for this run only.
    WriteLanguageID();
    CDialog::OnOK();
}

bool CSelectDlg::ReadLanguageID() {
    CRegKey key;
    if (!key.Open(HKEY_CURRENT_USER, m_strRegKey.c_str(), KEY_READ)) return false;
    // Any value whose data fits four bytes counts, whatever its type.
    DWORD dwValue = 0;
    DWORD cbValue = sizeof(dwValue);
    if (RegQueryValueExA(key.Get(), kSettingLanguageID, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue),
                         &cbValue) != ERROR_SUCCESS) {
        return false;
    }
    g_nLanguageID = dwValue;
    return true;
}

bool CSelectDlg::WriteLanguageID() {
    CRegKey key;
    if (!key.Create(HKEY_CURRENT_USER, m_strRegKey.c_str(), KEY_WRITE)) return false;
    const DWORD dwValue = g_nLanguageID;
    RegSetValueExA(key.Get(), kSettingLanguageID, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                   sizeof(dwValue));
    return true;
}
