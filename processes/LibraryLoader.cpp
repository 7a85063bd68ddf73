#include "processes/LibraryLoader.h"

namespace {

// The loader of a build without Windows: neither process interface exists,
// so the facade finds no back end and the process list stays empty.
class CAbsentLibraryLoader final : public ILibraryLoader {
public:
    LibraryHandle Load(const char*) override { return nullptr; }
    ProcAddress Lookup(LibraryHandle, const char*) override { return nullptr; }
    void Free(LibraryHandle) override {}
    SystemHandle OpenProcessById(std::uint32_t, bool, std::uint32_t) override { return nullptr; }
    void CloseSystemHandle(SystemHandle) override {}
};

ILibraryLoader* g_pLibraryLoader = nullptr;

}  // namespace

#ifdef _WIN32
ILibraryLoader& SystemLibraryLoader();  // Win32LibraryLoader.cpp
#endif

ILibraryLoader& LibraryLoader() {
    if (g_pLibraryLoader != nullptr) return *g_pLibraryLoader;
#ifdef _WIN32
    return SystemLibraryLoader();
#else
    static CAbsentLibraryLoader s_absent;
    return s_absent;
#endif
}

void SetLibraryLoader(ILibraryLoader* pLoader) { g_pLibraryLoader = pLoader; }
