// Stands in for another program during the end-to-end tests (STEP 5, or a
// program in the way of a restart): stays alive for the milliseconds given as
// its first argument, or for a minute when there is none or it is no number.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    DWORD dwMs = 60000;
    if (argc > 1) {
        char* pszEnd = nullptr;
        unsigned long ulMs = strtoul(argv[1], &pszEnd, 10);
        if (pszEnd != argv[1] && *pszEnd == '\0') dwMs = static_cast<DWORD>(ulMs);
    }
    Sleep(dwMs);
    return 0;
}
