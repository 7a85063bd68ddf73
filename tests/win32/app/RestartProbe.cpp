// A stand-in for the program in the restart tests: it notes the command line
// it was started with in a file beside itself, named after its own path
// with ".ran" appended, and ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char szPath[MAX_PATH + 8] = {};
    const DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH) return 1;
    std::strcat(szPath, ".ran");
    HANDLE hFile =
        CreateFileA(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return 2;
    const char* pszCommandLine = GetCommandLineA();
    DWORD cbWritten = 0;
    WriteFile(hFile, pszCommandLine, static_cast<DWORD>(std::strlen(pszCommandLine)), &cbWritten, nullptr);
    CloseHandle(hFile);
    return 0;
}
