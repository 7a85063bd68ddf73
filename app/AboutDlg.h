// The About box: the icon, the maker's logo, the version and the maker's
// address, in German (template 90) or English (template 91).
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg(UINT nIDTemplate, CWnd* pParentWnd);
    ~CAboutDlg() override;

protected:
    bool PreTranslateMessage(MSG* pMsg) override;
    bool OnInitDialog() override;
};
