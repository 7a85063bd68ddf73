// The program's entry. Kept apart from the framework's library so that the
// executable links it directly: WinMain is referenced only by the C runtime.
#include <windows.h>

#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) { return AfxWinMain(hInstance); }
