// The image checksum function of the system library, loaded by its full
// path in the system directory on every call and freed afterwards.
#include <windows.h>

#include "driverfile/ChecksumLibrary.h"
#include "framework/SystemLibrary.h"

namespace {

typedef PIMAGE_NT_HEADERS(WINAPI* PfnCheckSumMappedFile)(PVOID pBase, DWORD cbFile, PDWORD pdwHeaderSum,
                                                         PDWORD pdwChecksum);

class CWin32LoadedLibrary final : public ILoadedLibrary {
public:
    explicit CWin32LoadedLibrary(HMODULE hModule) : m_hModule(hModule) {}
    ~CWin32LoadedLibrary() override { FreeLibrary(m_hModule); }
    CWin32LoadedLibrary(const CWin32LoadedLibrary&) = delete;
    CWin32LoadedLibrary& operator=(const CWin32LoadedLibrary&) = delete;

    ImageChecksumFunction FindChecksumFunction(const char* pszName) override {
        FARPROC pfn = GetProcAddress(m_hModule, pszName);
        if (pfn == nullptr) return {};
        // Through the generic function type, which converts to any other.
        const PfnCheckSumMappedFile pfnCheckSum =
            reinterpret_cast<PfnCheckSumMappedFile>(reinterpret_cast<void (*)()>(pfn));
        return
            [pfnCheckSum](uint8_t* pImage, uint32_t cbImage, uint32_t* pdwHeaderSum, uint32_t* pdwChecksum) {
                DWORD dwHeaderSum = 0;
                DWORD dwChecksum = 0;
                pfnCheckSum(pImage, cbImage, &dwHeaderSum, &dwChecksum);
                *pdwHeaderSum = dwHeaderSum;
                *pdwChecksum = dwChecksum;
            };
    }

private:
    HMODULE m_hModule;
};

class CWin32ChecksumLoader final : public IChecksumLibraryLoader {
public:
    std::unique_ptr<ILoadedLibrary> Load(const char* pszName) override {
        HMODULE hModule = LoadSystemLibrary(pszName);
        if (hModule == nullptr) return nullptr;
        return std::make_unique<CWin32LoadedLibrary>(hModule);
    }
};

}  // namespace

IChecksumLibraryLoader& Win32ChecksumLibraryLoader() {
    static CWin32ChecksumLoader s_loader;
    return s_loader;
}
