// The framework's standard error box, with which it reports its own errors:
// an invalid argument (CInvalidArgException), out of memory (std::bad_alloc)
// and any other exception that reaches a message handler.
#pragma once

#include <windows.h>

/// The kinds of error the framework reports.
enum class EFrameworkError { InvalidArgument, OutOfMemory, Unknown };

/// The text of the standard error box for one kind of error.
const char* FrameworkErrorText(EFrameworkError eError);

/// Shows the standard error box owned by hOwner (may be null): the error's
/// text, the application's name as caption, OK and the exclamation icon.
void ShowFrameworkError(HWND hOwner, EFrameworkError eError);

/// Inside a catch block: classifies the exception being handled and shows
/// its error box. Never throws.
void ReportCurrentException(HWND hOwner) noexcept;
