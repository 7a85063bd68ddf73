#include <cstring>

#include "framework/ErrorBox.h"
#include "framework/WinApp.h"

namespace {

CWinApp* g_pApp = nullptr;

std::string ModuleBaseName() {
    char szPath[MAX_PATH] = {};
    const DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return std::string();
    const char* pszName = szPath;
    for (const char* p = szPath; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') pszName = p + 1;
    }
    std::string strName(pszName);
    const std::string::size_type nDot = strName.rfind('.');
    if (nDot != std::string::npos && nDot > 0) strName.erase(nDot);
    return strName;
}

}  // namespace

CWinApp::CWinApp(const char* pszAppName) : m_strAppName(pszAppName ? pszAppName : "") { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

bool CWinApp::InitInstance() {
    if (!m_hInstance) m_hInstance = GetModuleHandleA(nullptr);
    if (m_strAppName.empty()) m_strAppName = ModuleBaseName();
    return true;
}

int CWinApp::Run() {
    MSG msg;
    BOOL bResult;
    while ((bResult = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (bResult == -1) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

bool CWinApp::OnCmdMsg(UINT) { return false; }

bool CWinApp::HasCommandHandler(UINT) const { return false; }

void CWinApp::SetRegistryKey(const char* pszCompany) { m_strRegistryKey = pszCompany ? pszCompany : ""; }

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetResourceHandle() {
    if (g_pApp && g_pApp->m_hInstance) return g_pApp->m_hInstance;
    return GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE hInstance) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return -1;
    pApp->m_hInstance = hInstance;
    int nExitCode = -1;
    try {
        if (pApp->InitInstance()) {
            nExitCode = pApp->Run();
        } else {
            nExitCode = pApp->ExitInstance();
        }
    } catch (...) {
        // Nothing above the application object could report it.
        ReportCurrentException(nullptr);
    }
    return nExitCode;
}

std::string LoadResourceString(UINT nId) {
    // LoadStringA cuts a string off at the buffer's end without telling; a
    // string that fills the buffer is read again with a larger one.
    for (int cchBuffer = 256; cchBuffer <= 65536; cchBuffer *= 4) {
        std::string strBuffer(static_cast<size_t>(cchBuffer), '\0');
        const int cch = LoadStringA(AfxGetResourceHandle(), nId, &strBuffer[0], cchBuffer);
        if (cch <= 0) return std::string();
        if (cch < cchBuffer - 1) {
            strBuffer.resize(static_cast<size_t>(cch));
            return strBuffer;
        }
    }
    return std::string();
}
