// The system's loader: libraries come from the system directory only, so a
// PSAPI.DLL beside the program or in the current directory is never used.
#include <windows.h>
// tlhelp32.h needs the types of windows.h.
#include <tlhelp32.h>

#include <cstddef>

#include "framework/SystemLibrary.h"
#include "processes/LibraryLoader.h"

static_assert(kProcessQueryAndRead == (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ), "access rights");
static_assert(kSnapProcess == TH32CS_SNAPPROCESS && kSnapModule == TH32CS_SNAPMODULE, "snapshot flags");
static_assert(kMaxPathBytes == MAX_PATH, "path buffer");

// The portable records must be the system's ANSI records, field for field.
static_assert(sizeof(SProcessEntry32) == sizeof(PROCESSENTRY32), "PROCESSENTRY32 size");
static_assert(offsetof(SProcessEntry32, th32ProcessID) == offsetof(PROCESSENTRY32, th32ProcessID),
              "th32ProcessID");
static_assert(offsetof(SProcessEntry32, th32ModuleID) == offsetof(PROCESSENTRY32, th32ModuleID),
              "th32ModuleID");
static_assert(offsetof(SProcessEntry32, szExeFile) == offsetof(PROCESSENTRY32, szExeFile), "szExeFile");
static_assert(sizeof(SModuleEntry32) == sizeof(MODULEENTRY32), "MODULEENTRY32 size");
static_assert(offsetof(SModuleEntry32, hModule) == offsetof(MODULEENTRY32, hModule), "hModule");
static_assert(offsetof(SModuleEntry32, szExePath) == offsetof(MODULEENTRY32, szExePath), "szExePath");
static_assert(sizeof(SystemHandle) == sizeof(HANDLE) && sizeof(LibraryHandle) == sizeof(HMODULE), "handles");

namespace {

class CWin32LibraryLoader final : public ILibraryLoader {
public:
    LibraryHandle Load(const char* pszName) override { return LoadSystemLibrary(pszName); }
    ProcAddress Lookup(LibraryHandle hLibrary, const char* pszName) override {
        return reinterpret_cast<ProcAddress>(GetProcAddress(static_cast<HMODULE>(hLibrary), pszName));
    }
    void Free(LibraryHandle hLibrary) override { FreeLibrary(static_cast<HMODULE>(hLibrary)); }
    SystemHandle OpenProcessById(std::uint32_t dwAccess, bool bInherit, std::uint32_t dwProcessId) override {
        return OpenProcess(dwAccess, bInherit ? TRUE : FALSE, dwProcessId);
    }
    void CloseSystemHandle(SystemHandle hObject) override { CloseHandle(hObject); }
};

}  // namespace

ILibraryLoader& SystemLibraryLoader() {
    static CWin32LibraryLoader s_system;
    return s_system;
}
