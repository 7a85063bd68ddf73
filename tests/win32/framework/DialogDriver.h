// Drives dialogs of the test's own process while their modal loops run: a
// thread timer runs one step after another, and each step is retried on the
// next tick until it reports that it is done. Message boxes are found among
// the windows of the thread and pressed like a user would.
//
// Steps must not block: anything that opens a modal window (a button that
// shows a message box, a system command that opens a dialog) is posted, never
// sent, so that the step returns and the driver's next tick runs inside the
// new modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

/// One message box as the test found it.
struct SMessageBoxSeen {
    HWND hBox = nullptr;
    std::string strText;
    std::string strCaption;
    bool bHasCancel = false;
    bool bStopIcon = false;
    bool bInformationIcon = false;
};

/// The first visible dialog window (#32770) of this thread that `accept` takes, or null.
inline HWND FindVisibleThreadDialog(const std::function<bool(HWND)>& accept) {
    struct SSearch {
        const std::function<bool(HWND)>* pAccept;
        HWND hFound;
    } search = {&accept, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            SSearch* pSearch = reinterpret_cast<SSearch*>(lParam);
            char szClass[16] = {};
            GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (std::string(szClass) == "#32770" && IsWindowVisible(hWnd) && (*pSearch->pAccept)(hWnd)) {
                pSearch->hFound = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

/// The visible message box owned by hOwner, or null.
inline HWND FindMessageBox(HWND hOwner) {
    return FindVisibleThreadDialog(
        [hOwner](HWND hWnd) { return GetWindow(hWnd, GW_OWNER) == hOwner && GetDlgItem(hWnd, 0xFFFF); });
}

/// The text of a window in the ANSI code page.
inline std::string WindowText(HWND hWnd) {
    char szText[1024] = {};
    GetWindowTextA(hWnd, szText, sizeof(szText));
    return szText;
}

/// What a message box shows.
inline SMessageBoxSeen ReadMessageBox(HWND hBox) {
    SMessageBoxSeen seen;
    seen.hBox = hBox;
    seen.strText = WindowText(GetDlgItem(hBox, 0xFFFF));
    seen.strCaption = WindowText(hBox);
    HWND hCancel = GetDlgItem(hBox, IDCANCEL);
    seen.bHasCancel = hCancel && IsWindowVisible(hCancel);
    // The icon static of a message box holds the system's shared icon.
    const HICON hIcon = reinterpret_cast<HICON>(SendDlgItemMessageA(hBox, 0x0440, STM_GETICON, 0, 0));
    seen.bStopIcon = hIcon && hIcon == LoadIconA(nullptr, MAKEINTRESOURCEA(32513) /* IDI_HAND */);
    seen.bInformationIcon = hIcon && hIcon == LoadIconA(nullptr, MAKEINTRESOURCEA(32516) /* IDI_ASTERISK */);
    return seen;
}

/// Presses a button of a dialog or message box, as a click would.
inline void PressButton(HWND hDialog, int nId) {
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hDialog, nId)));
}

class CDialogDriver {
public:
    using Step = std::function<bool()>;

    /// Gives up on a step that is not done after this many milliseconds.
    explicit CDialogDriver(DWORD dwStepTimeout = 15000) : m_dwStepTimeout(dwStepTimeout) {}
    ~CDialogDriver() { Stop(); }

    /// Adds a step; it runs on every tick until it returns true.
    CDialogDriver& Then(std::string strName, Step step) {
        m_steps.emplace_back(std::move(strName), std::move(step));
        return *this;
    }

    /// Adds a step that waits for a message box owned by *phOwner, records it
    /// and presses nButton.
    CDialogDriver& AnswerMessageBox(const HWND* phOwner, int nButton, SMessageBoxSeen* pSeen) {
        return Then("message box", [phOwner, nButton, pSeen] {
            HWND hBox = FindMessageBox(*phOwner);
            if (!hBox) return false;
            if (pSeen) *pSeen = ReadMessageBox(hBox);
            PressButton(hBox, nButton);
            return true;
        });
    }

    /// Called when a step times out, to close whatever is open.
    void OnGiveUp(std::function<void()> giveUp) { m_giveUp = std::move(giveUp); }

    void Start(UINT nPeriod = 10) {
        s_pActive = this;
        m_dwStepStart = GetTickCount();
        m_nTimer = SetTimer(nullptr, 0, nPeriod, &CDialogDriver::OnTick);
    }

    void Stop() {
        if (m_nTimer) KillTimer(nullptr, m_nTimer);
        m_nTimer = 0;
        if (s_pActive == this) s_pActive = nullptr;
    }

    /// True when every step has run.
    bool Done() const { return m_nNext == m_steps.size(); }
    /// True when every step ran and the dialog then ended by itself.
    bool Succeeded() const { return Done() && !m_bEndMissed; }
    /// The step that did not finish, for the failure message.
    std::string Pending() const {
        if (m_bEndMissed) return "the dialog did not end after the last step";
        if (Done()) return "";
        return m_steps[m_nNext].first + (m_bGaveUp ? " (timed out)" : " (not reached)");
    }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_pActive) s_pActive->Tick();
    }

    void Tick() {
        if (m_bInTick) return;
        if (Done() && !m_bGaveUp) {
            // Every step ran, yet the modal loop goes on: the dialog did not
            // end as the steps expected.
            if (GetTickCount() - m_dwStepStart <= m_dwStepTimeout) return;
            m_bGaveUp = true;
            m_bEndMissed = true;
        }
        if (m_bGaveUp) {
            // Keeps closing what opens, until the test's modal loop returns.
            if (m_giveUp) m_giveUp();
            return;
        }
        m_bInTick = true;
        if (m_steps[m_nNext].second()) {
            ++m_nNext;
            m_dwStepStart = GetTickCount();
        } else if (GetTickCount() - m_dwStepStart > m_dwStepTimeout) {
            m_bGaveUp = true;
        }
        m_bInTick = false;
    }

    static inline CDialogDriver* s_pActive = nullptr;
    std::vector<std::pair<std::string, Step>> m_steps;
    std::function<void()> m_giveUp;
    size_t m_nNext = 0;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwStepStart = 0;
    DWORD m_dwStepTimeout;
    bool m_bInTick = false;
    bool m_bGaveUp = false;
    bool m_bEndMissed = false;
};

/// Closes every message box and dialog of the thread: the way out after a
/// step timed out, so that the test ends with a failure instead of hanging.
inline void CloseAllThreadDialogs() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM) -> BOOL {
            char szClass[16] = {};
            GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (std::string(szClass) == "#32770") PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        0);
}

/// A visible dialog of the thread with this caption (owned by hOwner when
/// that is given), or null.
inline HWND FindThreadDialog(const std::string& strCaption, HWND hOwner = nullptr) {
    return FindVisibleThreadDialog([&](HWND hWnd) {
        return WindowText(hWnd) == strCaption && (!hOwner || GetWindow(hWnd, GW_OWNER) == hOwner);
    });
}
