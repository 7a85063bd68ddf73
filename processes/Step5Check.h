// Whether STEP 5 runs: some process started from an executable file whose
// name is Step5ModuleName, in whatever directory. Loaded libraries of that
// name do not count; neither does a process that cannot be read.
#pragma once

/// True when a running process's executable file name equals Step5ModuleName,
/// without regard to letter case. Lists the processes anew on every call and
/// keeps nothing. False when no process interface is present.
bool IsStep5Running();

/// Writes the last component of the path pszSource into pszDest: the text
/// after the last backslash or slash, or after a drive "X:". Double-byte
/// characters are taken whole. Empty when the base name or the extension is
/// 256 bytes or longer. pszDest may be pszSource and needs room for a copy of it.
void StripToFileName(char* pszDest, const char* pszSource);
