// Modal dialogs made from dialog templates in the program's resources.
//
// DoModal creates the dialog modeless, with its owner disabled, and runs a
// message loop of its own in which every message for the dialog or one of its
// controls first goes through PreTranslateMessage. That is where a dialog
// refreshes its buttons (UpdateDialogButtons) before the dialog keyboard
// handling of the base runs. A static dialog procedure finds the object and
// forwards each message to OnMessage, commands to OnCommand; exceptions that a
// handler lets through end in the framework's standard error box.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    /// A dialog from template nIDTemplate, owned by pParentWnd (may be null).
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    /// Creates the dialog and runs it until EndDialog; returns the result
    /// given to EndDialog, or -1 when the dialog could not be created. The
    /// owner is enabled again and the window destroyed before it returns.
    virtual INT_PTR DoModal();

    /// Ends the modal loop with nResult.
    void EndDialog(INT_PTR nResult);

    UINT GetTemplateId() const { return m_nIDTemplate; }

protected:
    /// The message map: true when the message was handled, with its result
    /// in lResult. The base handles nothing.
    virtual bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    /// Binds member controls to the dialog's controls. The base binds none.
    virtual void DoDataExchange();
    /// Runs before a message for the dialog or a control is dispatched; true
    /// when it consumed the message. The base does the dialog keyboard handling.
    virtual bool PreTranslateMessage(MSG* pMsg);
    /// WM_INITDIALOG. The base binds the controls; true lets the system set
    /// the focus on the first tab stop.
    virtual bool OnInitDialog();
    /// The default OK: ends the dialog with IDOK.
    virtual void OnOK();
    /// The default Cancel: ends the dialog with IDCANCEL.
    virtual void OnCancel();

    /// WM_COMMAND: true when handled. The base sends BN_CLICKED of IDOK and
    /// IDCANCEL to OnOK and OnCancel and other commands to the application.
    virtual bool OnCommand(UINT nId, UINT nCode);
    /// Whether a command reaches a handler (OnCommand would handle it).
    virtual bool HasCommandHandler(UINT nId) const;
    /// The update rule of a command: true when the dialog has one, with the
    /// state in bEnable. The base has none.
    virtual bool OnUpdateCommand(UINT nId, bool& bEnable);

    /// The button refresh: sets the enabled state of every push button of the
    /// dialog by its update rule or, without one, by whether its command has a
    /// handler. A focused button that gets disabled first passes the focus on.
    void UpdateDialogButtons();

    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleInitDialog(HWND hWnd);
    INT_PTR Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();
    void CenterOverOwner();

    UINT m_nIDTemplate;
    HWND m_hWndOwner = nullptr;
    bool m_bEnded = false;
    INT_PTR m_nResult = -1;
};
