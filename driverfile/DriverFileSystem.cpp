#include "driverfile/DriverFileSystem.h"

namespace {

#ifndef _WIN32
// Builds without Windows have no driver directory: every operation fails,
// until a test installs its own file system.
class CAbsentFileSystem final : public IDriverFileSystem {
public:
    bool SystemDirectory(std::string&) override { return false; }
    bool FileExists(const char*) override { return false; }
    bool LookUp(const char*, SFileRecord&) override { return false; }
    bool ReadBytes(const char*, uint64_t, uint8_t*, uint32_t, uint32_t& cbRead) override {
        cbRead = 0;
        return false;
    }
    bool Copy(const char*, const char*, bool) override { return false; }
    bool GetAttributes(const char*, uint32_t&) override { return false; }
    bool SetAttributes(const char*, uint32_t) override { return false; }
    bool SetCreationAndWriteTimes(const char*, uint64_t, uint64_t) override { return false; }
    bool CreateTemporaryFile(const std::string&, std::string&) override { return false; }
    bool WriteAndFlush(const char*, const uint8_t*, uint32_t) override { return false; }
    bool Flush(const char*) override { return false; }
    bool MoveIntoPlace(const char*, const char*, bool) override { return false; }
    bool RemoveFile(const char*) override { return false; }
};
#endif

IDriverFileSystem* g_pFileSystem = nullptr;

}  // namespace

#ifdef _WIN32
IDriverFileSystem& Win32DriverFileSystem();  // Win32DriverFileSystem.cpp
#endif

IDriverFileSystem& DriverFileSystem() {
    if (g_pFileSystem != nullptr) return *g_pFileSystem;
#ifdef _WIN32
    return Win32DriverFileSystem();
#else
    static CAbsentFileSystem s_absent;
    return s_absent;
#endif
}

void SetDriverFileSystem(IDriverFileSystem* pFileSystem) { g_pFileSystem = pFileSystem; }
