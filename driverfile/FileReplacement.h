// Writing below the driver directory without ever leaving a half-written
// file: new content goes to a temporary file beside the target first, is
// flushed, and then takes the target's place in one move. Internal to the
// driver file subsystem.
#pragma once

#include <cstdint>
#include <string>

#include "driverfile/DriverFileSystem.h"

/// The directory part of a path (drive and directory, with its trailing
/// separator); "." for a bare file name.
std::string DirectoryOf(const std::string& strPath);

/// Copies `strSource` to `strTarget`, which must not exist yet, and ORs
/// `dwAddAttributes` into the copy's attributes. The target appears complete
/// or not at all; an existing target is never overwritten.
bool CopyAsNewFile(const std::string& strSource, const std::string& strTarget, uint32_t dwAddAttributes);

/// Replaces `strTarget` with the bytes, its attributes kept except
/// read-only, hidden and system, which end cleared. With `pTimes` the new
/// file gets its creation and last-write times (failure there is ignored).
/// On false the target is unchanged, attributes included.
bool ReplaceWithImage(const std::string& strTarget, const uint8_t* pData, uint32_t cbData,
                      const SFileRecord* pTimes);

/// Replaces `strTarget` with a byte copy of `strSource`, which keeps the
/// source's attributes except read-only, hidden and system. On false the
/// target is unchanged, attributes included.
bool ReplaceWithCopy(const std::string& strTarget, const std::string& strSource);
