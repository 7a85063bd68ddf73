// A console program for the tests: stays alive for the milliseconds given as
// its first argument (default 60000) and then exits with 0. Given a second
// argument, it first loads that file as a library and exits with 2 when it
// cannot, so that a test can show that a library alone is not a process.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    DWORD dwMilliseconds = 60000;
    if (argc > 1) dwMilliseconds = static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10));
    if (argc > 2 && LoadLibraryA(argv[2]) == nullptr) return 2;
    Sleep(dwMilliseconds);
    return 0;
}
