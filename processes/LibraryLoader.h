// The few system calls of the process back ends that are not bound by name:
// loading a library, looking a function up in it, freeing it, and opening
// and closing process handles. One loader is installed for the process;
// Windows builds start with the system's, other builds with one on which no
// library is present. Tests install a fake to present other systems.
#pragma once

#include <cstdint>

#include "processes/ProcessApi.h"

/// A loaded library; null when it did not load.
using LibraryHandle = void*;
/// Any function looked up by name; cast to its real type before calling.
using ProcAddress = void (*)();

class ILibraryLoader {
public:
    virtual ~ILibraryLoader() = default;
    /// Loads the system library of that file name; null when it is not present.
    virtual LibraryHandle Load(const char* pszName) = 0;
    /// The function of that name in a loaded library; null when it has none.
    virtual ProcAddress Lookup(LibraryHandle hLibrary, const char* pszName) = 0;
    /// Releases one load of the library.
    virtual void Free(LibraryHandle hLibrary) = 0;
    /// Opens a process with the given access rights; null when that fails.
    virtual SystemHandle OpenProcessById(std::uint32_t dwAccess, bool bInherit,
                                         std::uint32_t dwProcessId) = 0;
    /// Closes a process or snapshot handle.
    virtual void CloseSystemHandle(SystemHandle hObject) = 0;
};

/// The installed loader.
ILibraryLoader& LibraryLoader();

/// Installs a loader, or with null the start-up one again. Not owned.
void SetLibraryLoader(ILibraryLoader* pLoader);

/// Looks a function up and stores it under its real type; false when absent.
template <typename Function>
bool BindFunction(ILibraryLoader& loader, LibraryHandle hLibrary, const char* pszName, Function& pfn) {
    pfn = reinterpret_cast<Function>(loader.Lookup(hLibrary, pszName));
    return pfn != nullptr;
}

/// Holds one load of a library and frees it when it goes.
class CScopedLibrary {
public:
    CScopedLibrary(ILibraryLoader& loader, const char* pszName)
        : m_loader(loader), m_hLibrary(loader.Load(pszName)) {}
    ~CScopedLibrary() {
        if (m_hLibrary != nullptr) m_loader.Free(m_hLibrary);
    }
    CScopedLibrary(const CScopedLibrary&) = delete;
    CScopedLibrary& operator=(const CScopedLibrary&) = delete;
    LibraryHandle Get() const { return m_hLibrary; }

private:
    ILibraryLoader& m_loader;
    LibraryHandle m_hLibrary;
};

/// Holds a process or snapshot handle and closes it when it goes. Null and
/// the invalid handle value both mean that there is nothing to close.
class CScopedSystemHandle {
public:
    CScopedSystemHandle(ILibraryLoader& loader, SystemHandle hObject)
        : m_loader(loader), m_hObject(hObject) {}
    ~CScopedSystemHandle() {
        if (IsValid()) m_loader.CloseSystemHandle(m_hObject);
    }
    CScopedSystemHandle(const CScopedSystemHandle&) = delete;
    CScopedSystemHandle& operator=(const CScopedSystemHandle&) = delete;
    SystemHandle Get() const { return m_hObject; }
    bool IsValid() const { return m_hObject != nullptr && m_hObject != InvalidSystemHandle(); }

private:
    ILibraryLoader& m_loader;
    SystemHandle m_hObject;
};
