#include "processes/TaskManager.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Library and function names as the system spells them.
const char kPsapiLibrary[] = "PSAPI.DLL";
const char kKernelLibraryProbe[] = "KERNEL32.DLL";
const char kKernelLibrary[] = "Kernel32.DLL";

// A name from a fixed system buffer of cb bytes; the system may fill the
// buffer to the last byte without a terminator, so the name is cut to cb-1.
std::size_t BoundedLength(const char* psz, std::size_t cb) {
    const void* pEnd = std::memchr(psz, '\0', cb - 1);
    return pEnd != nullptr ? static_cast<std::size_t>(static_cast<const char*>(pEnd) - psz) : cb - 1;
}

// Copies a name of at most cb-1 bytes out of a fixed buffer of cb bytes.
void CopyBoundedName(char (&szName)[kMaxPathBytes], const char* pszSource, std::size_t cbSource) {
    std::memset(szName, 0, sizeof(szName));
    std::memcpy(szName, pszSource, std::min(BoundedLength(pszSource, cbSource), sizeof(szName) - 1));
}

}  // namespace

// ---- Module instances and lists ----

CModuleInstance::CModuleInstance(const char* pszName, void* hModule)
    : m_pszName(nullptr), m_hModule(hModule), m_pModuleList(nullptr) {
    SetName(pszName);
}

CModuleInstance::~CModuleInstance() {
    delete m_pModuleList;
    delete[] m_pszName;
}

void CModuleInstance::SetName(const char* pszName) {
    const std::size_t cch = pszName != nullptr ? std::strlen(pszName) : 0;
    char* pszCopy = new char[cch + 1];
    if (cch != 0) std::memcpy(pszCopy, pszName, cch);
    pszCopy[cch] = '\0';
    delete[] m_pszName;
    m_pszName = pszCopy;
}

void CModuleInstance::AddModule(CModuleInstance* pModule) {
    std::unique_ptr<CModuleInstance> module(pModule);
    if (m_pModuleList == nullptr) m_pModuleList = new CModuleList;
    m_pModuleList->Add(module.release());
}

CExeModuleInstance::CExeModuleInstance(const char* pszName, void* hModule, std::uint32_t dwProcessId)
    : CModuleInstance(pszName, hModule), m_dwProcessId(dwProcessId) {}

CModuleList::~CModuleList() { Clear(); }

void CModuleList::Add(CModuleInstance* pEntry) {
    std::unique_ptr<CModuleInstance> entry(pEntry);
    push_back(entry.get());
    entry.release();
}

void CModuleList::Clear() {
    for (CModuleInstance* pEntry : *this) delete pEntry;
    clear();
}

CLibHandler::~CLibHandler() = default;

// ---- PSAPI ----

CPsapiHandler::CPsapiHandler(CRunningProcesses* pProcesses, ILibraryLoader& loader)
    : m_pProcesses(pProcesses),
      m_hPsapi(nullptr),
      m_pfnEnumProcesses(nullptr),
      m_pfnEnumProcessModules(nullptr),
      m_pfnGetModuleFileNameExA(nullptr),
      m_loader(loader) {}

CPsapiHandler::~CPsapiHandler() {
    if (m_hPsapi != nullptr) m_loader.Free(m_hPsapi);
}

int CPsapiHandler::LoadFunctions() {
    if (m_hPsapi == nullptr) m_hPsapi = m_loader.Load(kPsapiLibrary);
    if (m_hPsapi == nullptr) return 0;
    const bool bAll = BindFunction(m_loader, m_hPsapi, "EnumProcesses", m_pfnEnumProcesses) &
                      BindFunction(m_loader, m_hPsapi, "EnumProcessModules", m_pfnEnumProcessModules) &
                      BindFunction(m_loader, m_hPsapi, "GetModuleFileNameExA", m_pfnGetModuleFileNameExA);
    return bAll ? 1 : 0;
}

int CPsapiHandler::FillProcessList() {
    if (m_pProcesses == nullptr || LoadFunctions() != 1) return 0;

    std::uint32_t adwProcessIds[kMaxEntries];
    std::uint32_t cbReturned = 0;
    if (!m_pfnEnumProcesses(adwProcessIds, sizeof(adwProcessIds), &cbReturned)) return 0;
    const std::size_t nProcesses =
        std::min<std::size_t>(cbReturned, sizeof(adwProcessIds)) / sizeof(adwProcessIds[0]);

    for (std::size_t i = 0; i < nProcesses; ++i) {
        CScopedSystemHandle process(m_loader,
                                    m_loader.OpenProcessById(kProcessQueryAndRead, false, adwProcessIds[i]));
        if (!process.IsValid()) continue;
        void* ahModules[kMaxEntries];
        std::uint32_t cbNeeded = 0;
        if (!m_pfnEnumProcessModules(process.Get(), ahModules, sizeof(ahModules), &cbNeeded)) continue;
        if (cbNeeded < sizeof(ahModules[0])) continue;

        char szName[kMaxPathBytes] = {};
        m_pfnGetModuleFileNameExA(process.Get(), ahModules[0], szName, sizeof(szName));
        szName[sizeof(szName) - 1] = '\0';
        CExeModuleInstance* pProcess = new CExeModuleInstance(szName, ahModules[0], adwProcessIds[i]);
        m_pProcesses->Add(pProcess);
        FillModuleList(pProcess);
    }
    return 1;
}

int CPsapiHandler::FillModuleList(CModuleInstance* pProcess) {
    CExeModuleInstance* pExe = dynamic_cast<CExeModuleInstance*>(pProcess);
    if (pExe == nullptr || LoadFunctions() != 1) return 0;
    // The process is opened by its identifier: listing every process again
    // to find it would open each one n times over a list of n processes.
    CScopedSystemHandle process(m_loader,
                                m_loader.OpenProcessById(kProcessQueryAndRead, false, pExe->m_dwProcessId));
    if (process.IsValid()) AddModulesOf(process.Get(), pExe);
    return 1;
}

void CPsapiHandler::AddModulesOf(SystemHandle hProcess, CModuleInstance* pProcess) {
    void* ahModules[kMaxEntries];
    std::uint32_t cbNeeded = 0;
    if (!m_pfnEnumProcessModules(hProcess, ahModules, sizeof(ahModules), &cbNeeded)) return;
    // cbNeeded tells the size of the whole list, which may exceed the buffer.
    const std::size_t nModules = std::min<std::size_t>(cbNeeded, sizeof(ahModules)) / sizeof(ahModules[0]);
    for (std::size_t i = 0; i < nModules; ++i) {
        char szName[kMaxPathBytes] = {};
        m_pfnGetModuleFileNameExA(hProcess, ahModules[i], szName, sizeof(szName));
        szName[sizeof(szName) - 1] = '\0';
        pProcess->AddModule(new CModuleInstance(szName, ahModules[i]));
    }
}

// ---- Toolhelp32 ----

CToolhelpHandler::CToolhelpHandler(CRunningProcesses* pProcesses, ILibraryLoader& loader)
    : m_pProcesses(pProcesses),
      m_pfnCreateToolhelp32Snapshot(nullptr),
      m_pfnProcess32First(nullptr),
      m_pfnProcess32Next(nullptr),
      m_pfnModule32First(nullptr),
      m_pfnModule32Next(nullptr),
      m_loader(loader) {}

int CToolhelpHandler::LoadFunctions() {
    // The kernel library stays mapped in every process, so the pointers
    // outlive the load that found them.
    CScopedLibrary kernel(m_loader, kKernelLibrary);
    if (kernel.Get() == nullptr) return 0;
    const bool bAll =
        BindFunction(m_loader, kernel.Get(), "CreateToolhelp32Snapshot", m_pfnCreateToolhelp32Snapshot) &
        BindFunction(m_loader, kernel.Get(), "Process32First", m_pfnProcess32First) &
        BindFunction(m_loader, kernel.Get(), "Process32Next", m_pfnProcess32Next) &
        BindFunction(m_loader, kernel.Get(), "Module32First", m_pfnModule32First) &
        BindFunction(m_loader, kernel.Get(), "Module32Next", m_pfnModule32Next);
    return bAll ? 1 : 0;
}

int CToolhelpHandler::FillProcessList() {
    if (m_pProcesses == nullptr || LoadFunctions() != 1) return 0;

    CScopedSystemHandle snapshot(m_loader, m_pfnCreateToolhelp32Snapshot(kSnapProcess, 0));
    if (!snapshot.IsValid()) return 1;
    SProcessEntry32 entry;
    std::memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (int bMore = m_pfnProcess32First(snapshot.Get(), &entry); bMore;
         bMore = m_pfnProcess32Next(snapshot.Get(), &entry)) {
        char szName[kMaxPathBytes];
        CopyBoundedName(szName, entry.szExeFile, sizeof(entry.szExeFile));
        void* hModule = reinterpret_cast<void*>(static_cast<std::uintptr_t>(entry.th32ModuleID));
        CExeModuleInstance* pProcess = new CExeModuleInstance(szName, hModule, entry.th32ProcessID);
        m_pProcesses->Add(pProcess);
        FillModuleList(pProcess);
    }
    return 1;
}

int CToolhelpHandler::FillModuleList(CModuleInstance* pProcess) {
    CExeModuleInstance* pExe = dynamic_cast<CExeModuleInstance*>(pProcess);
    if (pExe == nullptr || m_pfnCreateToolhelp32Snapshot == nullptr || m_pfnModule32First == nullptr ||
        m_pfnModule32Next == nullptr)
        return 0;

    CScopedSystemHandle snapshot(m_loader, m_pfnCreateToolhelp32Snapshot(kSnapModule, pExe->m_dwProcessId));
    if (!snapshot.IsValid()) return 1;
    SModuleEntry32 entry;
    std::memset(&entry, 0, sizeof(entry));
    entry.dwSize = sizeof(entry);
    for (int bMore = m_pfnModule32First(snapshot.Get(), &entry); bMore;
         bMore = m_pfnModule32Next(snapshot.Get(), &entry)) {
        char szName[kMaxPathBytes];
        CopyBoundedName(szName, entry.szExePath, sizeof(entry.szExePath));
        pExe->AddModule(new CModuleInstance(szName, entry.hModule));
    }
    return 1;
}

// ---- Facade ----

CTaskManager::CTaskManager(ILibraryLoader& loader) : m_pHandler(nullptr), m_pProcesses(nullptr) {
    std::unique_ptr<CRunningProcesses> processes(new CRunningProcesses);
    std::unique_ptr<CLibHandler> handler;
    bool bPsapi = false;
    {
        // The probe only asks whether the library loads; the back end loads
        // it again on its first fill and keeps it.
        CScopedLibrary psapi(loader, kPsapiLibrary);
        bPsapi = psapi.Get() != nullptr;
    }
    if (bPsapi) {
        handler.reset(new CPsapiHandler(processes.get(), loader));
    } else {
        bool bToolhelp = false;
        {
            CScopedLibrary kernel(loader, kKernelLibraryProbe);
            bToolhelp =
                kernel.Get() != nullptr && loader.Lookup(kernel.Get(), "CreateToolhelp32Snapshot") != nullptr;
        }
        if (bToolhelp) handler.reset(new CToolhelpHandler(processes.get(), loader));
    }
    m_pProcesses = processes.release();
    m_pHandler = handler.release();
}

CTaskManager::~CTaskManager() {
    delete m_pHandler;
    delete m_pProcesses;
}
