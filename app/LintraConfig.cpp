// The one application object. The framework's WinMain runs it.
#include "app/KombrixApp.h"

CKombrixApp g_theApp;
