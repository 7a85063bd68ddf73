#include "tests/support/FakeProcessSystem.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>

namespace {

bool NameIs(const char* pszName, const char* pszExpected) {
    for (; *pszName != '\0' && *pszExpected != '\0'; ++pszName, ++pszExpected) {
        const char a =
            (*pszName >= 'a' && *pszName <= 'z') ? static_cast<char>(*pszName - 'a' + 'A') : *pszName;
        if (a != *pszExpected) return false;
    }
    return *pszName == '\0' && *pszExpected == '\0';
}

// Library handles of the fake; any distinct non-null values do.
LibraryHandle const kPsapiHandle = reinterpret_cast<LibraryHandle>(static_cast<std::uintptr_t>(0x50000));
LibraryHandle const kKernelHandle = reinterpret_cast<LibraryHandle>(static_cast<std::uintptr_t>(0x60000));

const char* const kPsapiFunctions[] = {"EnumProcesses", "EnumProcessModules", "GetModuleFileNameExA"};
const char* const kKernelFunctions[] = {"CreateToolhelp32Snapshot", "Process32First", "Process32Next",
                                        "Module32First", "Module32Next"};

// Copies a name the way the least careful system does: as many bytes as
// fit, and a terminator only when there is room for one.
std::uint32_t CopyName(const std::string& strName, char* pszDest, std::size_t cbDest) {
    const std::size_t cb = std::min(strName.size(), cbDest);
    std::memcpy(pszDest, strName.data(), cb);
    if (cb < cbDest) pszDest[cb] = '\0';
    return static_cast<std::uint32_t>(cb);
}

}  // namespace

CFakeProcessSystem* CFakeProcessSystem::s_pActive = nullptr;

CFakeProcessSystem::CFakeProcessSystem() {
    assert(s_pActive == nullptr && "one fake process system at a time");
    s_pActive = this;
}

CFakeProcessSystem::~CFakeProcessSystem() {
    if (&LibraryLoader() == this) SetLibraryLoader(nullptr);
    s_pActive = nullptr;
}

SFakeProcess& CFakeProcessSystem::AddProcess(std::uint32_t dwProcessId, const std::string& strExePath,
                                             const std::vector<std::string>& dllPaths) {
    if (m_mapIndex.count(dwProcessId) != 0) throw std::logic_error("process identifier already in use");
    SFakeProcess process;
    process.dwProcessId = dwProcessId;
    process.strSnapshotName = strExePath;
    process.modules.push_back({strExePath, 0x00400000u, false});
    std::uintptr_t hNext = 0x10000000u;
    for (const std::string& strPath : dllPaths) {
        process.modules.push_back({strPath, hNext, false});
        hNext += 0x00100000u;
    }
    m_mapIndex[dwProcessId] = m_processes.size();
    m_processes.push_back(process);
    return m_processes.back();
}

void CFakeProcessSystem::RemoveProcess(std::uint32_t dwProcessId) {
    auto it = std::find_if(m_processes.begin(), m_processes.end(),
                           [&](const SFakeProcess& p) { return p.dwProcessId == dwProcessId; });
    if (it == m_processes.end()) return;
    m_processes.erase(it);
    m_mapIndex.clear();
    for (std::size_t i = 0; i < m_processes.size(); ++i) m_mapIndex[m_processes[i].dwProcessId] = i;
}

SFakeProcess& CFakeProcessSystem::Process(std::uint32_t dwProcessId) {
    SFakeProcess* pProcess = FindProcess(dwProcessId);
    if (pProcess == nullptr) throw std::logic_error("no such fake process");
    return *pProcess;
}

SFakeProcess* CFakeProcessSystem::FindProcess(std::uint32_t dwProcessId) {
    auto it = m_mapIndex.find(dwProcessId);
    return it == m_mapIndex.end() ? nullptr : &m_processes[it->second];
}

void CFakeProcessSystem::ResetCounters() {
    m_nLoads = m_nFrees = m_nOpenCalls = m_nEnumProcessesCalls = m_nSnapshots = m_nMisuses = 0;
}

// ---- Loader ----

LibraryHandle CFakeProcessSystem::Load(const char* pszName) {
    if (NameIs(pszName, "PSAPI.DLL") && m_bHasPsapi) {
        ++m_nLoads;
        ++m_nPsapiRefs;
        return kPsapiHandle;
    }
    if (NameIs(pszName, "KERNEL32.DLL") && m_bHasKernel) {
        ++m_nLoads;
        ++m_nKernelRefs;
        return kKernelHandle;
    }
    return nullptr;
}

ProcAddress CFakeProcessSystem::Lookup(LibraryHandle hLibrary, const char* pszName) {
    const bool bPsapi = hLibrary == kPsapiHandle && m_nPsapiRefs > 0;
    const bool bKernel = hLibrary == kKernelHandle && m_nKernelRefs > 0;
    if (!bPsapi && !bKernel) {
        ++m_nMisuses;
        return nullptr;
    }
    if (m_setMissingFunctions.count(pszName) != 0) return nullptr;
    const std::string strName = pszName;
    if (bPsapi) {
        if (strName == kPsapiFunctions[0]) return reinterpret_cast<ProcAddress>(&FakeEnumProcesses);
        if (strName == kPsapiFunctions[1]) return reinterpret_cast<ProcAddress>(&FakeEnumProcessModules);
        if (strName == kPsapiFunctions[2]) return reinterpret_cast<ProcAddress>(&FakeGetModuleFileNameExA);
        return nullptr;
    }
    if (strName == kKernelFunctions[0]) return reinterpret_cast<ProcAddress>(&FakeCreateToolhelp32Snapshot);
    if (strName == kKernelFunctions[1]) return reinterpret_cast<ProcAddress>(&FakeProcess32First);
    if (strName == kKernelFunctions[2]) return reinterpret_cast<ProcAddress>(&FakeProcess32Next);
    if (strName == kKernelFunctions[3]) return reinterpret_cast<ProcAddress>(&FakeModule32First);
    if (strName == kKernelFunctions[4]) return reinterpret_cast<ProcAddress>(&FakeModule32Next);
    return nullptr;
}

void CFakeProcessSystem::Free(LibraryHandle hLibrary) {
    int* pRefs = hLibrary == kPsapiHandle    ? &m_nPsapiRefs
                 : hLibrary == kKernelHandle ? &m_nKernelRefs
                                             : nullptr;
    if (pRefs == nullptr || *pRefs == 0) {
        ++m_nMisuses;
        return;
    }
    --*pRefs;
    ++m_nFrees;
}

SystemHandle CFakeProcessSystem::NewHandle(SHandle handle) {
    m_nNextHandle += 4;
    SystemHandle hObject = reinterpret_cast<SystemHandle>(m_nNextHandle);
    m_mapHandles.emplace(hObject, std::move(handle));
    return hObject;
}

CFakeProcessSystem::SHandle* CFakeProcessSystem::FindHandle(SystemHandle hObject, EHandleKind kind) {
    auto it = m_mapHandles.find(hObject);
    if (it == m_mapHandles.end() || it->second.kind != kind) {
        ++m_nMisuses;
        return nullptr;
    }
    return &it->second;
}

SystemHandle CFakeProcessSystem::OpenProcessById(std::uint32_t dwAccess, bool, std::uint32_t dwProcessId) {
    ++m_nOpenCalls;
    const SFakeProcess* pProcess = FindProcess(dwProcessId);
    if (pProcess == nullptr || !pProcess->bCanOpen) return nullptr;
    // Listing modules and reading names needs both rights; the fake hands
    // out no handle that could not do it.
    if ((dwAccess & kProcessQueryAndRead) != kProcessQueryAndRead) return nullptr;
    return NewHandle(SHandle{EHandleKind::Process, dwProcessId, {}, 0});
}

void CFakeProcessSystem::CloseSystemHandle(SystemHandle hObject) {
    if (m_mapHandles.erase(hObject) == 0) ++m_nMisuses;
}

void CFakeProcessSystem::CheckPsapiLoaded() {
    if (m_nPsapiRefs == 0) ++m_nMisuses;
}

// ---- PSAPI ----

int LINTRA_WINAPI CFakeProcessSystem::FakeEnumProcesses(std::uint32_t* pdwProcessIds, std::uint32_t cb,
                                                        std::uint32_t* pcbReturned) {
    CFakeProcessSystem& self = *s_pActive;
    self.CheckPsapiLoaded();
    ++self.m_nEnumProcessesCalls;
    if (self.m_bEnumProcessesFails) return 0;
    const std::size_t nFit = std::min<std::size_t>(cb / sizeof(std::uint32_t), self.m_processes.size());
    for (std::size_t i = 0; i < nFit; ++i) pdwProcessIds[i] = self.m_processes[i].dwProcessId;
    *pcbReturned = static_cast<std::uint32_t>(nFit * sizeof(std::uint32_t));
    return 1;
}

int LINTRA_WINAPI CFakeProcessSystem::FakeEnumProcessModules(SystemHandle hProcess, void** phModules,
                                                             std::uint32_t cb, std::uint32_t* pcbNeeded) {
    CFakeProcessSystem& self = *s_pActive;
    self.CheckPsapiLoaded();
    const SHandle* pHandle = self.FindHandle(hProcess, EHandleKind::Process);
    if (pHandle == nullptr) return 0;
    const SFakeProcess* pProcess = self.FindProcess(pHandle->dwProcessId);
    if (pProcess == nullptr || pProcess->bModulesFail) return 0;
    // Like the system: as many handles as fit, and the size of the whole list.
    const std::size_t nFit = std::min<std::size_t>(cb / sizeof(void*), pProcess->modules.size());
    for (std::size_t i = 0; i < nFit; ++i)
        phModules[i] = reinterpret_cast<void*>(pProcess->modules[i].hModule);
    *pcbNeeded = static_cast<std::uint32_t>(pProcess->modules.size() * sizeof(void*));
    return 1;
}

std::uint32_t LINTRA_WINAPI CFakeProcessSystem::FakeGetModuleFileNameExA(SystemHandle hProcess, void* hModule,
                                                                         char* pszFileName,
                                                                         std::uint32_t nSize) {
    CFakeProcessSystem& self = *s_pActive;
    self.CheckPsapiLoaded();
    const SHandle* pHandle = self.FindHandle(hProcess, EHandleKind::Process);
    if (pHandle == nullptr || nSize == 0) return 0;
    const SFakeProcess* pProcess = self.FindProcess(pHandle->dwProcessId);
    if (pProcess == nullptr || pProcess->modules.empty()) return 0;
    const SFakeModule* pModule = hModule == nullptr ? &pProcess->modules.front() : nullptr;
    for (const SFakeModule& module : pProcess->modules)
        if (pModule == nullptr && reinterpret_cast<void*>(module.hModule) == hModule) pModule = &module;
    if (pModule == nullptr || pModule->bNameUnreadable) return 0;
    return CopyName(pModule->strPath, pszFileName, nSize);
}

// ---- Toolhelp32 ----

SystemHandle LINTRA_WINAPI CFakeProcessSystem::FakeCreateToolhelp32Snapshot(std::uint32_t dwFlags,
                                                                            std::uint32_t dwProcessId) {
    CFakeProcessSystem& self = *s_pActive;
    if (dwFlags == kSnapProcess) {
        if (self.m_bProcessSnapshotFails) return InvalidSystemHandle();
        SHandle handle{EHandleKind::ProcessSnapshot, 0, {}, 0};
        for (const SFakeProcess& process : self.m_processes) handle.processIds.push_back(process.dwProcessId);
        ++self.m_nSnapshots;
        return self.NewHandle(std::move(handle));
    }
    if (dwFlags == kSnapModule) {
        const SFakeProcess* pProcess = self.FindProcess(dwProcessId);
        if (pProcess == nullptr || pProcess->bModuleSnapshotFails) return InvalidSystemHandle();
        ++self.m_nSnapshots;
        return self.NewHandle(SHandle{EHandleKind::ModuleSnapshot, dwProcessId, {}, 0});
    }
    return InvalidSystemHandle();
}

int CFakeProcessSystem::ProcessWalk(SystemHandle hSnapshot, SProcessEntry32* pEntry, bool bFirst) {
    SHandle* pHandle = FindHandle(hSnapshot, EHandleKind::ProcessSnapshot);
    if (pHandle == nullptr || pEntry->dwSize < sizeof(SProcessEntry32)) return 0;
    if (bFirst) pHandle->nNext = 0;
    while (pHandle->nNext < pHandle->processIds.size()) {
        const SFakeProcess* pProcess = FindProcess(pHandle->processIds[pHandle->nNext++]);
        if (pProcess == nullptr) continue;  // ended since the snapshot: the fake forgets it
        pEntry->cntUsage = 0;
        pEntry->th32ProcessID = pProcess->dwProcessId;
        pEntry->th32DefaultHeapID = 0;
        pEntry->th32ModuleID = pProcess->dwModuleId;
        pEntry->cntThreads = 1;
        pEntry->th32ParentProcessID = 0;
        pEntry->pcPriClassBase = 8;
        pEntry->dwFlags = 0;
        CopyName(pProcess->strSnapshotName, pEntry->szExeFile, sizeof(pEntry->szExeFile));
        return 1;
    }
    return 0;
}

int CFakeProcessSystem::ModuleWalk(SystemHandle hSnapshot, SModuleEntry32* pEntry, bool bFirst) {
    SHandle* pHandle = FindHandle(hSnapshot, EHandleKind::ModuleSnapshot);
    if (pHandle == nullptr || pEntry->dwSize < sizeof(SModuleEntry32)) return 0;
    const SFakeProcess* pProcess = FindProcess(pHandle->dwProcessId);
    if (bFirst) pHandle->nNext = 0;
    if (pProcess == nullptr || pHandle->nNext >= pProcess->modules.size()) return 0;
    const SFakeModule& module = pProcess->modules[pHandle->nNext++];
    pEntry->th32ModuleID = 1;
    pEntry->th32ProcessID = pProcess->dwProcessId;
    pEntry->GlblcntUsage = pEntry->ProccntUsage = 1;
    pEntry->modBaseAddr = reinterpret_cast<unsigned char*>(module.hModule);
    pEntry->modBaseSize = 0x10000;
    pEntry->hModule = reinterpret_cast<void*>(module.hModule);
    const std::size_t nSlash = module.strPath.find_last_of("\\/");
    CopyName(nSlash == std::string::npos ? module.strPath : module.strPath.substr(nSlash + 1),
             pEntry->szModule, sizeof(pEntry->szModule));
    CopyName(module.strPath, pEntry->szExePath, sizeof(pEntry->szExePath));
    return 1;
}

int LINTRA_WINAPI CFakeProcessSystem::FakeProcess32First(SystemHandle hSnapshot, SProcessEntry32* pEntry) {
    return s_pActive->ProcessWalk(hSnapshot, pEntry, true);
}
int LINTRA_WINAPI CFakeProcessSystem::FakeProcess32Next(SystemHandle hSnapshot, SProcessEntry32* pEntry) {
    return s_pActive->ProcessWalk(hSnapshot, pEntry, false);
}
int LINTRA_WINAPI CFakeProcessSystem::FakeModule32First(SystemHandle hSnapshot, SModuleEntry32* pEntry) {
    return s_pActive->ModuleWalk(hSnapshot, pEntry, true);
}
int LINTRA_WINAPI CFakeProcessSystem::FakeModule32Next(SystemHandle hSnapshot, SModuleEntry32* pEntry) {
    return s_pActive->ModuleWalk(hSnapshot, pEntry, false);
}
