// The shapes of the system's process-status (PSAPI) and Toolhelp32 functions
// and records, written without windows.h so that the portable back ends and
// the fakes of the tests share them. The records are laid out like the ANSI
// PROCESSENTRY32 and MODULEENTRY32 of the build's bitness; the Win32 binding
// checks the layout against the system headers.
#pragma once

#include <cstddef>
#include <cstdint>

// The system functions use the stdcall convention on 32-bit Windows; on
// 64-bit Windows and elsewhere there is only one convention.
#if defined(_WIN32) && !defined(_WIN64)
#define LINTRA_WINAPI __stdcall
#else
#define LINTRA_WINAPI
#endif

/// A process or snapshot handle as the system hands it out.
using SystemHandle = void*;

/// The value that CreateToolhelp32Snapshot returns when it fails.
inline SystemHandle InvalidSystemHandle() {
    return reinterpret_cast<SystemHandle>(static_cast<std::intptr_t>(-1));
}

/// PROCESS_QUERY_INFORMATION together with PROCESS_VM_READ.
constexpr std::uint32_t kProcessQueryAndRead = 0x0400 | 0x0010;
/// TH32CS_SNAPPROCESS and TH32CS_SNAPMODULE.
constexpr std::uint32_t kSnapProcess = 0x00000002;
constexpr std::uint32_t kSnapModule = 0x00000008;

/// Room for a path, terminator included (MAX_PATH).
constexpr std::size_t kMaxPathBytes = 260;

/// The ANSI process entry of a process snapshot (PROCESSENTRY32).
struct SProcessEntry32 {
    std::uint32_t dwSize;
    std::uint32_t cntUsage;
    std::uint32_t th32ProcessID;
    std::uintptr_t th32DefaultHeapID;
    std::uint32_t th32ModuleID;
    std::uint32_t cntThreads;
    std::uint32_t th32ParentProcessID;
    std::int32_t pcPriClassBase;
    std::uint32_t dwFlags;
    char szExeFile[kMaxPathBytes];
};

/// The ANSI module entry of a module snapshot (MODULEENTRY32).
struct SModuleEntry32 {
    std::uint32_t dwSize;
    std::uint32_t th32ModuleID;
    std::uint32_t th32ProcessID;
    std::uint32_t GlblcntUsage;
    std::uint32_t ProccntUsage;
    unsigned char* modBaseAddr;
    std::uint32_t modBaseSize;
    void* hModule;
    char szModule[256];
    char szExePath[kMaxPathBytes];
};

static_assert(sizeof(void*) != 4 || sizeof(SProcessEntry32) == 296,
              "PROCESSENTRY32 is 296 bytes on 32-bit Windows");
static_assert(sizeof(void*) != 4 || sizeof(SModuleEntry32) == 548,
              "MODULEENTRY32 is 548 bytes on 32-bit Windows");

// PSAPI.
using PFN_EnumProcesses = int(LINTRA_WINAPI*)(std::uint32_t* pdwProcessIds, std::uint32_t cb,
                                              std::uint32_t* pcbReturned);
using PFN_EnumProcessModules = int(LINTRA_WINAPI*)(SystemHandle hProcess, void** phModules, std::uint32_t cb,
                                                   std::uint32_t* pcbNeeded);
using PFN_GetModuleFileNameExA = std::uint32_t(LINTRA_WINAPI*)(SystemHandle hProcess, void* hModule,
                                                               char* pszFileName, std::uint32_t nSize);

// Toolhelp32, in the kernel library.
using PFN_CreateToolhelp32Snapshot = SystemHandle(LINTRA_WINAPI*)(std::uint32_t dwFlags,
                                                                  std::uint32_t th32ProcessID);
using PFN_Process32First = int(LINTRA_WINAPI*)(SystemHandle hSnapshot, SProcessEntry32* pEntry);
using PFN_Process32Next = int(LINTRA_WINAPI*)(SystemHandle hSnapshot, SProcessEntry32* pEntry);
using PFN_Module32First = int(LINTRA_WINAPI*)(SystemHandle hSnapshot, SModuleEntry32* pEntry);
using PFN_Module32Next = int(LINTRA_WINAPI*)(SystemHandle hSnapshot, SModuleEntry32* pEntry);
