// The processes that run on the machine at one moment, each with its
// executable and the modules loaded into it, listed through whichever system
// interface is present: the process-status library (PSAPI), preferred, or
// the Toolhelp32 snapshot functions of the kernel library. Every function of
// either interface is bound at run time by name through the installed
// library loader, so the program starts whether or not they exist.
//
// Ownership: the facade owns its back end and its process list; a list owns
// its entries; an entry owns its name and its module list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "processes/LibraryLoader.h"
#include "processes/ProcessApi.h"

class CModuleList;

/// One module loaded into a process.
class CModuleInstance {
public:
    /// An entry with a copy of the name (null gives an empty name) and the handle.
    explicit CModuleInstance(const char* pszName = nullptr, void* hModule = nullptr);
    virtual ~CModuleInstance();
    CModuleInstance(const CModuleInstance&) = delete;
    CModuleInstance& operator=(const CModuleInstance&) = delete;

    /// Frees the old name and stores a copy of pszName; null or empty gives "".
    void SetName(const char* pszName);
    /// Appends pModule to this process entry's module list, which is made on
    /// first use. The list owns pModule from the call on, also when it throws.
    void AddModule(CModuleInstance* pModule);

    char* m_pszName;             ///< the module's file name, never null
    void* m_hModule;             ///< the module handle (its load address in that process)
    CModuleList* m_pModuleList;  ///< owned; the modules of a process entry, null until the first
};

/// One process: its executable module plus the process identifier.
class CExeModuleInstance : public CModuleInstance {
public:
    CExeModuleInstance(const char* pszName, void* hModule, std::uint32_t dwProcessId);

    std::uint32_t m_dwProcessId;
};

/// An ordered list of module entries, in the order the system reported
/// them. Owns its entries.
class CModuleList : public std::deque<CModuleInstance*> {
public:
    CModuleList() = default;
    virtual ~CModuleList();
    CModuleList(const CModuleList&) = delete;
    CModuleList& operator=(const CModuleList&) = delete;

    std::size_t GetCount() const { return size(); }
    /// The entry at nIndex; std::out_of_range outside 0 to count-1.
    CModuleInstance* GetAt(std::size_t nIndex) const { return at(nIndex); }
    /// Appends pEntry. The list owns it from the call on, also when it throws.
    void Add(CModuleInstance* pEntry);
    /// Deletes every entry and leaves the list empty.
    void Clear();
};

class CElements : public CModuleList {};

/// The process list; its entries are CExeModuleInstance objects.
class CRunningProcesses : public CElements {};

/// A back end: fills the process list and the module list of a process.
class CLibHandler {
public:
    virtual ~CLibHandler();
    /// Appends the modules of the process entry pProcess to its module list; 1 or 0.
    virtual int FillModuleList(CModuleInstance* pProcess) = 0;
    /// Appends one entry per readable process, in the system's order; 1 when
    /// the interface was usable, else 0 with the list left as it was.
    virtual int FillProcessList() = 0;

protected:
    CLibHandler() = default;
};

/// The back end over the process-status library.
class CPsapiHandler : public CLibHandler {
public:
    /// Fills pProcesses (not owned). Loads nothing until the first fill.
    explicit CPsapiHandler(CRunningProcesses* pProcesses, ILibraryLoader& loader = LibraryLoader());
    ~CPsapiHandler() override;
    CPsapiHandler(const CPsapiHandler&) = delete;
    CPsapiHandler& operator=(const CPsapiHandler&) = delete;

    int FillModuleList(CModuleInstance* pProcess) override;
    int FillProcessList() override;
    /// Loads the library on first use (kept until destruction) and binds its
    /// three functions; 1 only when all of them were found.
    int LoadFunctions();

    /// At most this many process identifiers per listing and module handles per process.
    static constexpr std::size_t kMaxEntries = 1024;

protected:
    /// Appends the modules of the open process hProcess to pProcess, at most kMaxEntries.
    void AddModulesOf(SystemHandle hProcess, CModuleInstance* pProcess);

    CRunningProcesses* m_pProcesses;
    LibraryHandle m_hPsapi;
    PFN_EnumProcesses m_pfnEnumProcesses;
    PFN_EnumProcessModules m_pfnEnumProcessModules;
    PFN_GetModuleFileNameExA m_pfnGetModuleFileNameExA;
    ILibraryLoader& m_loader;
};

/// The back end over the Toolhelp32 snapshot functions.
class CToolhelpHandler : public CLibHandler {
public:
    /// Fills pProcesses (not owned).
    explicit CToolhelpHandler(CRunningProcesses* pProcesses, ILibraryLoader& loader = LibraryLoader());
    CToolhelpHandler(const CToolhelpHandler&) = delete;
    CToolhelpHandler& operator=(const CToolhelpHandler&) = delete;

    /// Uses the functions that the last FillProcessList bound; 0 before any.
    int FillModuleList(CModuleInstance* pProcess) override;
    int FillProcessList() override;
    /// Binds the five functions, releasing the kernel library again; 1 only
    /// when all of them were found.
    int LoadFunctions();

protected:
    CRunningProcesses* m_pProcesses;
    PFN_CreateToolhelp32Snapshot m_pfnCreateToolhelp32Snapshot;
    PFN_Process32First m_pfnProcess32First;
    PFN_Process32Next m_pfnProcess32Next;
    PFN_Module32First m_pfnModule32First;
    PFN_Module32Next m_pfnModule32Next;
    ILibraryLoader& m_loader;
};

/// The facade: picks the back end when it is made and owns it and the list.
class CTaskManager {
public:
    /// Makes the empty process list and chooses PSAPI when its library
    /// loads, else Toolhelp32 when the kernel library has its snapshot
    /// function, else no back end.
    explicit CTaskManager(ILibraryLoader& loader = LibraryLoader());
    virtual ~CTaskManager();
    CTaskManager(const CTaskManager&) = delete;
    CTaskManager& operator=(const CTaskManager&) = delete;

    CLibHandler* m_pHandler;          ///< owned; null when neither interface is present
    CRunningProcesses* m_pProcesses;  ///< owned; never null
};
