#include "driverfile/ChecksumLibrary.h"

#include <cstring>

#include "driverfile/PeImage.h"
#include "strings/AssembledStrings.h"

namespace {

#ifndef _WIN32
// Builds without Windows offer the image checksum function under the
// system's library and function names, computed by our own code.
class CBuiltInChecksumLibrary final : public ILoadedLibrary {
public:
    ImageChecksumFunction FindChecksumFunction(const char* pszName) override {
        if (std::strcmp(pszName, ChecksumFunctionName) != 0) return {};
        return [](uint8_t* pImage, uint32_t cbImage, uint32_t* pdwHeaderSum, uint32_t* pdwChecksum) {
            size_t nField = 0;
            *pdwHeaderSum = FindChecksumField(pImage, cbImage, nField) ? ReadLe32(pImage + nField) : 0;
            *pdwChecksum = ComputeImageChecksum(pImage, cbImage);
        };
    }
};

class CBuiltInChecksumLoader final : public IChecksumLibraryLoader {
public:
    std::unique_ptr<ILoadedLibrary> Load(const char* pszName) override {
        if (std::strcmp(pszName, ChecksumLibraryName) != 0) return nullptr;
        return std::make_unique<CBuiltInChecksumLibrary>();
    }
};
#endif

IChecksumLibraryLoader* g_pLoader = nullptr;

}  // namespace

#ifdef _WIN32
IChecksumLibraryLoader& Win32ChecksumLibraryLoader();  // Win32ChecksumLibrary.cpp
#endif

IChecksumLibraryLoader& ChecksumLibraryLoader() {
    if (g_pLoader != nullptr) return *g_pLoader;
#ifdef _WIN32
    return Win32ChecksumLibraryLoader();
#else
    static CBuiltInChecksumLoader s_builtIn;
    return s_builtIn;
#endif
}

void SetChecksumLibraryLoader(IChecksumLibraryLoader* pLoader) { g_pLoader = pLoader; }
