// The application: the language dialog, then the main dialog in the chosen
// language, then a restart when the main dialog asked for one (result 4).
#pragma once

#include "framework/WinApp.h"

/// The main dialog's result that asks for a restart in a new language.
constexpr int kResultRestart = 4;

class CKombrixApp : public CWinApp {
public:
    CKombrixApp();
    ~CKombrixApp() override;

    /// Runs the dialogs; always false, so the program ends after them.
    bool InitInstance() override;
    /// Runs the main dialog in the current language; its result.
    int RunMainDialog();

    bool OnCmdMsg(UINT nId) override;
    bool HasCommandHandler(UINT nId) const override;
};
