// Starting the program anew, for a change of language.
#pragma once

#include <string>

/// The command line that starts the program at strPath without arguments:
/// the path in double quotes, so that a path with blanks is taken whole.
std::string BuildRestartCommandLine(const std::string& strPath);

/// Starts the program at pszPath without arguments, with the path as the
/// application name as well, so that Windows never searches for another
/// program along a path with blanks. True when the process was created.
bool StartProgram(const char* pszPath);

/// Starts the running program's own executable anew; true when it started.
bool RestartProgram();
