// A checksum library loader for tests: the library or the function can be
// missing, the function delivers a chosen value, and loads and frees are
// counted so a test can see the library freed on every path.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "driverfile/ChecksumLibrary.h"

class CFakeChecksumLoader final : public IChecksumLibraryLoader {
public:
    bool m_bLibraryPresent = true;
    bool m_bFunctionPresent = true;
    uint32_t m_dwChecksum = 0x12345678;  ///< what the function delivers

    int m_nLoads = 0;
    int m_nFrees = 0;
    std::vector<std::string> m_strLoadedNames;
    std::vector<std::string> m_strFunctionNames;
    /// Per call: the length and the values the two output variables held on entry.
    struct SCall {
        uint32_t cbImage;
        uint32_t dwHeaderSumOnEntry;
        uint32_t dwChecksumOnEntry;
    };
    std::vector<SCall> m_calls;

    std::unique_ptr<ILoadedLibrary> Load(const char* pszName) override {
        m_strLoadedNames.push_back(pszName);
        if (!m_bLibraryPresent) return nullptr;
        ++m_nLoads;
        return std::make_unique<CLibrary>(*this);
    }

private:
    class CLibrary final : public ILoadedLibrary {
    public:
        explicit CLibrary(CFakeChecksumLoader& loader) : m_loader(loader) {}
        ~CLibrary() override { ++m_loader.m_nFrees; }
        ImageChecksumFunction FindChecksumFunction(const char* pszName) override {
            m_loader.m_strFunctionNames.push_back(pszName);
            if (!m_loader.m_bFunctionPresent) return {};
            CFakeChecksumLoader* pLoader = &m_loader;
            return [pLoader](uint8_t*, uint32_t cbImage, uint32_t* pdwHeaderSum, uint32_t* pdwChecksum) {
                pLoader->m_calls.push_back({cbImage, *pdwHeaderSum, *pdwChecksum});
                *pdwHeaderSum = 0xAAAAAAAA;
                *pdwChecksum = pLoader->m_dwChecksum;
            };
        }

    private:
        CFakeChecksumLoader& m_loader;
    };
};
