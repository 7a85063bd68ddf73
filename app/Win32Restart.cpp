#include <windows.h>

#include <vector>

#include "app/Restart.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "start-up record of 32-bit Windows");
#endif

bool StartProgram(const char* pszPath) {
    const std::string strCommandLine = BuildRestartCommandLine(pszPath);
    // CreateProcessA may write into its command line.
    std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
    commandLine.push_back('\0');

    STARTUPINFOA startupInfo = {};
    startupInfo.cb = sizeof(startupInfo);
    PROCESS_INFORMATION processInfo = {};
    if (!CreateProcessA(pszPath, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startupInfo, &processInfo)) {
        return false;
    }
    // The old instance does not wait for the new one.
    CloseHandle(processInfo.hThread);
    CloseHandle(processInfo.hProcess);
    return true;
}

bool RestartProgram() {
    char szPath[MAX_PATH] = {};
    const DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    // A full buffer means the path was cut off: starting it could start
    // something else.
    if (cch == 0 || cch >= MAX_PATH) return false;
    return StartProgram(szPath);
}
