// The language dialog: at program start it ends unseen when a language is
// stored, otherwise it asks; from the main dialog's system menu it shows the
// current language checked. Its OK stores the choice as "LanguageID".
#pragma once

#include <string>

#include "framework/Dialog.h"

class CSelectDlg : public CDialog {
public:
    /// The language dialog, template 80, owned by pParentWnd (null at start).
    explicit CSelectDlg(CWnd* pParentWnd = nullptr);
    ~CSelectDlg() override;

    /// Reads "LanguageID" into g_nLanguageID; false when it is not stored.
    bool ReadLanguageID();
    /// Stores g_nLanguageID as "LanguageID"; false when the key cannot be made.
    bool WriteLanguageID();

    /// True at program start, false in change mode. Set before DoModal.
    bool m_bStartup = false;
    /// The settings key below HKEY_CURRENT_USER; loaded when the dialog opens.
    std::string m_strRegKey;

protected:
    bool PreTranslateMessage(MSG* pMsg) override;
    bool OnInitDialog() override;
    void OnOK() override;
};
