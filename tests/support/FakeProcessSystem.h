// A system for the process back ends, in memory: a PSAPI library and a
// kernel library with the Toolhelp32 functions, either of which can be
// absent or lack any one function, over a list of processes and their
// modules. It counts loads, frees, opens and closes so that tests can show
// that every handle and every library was released.
//
// One fake is active at a time (its functions are plain system-shaped
// functions). Install it with SetLibraryLoader(&fake); its destructor puts
// the start-up loader back when it is still installed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "processes/LibraryLoader.h"

/// One module of a fake process.
struct SFakeModule {
    std::string strPath;           ///< full path, as GetModuleFileNameExA and the module snapshot give it
    std::uintptr_t hModule = 0;    ///< the module handle (load address)
    bool bNameUnreadable = false;  ///< GetModuleFileNameExA fails for it
};

/// One fake process. Its first module is the executable.
struct SFakeProcess {
    std::uint32_t dwProcessId = 0;
    std::string strSnapshotName;   ///< szExeFile of the process snapshot
    std::uint32_t dwModuleId = 0;  ///< th32ModuleID of the process snapshot
    std::vector<SFakeModule> modules;
    bool bCanOpen = true;               ///< OpenProcess with query and read rights succeeds
    bool bModulesFail = false;          ///< EnumProcessModules fails
    bool bModuleSnapshotFails = false;  ///< its module snapshot cannot be taken
};

class CFakeProcessSystem final : public ILibraryLoader {
public:
    CFakeProcessSystem();
    ~CFakeProcessSystem() override;
    CFakeProcessSystem(const CFakeProcessSystem&) = delete;
    CFakeProcessSystem& operator=(const CFakeProcessSystem&) = delete;

    // ---- What the system offers ----
    bool m_bHasPsapi = true;                      ///< "PSAPI.DLL" loads
    bool m_bHasKernel = true;                     ///< "KERNEL32.DLL" loads
    std::set<std::string> m_setMissingFunctions;  ///< functions that either library lacks
    bool m_bEnumProcessesFails = false;
    bool m_bProcessSnapshotFails = false;

    /// Adds a process whose executable is strExePath (also its snapshot
    /// name) followed by the given libraries. Module handles are made up.
    SFakeProcess& AddProcess(std::uint32_t dwProcessId, const std::string& strExePath,
                             const std::vector<std::string>& dllPaths = {});
    /// Removes the process, as when it ends.
    void RemoveProcess(std::uint32_t dwProcessId);
    SFakeProcess& Process(std::uint32_t dwProcessId);

    // ---- Counters ----
    int m_nLoads = 0;  ///< successful loads, either library
    int m_nFrees = 0;
    int m_nOpenCalls = 0;  ///< OpenProcess calls, whether or not they succeeded
    int m_nEnumProcessesCalls = 0;
    int m_nSnapshots = 0;  ///< snapshots taken
    int m_nMisuses = 0;    ///< bad handles, frees of unloaded libraries, PSAPI calls after its last free
    int LoadedLibraries() const { return m_nPsapiRefs + m_nKernelRefs; }
    int PsapiRefs() const { return m_nPsapiRefs; }
    int OpenHandles() const { return static_cast<int>(m_mapHandles.size()); }
    void ResetCounters();

    // ---- ILibraryLoader ----
    LibraryHandle Load(const char* pszName) override;
    ProcAddress Lookup(LibraryHandle hLibrary, const char* pszName) override;
    void Free(LibraryHandle hLibrary) override;
    SystemHandle OpenProcessById(std::uint32_t dwAccess, bool bInherit, std::uint32_t dwProcessId) override;
    void CloseSystemHandle(SystemHandle hObject) override;

private:
    enum class EHandleKind { Process, ProcessSnapshot, ModuleSnapshot };
    struct SHandle {
        EHandleKind kind;
        std::uint32_t dwProcessId;
        std::vector<std::uint32_t> processIds;  ///< a process snapshot's processes, in order
        std::size_t nNext = 0;                  ///< the snapshot walk's next position
    };

    SFakeProcess* FindProcess(std::uint32_t dwProcessId);
    SHandle* FindHandle(SystemHandle hObject, EHandleKind kind);
    SystemHandle NewHandle(SHandle handle);
    void CheckPsapiLoaded();

    static CFakeProcessSystem* s_pActive;

    static int LINTRA_WINAPI FakeEnumProcesses(std::uint32_t* pdwProcessIds, std::uint32_t cb,
                                               std::uint32_t* pcbReturned);
    static int LINTRA_WINAPI FakeEnumProcessModules(SystemHandle hProcess, void** phModules, std::uint32_t cb,
                                                    std::uint32_t* pcbNeeded);
    static std::uint32_t LINTRA_WINAPI FakeGetModuleFileNameExA(SystemHandle hProcess, void* hModule,
                                                                char* pszFileName, std::uint32_t nSize);
    static SystemHandle LINTRA_WINAPI FakeCreateToolhelp32Snapshot(std::uint32_t dwFlags,
                                                                   std::uint32_t dwProcessId);
    static int LINTRA_WINAPI FakeProcess32First(SystemHandle hSnapshot, SProcessEntry32* pEntry);
    static int LINTRA_WINAPI FakeProcess32Next(SystemHandle hSnapshot, SProcessEntry32* pEntry);
    static int LINTRA_WINAPI FakeModule32First(SystemHandle hSnapshot, SModuleEntry32* pEntry);
    static int LINTRA_WINAPI FakeModule32Next(SystemHandle hSnapshot, SModuleEntry32* pEntry);
    int ProcessWalk(SystemHandle hSnapshot, SProcessEntry32* pEntry, bool bFirst);
    int ModuleWalk(SystemHandle hSnapshot, SModuleEntry32* pEntry, bool bFirst);

    std::deque<SFakeProcess> m_processes;
    std::unordered_map<std::uint32_t, std::size_t> m_mapIndex;  ///< process identifier to position
    std::unordered_map<SystemHandle, SHandle> m_mapHandles;
    std::uintptr_t m_nNextHandle = 0x1000;
    int m_nPsapiRefs = 0;
    int m_nKernelRefs = 0;
};
