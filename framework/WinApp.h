// The application object. The program defines exactly one object of a class
// derived from CWinApp as a global; its constructor registers it, and the
// framework's WinMain runs it: InitInstance, then the message loop when
// InitInstance returned true, then ExitInstance.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

/// Command id of the standard Help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp {
public:
    /// Null takes the executable's base name as the application name.
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    /// The framework's own initialisation; derived classes call it first.
    virtual bool InitInstance();
    /// Runs the message loop until WM_QUIT; its exit code.
    virtual int Run();
    /// Called once before the program ends; the process exit code.
    virtual int ExitInstance();

    /// Command routing: true when the application handled the command.
    /// The base handles none.
    virtual bool OnCmdMsg(UINT nId);
    /// Whether OnCmdMsg would handle the command.
    virtual bool HasCommandHandler(UINT nId) const;

    /// Names the company key below HKEY_CURRENT_USER\Software under which the
    /// framework would keep its own per-user settings.
    void SetRegistryKey(const char* pszCompany);
    const std::string& GetRegistryKey() const { return m_strRegistryKey; }
    const std::string& GetAppName() const { return m_strAppName; }

    HINSTANCE m_hInstance = nullptr;
    /// The window that counts as the application's main window, if any.
    CWnd* m_pMainWnd = nullptr;

protected:
    /// The framework's help handler. There is no help file, so it shows nothing.
    virtual void OnHelp();

private:
    std::string m_strAppName;
    std::string m_strRegistryKey;
};

/// The registered application object, or null.
CWinApp* AfxGetApp();
/// The module whose resources the dialogs are made from.
HINSTANCE AfxGetResourceHandle();
/// The body of WinMain: runs the registered application object.
int AfxWinMain(HINSTANCE hInstance);

/// The text of string resource nId of the program, empty when there is none.
std::string LoadResourceString(UINT nId);
