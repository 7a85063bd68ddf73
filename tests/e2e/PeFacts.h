// What the static check of the built executable looks at, read from the PE
// file's bytes: machine, format, subsystem, DLL characteristics, the DLLs it
// imports (plain and delay-loaded) and its resources by type. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace e2e {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kSubsystemWindowsGui = 2;
constexpr uint16_t kDllCharDynamicBase = 0x0040;
constexpr uint16_t kDllCharNxCompat = 0x0100;
constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint32_t kResourceTypeManifest = 24;

struct SPeFacts {
    uint16_t wMachine = 0;
    bool bPe32Plus = false;
    uint16_t wSubsystem = 0;
    uint16_t wDllCharacteristics = 0;
    std::vector<std::string> arImports;  ///< DLL names as the file spells them
    /// Data of every resource, by numeric type id (named types are left out).
    std::map<uint32_t, std::vector<std::string>> mapResources;
};

/// Reads the facts from a whole PE file. Returns false and says why in strError
/// when the file is no PE image or a structure points outside it.
bool ReadPeFacts(const std::vector<uint8_t>& file, SPeFacts& facts, std::string& strError);

}  // namespace e2e
