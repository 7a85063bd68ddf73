// The system's image checksum function, bound by name at run time from a
// system library. The loader is a seam: Windows builds load the real system
// library; other builds offer our own computation under the same names;
// tests install loaders whose library or function is missing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

/// The image checksum function: image, length, header sum, checksum.
using ImageChecksumFunction =
    std::function<void(uint8_t* pImage, uint32_t cbImage, uint32_t* pdwHeaderSum, uint32_t* pdwChecksum)>;

/// A loaded system library; destroying it frees the library.
class ILoadedLibrary {
public:
    virtual ~ILoadedLibrary() = default;
    /// Looks the image checksum function up by name; empty when it is
    /// missing. Valid only while the library is loaded.
    virtual ImageChecksumFunction FindChecksumFunction(const char* pszName) = 0;
};

class IChecksumLibraryLoader {
public:
    virtual ~IChecksumLibraryLoader() = default;
    /// Loads the system library of that file name from the system directory;
    /// null when it cannot be loaded.
    virtual std::unique_ptr<ILoadedLibrary> Load(const char* pszName) = 0;
};

/// The installed loader (see above for the start-up one).
IChecksumLibraryLoader& ChecksumLibraryLoader();

/// Installs a loader, or with null the start-up one again. Not owned.
void SetChecksumLibraryLoader(IChecksumLibraryLoader* pLoader);
