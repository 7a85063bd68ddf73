// Short constant texts that the program keeps out of its image as plain
// strings: path components of the driver file, the checksum library and
// function, the STEP 5 executable's name, registry key fragments and device
// names. Each is assembled from one character table during static
// initialisation, before any code of the application runs.
#pragma once

#include <cstddef>

extern const char* const DriverDirSuffix;          ///< "\drivers", appended to the system directory
extern const char* const Step5ModuleName;          ///< file name of the STEP 5 executable
extern const char* const ChecksumLibraryName;      ///< system library with the image checksum function
extern const char* const ChecksumFunctionName;     ///< name of the image checksum function
extern const char* const DriverBaseName;           ///< base name of the driver file and its copies
extern const char* const DriverExtension;          ///< extension of the driver file
extern const char* const BackupExtension;          ///< extension of the backup copy
extern const char* const SpareExtension;           ///< extension of the spare copy
extern const char* const DefaultDeviceNamePrefix;  ///< default device name without its port digit
extern const char* const PortPreset1;              ///< default device name of COM 1
extern const char* const PortPreset2;              ///< default device name of COM 2
extern const char* const PortPreset3;              ///< default device name of COM 3
extern const char* const PortPreset4;              ///< default device name of COM 4
extern const char* const EnumDeviceNameA;          ///< device-key text of the record of Enum path A
extern const char* const EnumKeyA;                 ///< Enum path A below SYSTEM\CurrentControlSet\Enum
extern const char* const EnumKeyB;                 ///< Enum path B, also its record's device-key text
extern const char* const EnumDeviceNameB;          ///< device name shown as the unknown-port entry

/// One assembled position: the buffer position and the character table index.
struct SAssembledChar {
    unsigned char nPosition;
    unsigned char nTableIndex;
};

/// How one constant is made, exposed so that tests can check the recipe.
struct SAssembledString {
    const char* pszName;            ///< the constant's name
    const char* pszText;            ///< the assembled text
    std::size_t nLength;            ///< its length in characters
    unsigned long nPresentMask;     ///< bit p set: position p is in the buffer's initial value
    const SAssembledChar* pChars;   ///< the assembled positions, in assembling order
    std::size_t nChars;             ///< how many positions are assembled
};

/// The character table, kAssemblyTableSize characters.
constexpr std::size_t kAssemblyTableSize = 86;
extern const char* const g_pszAssemblyTable;

/// The seventeen constants in the order in which they are assembled.
extern const SAssembledString g_AssembledStrings[];
constexpr std::size_t kAssembledStringCount = 17;
