#include <exception>
#include <new>
#include <string>

#include "framework/ErrorBox.h"
#include "framework/FrameworkErrors.h"
#include "framework/WinApp.h"

const char* FrameworkErrorText(EFrameworkError eError) {
    switch (eError) {
        case EFrameworkError::InvalidArgument:
            return "Encountered an improper argument.";
        case EFrameworkError::OutOfMemory:
            return "Out of memory.";
        case EFrameworkError::Unknown:
            break;
    }
    return "An unknown error has occurred.";
}

void ShowFrameworkError(HWND hOwner, EFrameworkError eError) {
    const CWinApp* pApp = AfxGetApp();
    const char* pszCaption = pApp && !pApp->GetAppName().empty() ? pApp->GetAppName().c_str() : nullptr;
    MessageBoxA(hOwner, FrameworkErrorText(eError), pszCaption, MB_OK | MB_ICONEXCLAMATION);
}

void ReportCurrentException(HWND hOwner) noexcept {
    EFrameworkError eError = EFrameworkError::Unknown;
    try {
        throw;
    } catch (const CInvalidArgException&) {
        eError = EFrameworkError::InvalidArgument;
    } catch (const std::bad_alloc&) {
        eError = EFrameworkError::OutOfMemory;
    } catch (...) {
    }
    try {
        ShowFrameworkError(hOwner, eError);
    } catch (...) {
        // The box itself failed for lack of memory: nothing more can be said.
    }
}
