// The dialog framework over real windows: the modal loop and its result,
// the owner, pre-translation before dispatch, the button refresh, the
// keyboard and the standard error box for errors raised in handlers.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/ErrorBox.h"
#include "framework/FrameworkErrors.h"
#include "tests/win32/framework/DialogDriver.h"
#include "tests/win32/framework/FrameworkTestIds.h"

namespace {

constexpr UINT WM_TEST_PROBE = WM_APP + 1;  // records the button states it finds
constexpr UINT WM_TEST_THROW = WM_APP + 2;  // raises the dialog's exception

/// A dialog that records what reaches it and lets the test choose the
/// update rule of one button and the exception of one handler.
class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT nIDTemplate = IDD_TEST_DIALOG, CWnd* pParent = nullptr)
        : CDialog(nIDTemplate, pParent) {}

    std::vector<std::string> m_events;
    bool m_bRuledEnable = true;
    bool m_bRuledEnabledAtProbe = false;
    bool m_bUnhandledEnabledAtProbe = true;
    bool m_bShown = false;
    std::function<void()> m_throw;
    std::function<void(CTestDialog&)> m_onInit;
    bool m_bBindMissing = false;

protected:
    bool PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_TEST_PROBE) m_events.push_back("pre-translate");
        UpdateDialogButtons();
        return CDialog::PreTranslateMessage(pMsg);
    }
    void DoDataExchange() override {
        CDialog::DoDataExchange();
        if (m_bBindMissing) DDX_Control(m_hWnd, IDC_TEST_EDIT, m_edit);
    }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        if (m_onInit) m_onInit(*this);
        return true;
    }
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM, LRESULT&) override {
        switch (nMsg) {
            case WM_TEST_PROBE:
                m_events.push_back("dispatch");
                m_bRuledEnabledAtProbe = ::IsWindowEnabled(GetDlgItem(IDC_TEST_RULED_BUTTON)) != FALSE;
                m_bUnhandledEnabledAtProbe =
                    ::IsWindowEnabled(GetDlgItem(IDC_TEST_UNHANDLED_BUTTON)) != FALSE;
                return true;
            case WM_TEST_THROW:
                m_events.push_back("throw");
                if (m_throw) m_throw();
                m_events.push_back("not reached");
                return true;
            case WM_SHOWWINDOW:
                if (wParam) m_bShown = true;
                return false;
            default:
                return false;
        }
    }
    bool OnUpdateCommand(UINT nId, bool& bEnable) override {
        if (nId != IDC_TEST_RULED_BUTTON) return CDialog::OnUpdateCommand(nId, bEnable);
        bEnable = m_bRuledEnable;
        return true;
    }

private:
    CWnd m_edit;
};

/// A visible top-level window to own the dialogs.
class COwnerWindow : public CWnd {
public:
    COwnerWindow() {
        m_hWnd = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~COwnerWindow() override { DestroyWindow(m_hWnd); }
};

/// Runs the dialog modally with the driver's steps; fails the test when a
/// step did not finish.
INT_PTR RunDriven(CDialog& dlg, CDialogDriver& driver) {
    driver.OnGiveUp(CloseAllThreadDialogs);
    driver.Start();
    const INT_PTR nResult = dlg.DoModal();
    driver.Stop();
    EXPECT_TRUE(driver.Succeeded()) << "step not finished: " << driver.Pending();
    return nResult;
}

TEST(ModalDialog, EndsWithItsResultReenablesTheOwnerAndDestroysTheWindow) {
    COwnerWindow owner;
    ASSERT_TRUE(owner.m_hWnd != nullptr) << "owner window, error " << GetLastError();
    CTestDialog dlg(IDD_TEST_DIALOG, &owner);
    HWND hDialog = nullptr;
    bool bOwnerEnabledWhileModal = true;
    CDialogDriver driver;
    driver.Then("dialog up", [&] {
        if (!dlg.m_hWnd) return false;
        hDialog = dlg.m_hWnd;
        bOwnerEnabledWhileModal = IsWindowEnabled(owner.m_hWnd) != FALSE;
        dlg.EndDialog(42);
        return true;
    });

    EXPECT_EQ(42, RunDriven(dlg, driver));
    EXPECT_FALSE(bOwnerEnabledWhileModal);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    EXPECT_FALSE(IsWindow(hDialog));
    EXPECT_EQ(GetWindow(hDialog, GW_OWNER), nullptr);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(ModalDialog, UserActionsEndItWithOkOrCancel) {
    struct SCase {
        const char* pszName;
        std::function<void(HWND)> action;
        INT_PTR nExpected;
    };
    const SCase cases[] = {
        {"OK button", [](HWND h) { PressButton(h, IDOK); }, IDOK},
        {"Cancel button", [](HWND h) { PressButton(h, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND h) { PostMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"WM_CLOSE", [](HWND h) { PostMessageA(h, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"Escape in the edit control",
         [](HWND h) { PostMessageA(GetDlgItem(h, IDC_TEST_EDIT), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
        {"Enter in the edit control",
         [](HWND h) { PostMessageA(GetDlgItem(h, IDC_TEST_EDIT), WM_KEYDOWN, VK_RETURN, 0); }, IDOK},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTestDialog dlg;
        CDialogDriver driver;
        driver.Then("act", [&] {
            if (!dlg.m_hWnd) return false;
            SetFocus(GetDlgItem(dlg.m_hWnd, IDC_TEST_EDIT));
            c.action(dlg.m_hWnd);
            return true;
        });
        EXPECT_EQ(c.nExpected, RunDriven(dlg, driver));
    }
}

TEST(ModalDialog, PreTranslatesEveryMessageAndRefreshesTheButtonsBeforeDispatch) {
    struct SCase {
        const char* pszName;
        bool bToChild;  // posted to a control instead of the dialog
        bool bRuledEnable;
    };
    const SCase cases[] = {
        {"to the dialog, rule enables", false, true},
        {"to the dialog, rule disables", false, false},
        {"to a control, rule enables", true, true},
        {"to a control, rule disables", true, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTestDialog dlg;
        CDialogDriver driver;
        driver
            .Then("post probe",
                  [&] {
                      if (!dlg.m_hWnd) return false;
                      // Start from the opposite state, so only a refresh between
                      // posting and dispatching can give the expected one.
                      EnableWindow(GetDlgItem(dlg.m_hWnd, IDC_TEST_RULED_BUTTON),
                                   c.bRuledEnable ? FALSE : TRUE);
                      dlg.m_bRuledEnable = c.bRuledEnable;
                      HWND hTarget = c.bToChild ? GetDlgItem(dlg.m_hWnd, IDC_TEST_EDIT) : dlg.m_hWnd;
                      // The edit control does not know the message; it reaches the
                      // dialog's handler only through the pre-translation's refresh
                      // and a second post to the dialog.
                      PostMessageA(hTarget, WM_TEST_PROBE, 0, 0);
                      if (c.bToChild) PostMessageA(dlg.m_hWnd, WM_TEST_PROBE, 0, 0);
                      return true;
                  })
            .Then("probe handled", [&] {
                if (dlg.m_events.empty() || dlg.m_events.back() != "dispatch") return false;
                dlg.EndDialog(IDCANCEL);
                return true;
            });
        RunDriven(dlg, driver);
        ASSERT_GE(dlg.m_events.size(), 2u);
        EXPECT_EQ("pre-translate", dlg.m_events[0]);
        EXPECT_EQ("dispatch", dlg.m_events.back());
        EXPECT_EQ(c.bRuledEnable, dlg.m_bRuledEnabledAtProbe);
        EXPECT_FALSE(dlg.m_bUnhandledEnabledAtProbe) << "a push button without a handler is disabled";
    }
}

TEST(ModalDialog, ButtonRefreshTouchesOnlyPushButtonsAndMovesTheFocusOffADisabledOne) {
    CTestDialog dlg;
    HWND hFocusAfter = nullptr;
    bool bCheckboxEnabled = false, bOkEnabled = false, bCancelEnabled = false;
    CDialogDriver driver;
    driver
        .Then("focus the ruled button",
              [&] {
                  if (!dlg.m_hWnd) return false;
                  SetFocus(GetDlgItem(dlg.m_hWnd, IDC_TEST_RULED_BUTTON));
                  dlg.m_bRuledEnable = false;
                  PostMessageA(dlg.m_hWnd, WM_TEST_PROBE, 0, 0);
                  return true;
              })
        .Then("after the refresh", [&] {
            if (dlg.m_events.empty()) return false;
            hFocusAfter = GetFocus();
            bCheckboxEnabled = IsWindowEnabled(GetDlgItem(dlg.m_hWnd, IDC_TEST_CHECKBOX)) != FALSE;
            bOkEnabled = IsWindowEnabled(GetDlgItem(dlg.m_hWnd, IDOK)) != FALSE;
            bCancelEnabled = IsWindowEnabled(GetDlgItem(dlg.m_hWnd, IDCANCEL)) != FALSE;
            dlg.EndDialog(IDCANCEL);
            return true;
        });
    HWND hRuled = nullptr;
    dlg.m_onInit = [&](CTestDialog& d) { hRuled = GetDlgItem(d.m_hWnd, IDC_TEST_RULED_BUTTON); };
    RunDriven(dlg, driver);
    EXPECT_FALSE(dlg.m_bRuledEnabledAtProbe);
    EXPECT_NE(hRuled, hFocusAfter) << "the focus stayed on a disabled button";
    EXPECT_NE(nullptr, hFocusAfter);
    EXPECT_TRUE(bCheckboxEnabled) << "a check box has no command of its own and is left alone";
    EXPECT_TRUE(bOkEnabled) << "OK has the default handler";
    EXPECT_TRUE(bCancelEnabled) << "Cancel has the default handler";
}

TEST(ModalDialog, ReportsErrorsRaisedInAHandlerWithTheStandardBoxAndRunsOn) {
    struct SCase {
        const char* pszName;
        std::function<void()> raise;
        EFrameworkError eError;
    };
    const SCase cases[] = {
        {"invalid argument", [] { throw CInvalidArgException("position out of range"); },
         EFrameworkError::InvalidArgument},
        {"out of memory", [] { throw std::bad_alloc(); }, EFrameworkError::OutOfMemory},
        {"other exception", [] { throw std::runtime_error("other"); }, EFrameworkError::Unknown},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTestDialog dlg;
        dlg.m_throw = c.raise;
        SMessageBoxSeen seen;
        HWND hDialog = nullptr;
        CDialogDriver driver;
        driver
            .Then("raise",
                  [&] {
                      if (!dlg.m_hWnd) return false;
                      hDialog = dlg.m_hWnd;
                      PostMessageA(dlg.m_hWnd, WM_TEST_THROW, 0, 0);
                      return true;
                  })
            .AnswerMessageBox(&hDialog, IDOK, &seen)
            .Then("still running",
                  [&] {
                      if (FindMessageBox(hDialog)) return false;
                      PostMessageA(dlg.m_hWnd, WM_TEST_PROBE, 0, 0);
                      return true;
                  })
            .Then("probe handled", [&] {
                if (dlg.m_events.empty() || dlg.m_events.back() != "dispatch") return false;
                dlg.EndDialog(7);
                return true;
            });
        EXPECT_EQ(7, RunDriven(dlg, driver));
        EXPECT_EQ(FrameworkErrorText(c.eError), seen.strText);
        EXPECT_FALSE(seen.bHasCancel);
        ASSERT_GE(dlg.m_events.size(), 1u);
        EXPECT_EQ(std::vector<std::string>({"throw", "pre-translate", "dispatch"}), dlg.m_events);
    }
}

TEST(ModalDialog, BindingAMissingControlIsReportedAsAnInvalidArgument) {
    CTestDialog dlg(IDD_TEST_MISSING_CONTROL);
    dlg.m_bBindMissing = true;
    SMessageBoxSeen seen;
    HWND hDialog = nullptr;
    CDialogDriver driver;
    driver
        .Then("dialog up",
              [&] {
                  hDialog = dlg.m_hWnd;
                  return hDialog != nullptr;
              })
        .AnswerMessageBox(&hDialog, IDOK, &seen)
        .Then("cancel", [&] {
            if (FindMessageBox(hDialog)) return false;
            PressButton(hDialog, IDCANCEL);
            return true;
        });
    EXPECT_EQ(IDCANCEL, RunDriven(dlg, driver));
    EXPECT_EQ(FrameworkErrorText(EFrameworkError::InvalidArgument), seen.strText);
}

TEST(ModalDialog, EndedDuringItsInitialisationItIsNeverShown) {
    CTestDialog dlg(IDD_TEST_HIDDEN_DIALOG);
    dlg.m_onInit = [](CTestDialog& d) { d.EndDialog(IDOK); };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_FALSE(dlg.m_bShown);
}

TEST(ModalDialog, AHiddenTemplateIsShownOnceInitialised) {
    CTestDialog dlg(IDD_TEST_HIDDEN_DIALOG);
    bool bVisible = false;
    CDialogDriver driver;
    driver.Then("visible", [&] {
        if (!dlg.m_hWnd || !IsWindowVisible(dlg.m_hWnd)) return false;
        bVisible = true;
        dlg.EndDialog(IDCANCEL);
        return true;
    });
    RunDriven(dlg, driver);
    EXPECT_TRUE(bVisible);
}

TEST(ModalDialog, IsCentredUnlessItsInitialisationPlacedIt) {
    RECT rcWork;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0));
    for (const bool bPlaceItself : {false, true}) {
        SCOPED_TRACE(bPlaceItself ? "placed by its initialisation" : "not placed");
        CTestDialog dlg;
        if (bPlaceItself) {
            dlg.m_onInit = [](CTestDialog& d) {
                SetWindowPos(d.m_hWnd, nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            };
        }
        RECT rc = {};
        CDialogDriver driver;
        driver.Then("measure", [&] {
            if (!dlg.m_hWnd) return false;
            GetWindowRect(dlg.m_hWnd, &rc);
            dlg.EndDialog(IDCANCEL);
            return true;
        });
        RunDriven(dlg, driver);
        if (bPlaceItself) {
            EXPECT_EQ(3, rc.left);
            EXPECT_EQ(4, rc.top);
        } else {
            EXPECT_NEAR((rcWork.left + rcWork.right) / 2, (rc.left + rc.right) / 2, 1);
            EXPECT_NEAR((rcWork.top + rcWork.bottom) / 2, (rc.top + rc.bottom) / 2, 1);
        }
    }
}

TEST(ModalDialog, WithoutItsTemplateItFailsWithMinusOne) {
    CTestDialog dlg(4242);
    EXPECT_EQ(-1, dlg.DoModal());
}

}  // namespace
