// The process back ends and the STEP 5 check on the real system, over
// processes that the test starts from copies of its own small programs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "processes/Step5Check.h"
#include "processes/TaskManager.h"
#include "strings/AnsiText.h"

namespace {

std::string LastErrorText(const std::string& strWhat) {
    return strWhat + " failed, error " + std::to_string(GetLastError());
}

/// The directory of this test program, where its helper programs lie.
std::string ProgramDirectory() {
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1);
}

std::string FileNameOf(const char* pszPath) {
    std::vector<char> buffer(pszPath, pszPath + std::strlen(pszPath) + 1);
    StripToFileName(buffer.data(), buffer.data());
    return buffer.data();
}

/// Polls until the condition holds or about 20 seconds have passed.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 400; ++i) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

/// The system's loader with some libraries hidden, to present a system
/// without them.
class CHidingLoader final : public ILibraryLoader {
public:
    CHidingLoader(ILibraryLoader& system, std::set<std::string> setHidden)
        : m_system(system), m_setHidden(std::move(setHidden)) {}
    LibraryHandle Load(const char* pszName) override {
        for (const std::string& strHidden : m_setHidden)
            if (TextEqualsNoCase(pszName, strHidden.c_str())) return nullptr;
        return m_system.Load(pszName);
    }
    ProcAddress Lookup(LibraryHandle h, const char* pszName) override { return m_system.Lookup(h, pszName); }
    void Free(LibraryHandle h) override { m_system.Free(h); }
    SystemHandle OpenProcessById(std::uint32_t dwAccess, bool bInherit, std::uint32_t dwId) override {
        return m_system.OpenProcessById(dwAccess, bInherit, dwId);
    }
    void CloseSystemHandle(SystemHandle h) override { m_system.CloseSystemHandle(h); }

private:
    ILibraryLoader& m_system;
    std::set<std::string> m_setHidden;
};

/// A started program, ended when it goes out of scope if it still runs.
class CChildProcess {
public:
    CChildProcess() { std::memset(&m_info, 0, sizeof(m_info)); }
    ~CChildProcess() { End(); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Start(const std::string& strProgram, const std::string& strArguments) {
        std::string strCommandLine = "\"" + strProgram + "\" " + strArguments;
        std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
        commandLine.push_back('\0');
        STARTUPINFOA startup;
        std::memset(&startup, 0, sizeof(startup));
        startup.cb = sizeof(startup);
        return CreateProcessA(strProgram.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &m_info) != FALSE;
    }
    DWORD Id() const { return m_info.dwProcessId; }
    bool IsRunning() const {
        DWORD dwCode = 0;
        return m_info.hProcess != nullptr && GetExitCodeProcess(m_info.hProcess, &dwCode) &&
               dwCode == STILL_ACTIVE;
    }
    /// Waits up to 30 seconds for the end; the exit code, or ~0 when it did not end.
    DWORD WaitForExit() {
        DWORD dwCode = ~0u;
        if (m_info.hProcess != nullptr && WaitForSingleObject(m_info.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_info.hProcess, &dwCode);
        return dwCode;
    }
    /// Ends the program if it still runs and lets go of it.
    void End() {
        if (m_info.hProcess == nullptr) return;
        if (IsRunning()) {
            TerminateProcess(m_info.hProcess, 1);
            WaitForSingleObject(m_info.hProcess, 30000);
        }
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
        std::memset(&m_info, 0, sizeof(m_info));
    }

private:
    PROCESS_INFORMATION m_info;
};

class Win32ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szTemp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathA(MAX_PATH, szTemp)) << LastErrorText("GetTempPathA");
        static int s_nDirectory = 0;
        m_strDirectory = std::string(szTemp) + "lintra-processes-" + std::to_string(GetCurrentProcessId()) +
                         "-" + std::to_string(++s_nDirectory) + "\\";
        ASSERT_TRUE(CreateDirectoryA(m_strDirectory.c_str(), nullptr)) << LastErrorText("CreateDirectoryA");
    }
    void TearDown() override {
        SetLibraryLoader(nullptr);
        for (const std::string& strPath : m_files) {
            if (strPath.back() == '\\')
                RemoveDirectoryA(strPath.c_str());
            else
                DeleteFileA(strPath.c_str());
        }
        RemoveDirectoryA(m_strDirectory.c_str());
    }

    /// Copies one of the helper programs into the scratch directory under a new name.
    std::string CopyHelper(const char* pszHelper, const std::string& strName) {
        const std::string strSource = ProgramDirectory() + pszHelper;
        const std::string strTarget = m_strDirectory + strName;
        EXPECT_TRUE(CopyFileA(strSource.c_str(), strTarget.c_str(), FALSE))
            << LastErrorText("CopyFileA " + strSource + " to " + strTarget);
        m_files.push_back(strTarget);
        return strTarget;
    }

    /// The two ways to reach the system: as it is (PSAPI), and with PSAPI hidden (Toolhelp32).
    struct SBackEnd {
        const char* pszName;
        ILibraryLoader* pLoader;
    };
    std::vector<SBackEnd> BackEnds() { return {{"PSAPI", &m_system}, {"Toolhelp32", &m_withoutPsapi}}; }

    /// True when the back end of pLoader lists a process with that
    /// executable file name and identifier; fills its module names.
    static bool FindProcess(ILibraryLoader& loader, DWORD dwId, const std::string& strFileName,
                            std::vector<std::string>* pModules = nullptr) {
        CTaskManager taskManager(loader);
        if (taskManager.m_pHandler == nullptr || taskManager.m_pHandler->FillProcessList() != 1) return false;
        for (std::size_t i = 0; i < taskManager.m_pProcesses->GetCount(); ++i) {
            const auto* pProcess = static_cast<const CExeModuleInstance*>(taskManager.m_pProcesses->GetAt(i));
            if (pProcess->m_dwProcessId != dwId ||
                !TextEqualsNoCase(FileNameOf(pProcess->m_pszName).c_str(), strFileName.c_str()))
                continue;
            if (pModules != nullptr && pProcess->m_pModuleList != nullptr)
                for (const CModuleInstance* pModule : *pProcess->m_pModuleList)
                    pModules->push_back(pModule->m_pszName);
            return true;
        }
        return false;
    }

    std::string m_strDirectory;
    std::vector<std::string> m_files;
    ILibraryLoader& m_system = LibraryLoader();
    CHidingLoader m_withoutPsapi{m_system, {"PSAPI.DLL"}};
};

TEST_F(Win32ProcessesTest, EachBackEndIsChosenAndBindsItsFunctions) {
    {
        CTaskManager taskManager(m_system);
        CPsapiHandler* pPsapi = dynamic_cast<CPsapiHandler*>(taskManager.m_pHandler);
        ASSERT_NE(nullptr, pPsapi) << "PSAPI is preferred where it loads";
        EXPECT_EQ(1, pPsapi->LoadFunctions());
    }
    CTaskManager taskManager(m_withoutPsapi);
    CToolhelpHandler* pToolhelp = dynamic_cast<CToolhelpHandler*>(taskManager.m_pHandler);
    ASSERT_NE(nullptr, pToolhelp) << "Toolhelp32 without PSAPI";
    EXPECT_EQ(1, pToolhelp->LoadFunctions());
}

TEST_F(Win32ProcessesTest, OwnProcessIsListedWithItsExecutableFirst) {
    char szSelf[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, szSelf, MAX_PATH));
    for (const SBackEnd& backEnd : BackEnds()) {
        SCOPED_TRACE(backEnd.pszName);
        std::vector<std::string> modules;
        ASSERT_TRUE(FindProcess(*backEnd.pLoader, GetCurrentProcessId(), FileNameOf(szSelf), &modules));
        ASSERT_LE(2u, modules.size()) << "the executable and at least the system libraries";
        EXPECT_TRUE(TextEqualsNoCase(szSelf, modules[0].c_str())) << modules[0];
        bool bKernel = false;
        for (const std::string& strModule : modules)
            bKernel = bKernel || TextEqualsNoCase(FileNameOf(strModule.c_str()).c_str(), "kernel32.dll");
        EXPECT_TRUE(bKernel);
    }
}

TEST_F(Win32ProcessesTest, RunningStep5IsFoundThroughEachBackEndUntilItEnds) {
    // file name of the started copy, counts as STEP 5
    const struct {
        const char* pszFileName;
        bool bStep5;
    } cases[] = {
        {"STEP5V7.EXE", true},
        {"step5v7.exe", true},
        {"XSTEP5V7.EXE", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFileName);
        const std::string strSubdirectory = m_strDirectory + "run-" + std::to_string(&c - cases) + "\\";
        ASSERT_TRUE(CreateDirectoryA(strSubdirectory.c_str(), nullptr)) << LastErrorText("CreateDirectoryA");
        const std::string strProgram =
            CopyHelper("lintra_test_sleeper.exe", "run-" + std::to_string(&c - cases) + "\\" + c.pszFileName);
        CChildProcess child;
        ASSERT_TRUE(child.Start(strProgram, "60000")) << LastErrorText("CreateProcessA " + strProgram);
        for (const SBackEnd& backEnd : BackEnds()) {
            SCOPED_TRACE(backEnd.pszName);
            ASSERT_TRUE(WaitFor([&] { return FindProcess(*backEnd.pLoader, child.Id(), c.pszFileName); }))
                << "the started program never showed in the process list";
            SetLibraryLoader(backEnd.pLoader);
            EXPECT_EQ(c.bStep5, IsStep5Running());
        }
        child.End();
        for (const SBackEnd& backEnd : BackEnds()) {
            SCOPED_TRACE(std::string(backEnd.pszName) + ", ended");
            SetLibraryLoader(backEnd.pLoader);
            EXPECT_TRUE(WaitFor([] { return !IsStep5Running(); }));
        }
        SetLibraryLoader(nullptr);
        m_files.push_back(strSubdirectory);  // removed after the files
    }
}

TEST_F(Win32ProcessesTest, SleeperEndsWithZeroAfterItsTime) {
    const std::string strProgram = CopyHelper("lintra_test_sleeper.exe", "STEP5V7.EXE");
    CChildProcess child;
    ASSERT_TRUE(child.Start(strProgram, "100")) << LastErrorText("CreateProcessA " + strProgram);
    EXPECT_EQ(0u, child.WaitForExit());
    child.End();
    for (const SBackEnd& backEnd : BackEnds()) {
        SCOPED_TRACE(backEnd.pszName);
        SetLibraryLoader(backEnd.pLoader);
        EXPECT_TRUE(WaitFor([] { return !IsStep5Running(); }));
    }
}

TEST_F(Win32ProcessesTest, ALoadedLibraryOfThatNameDoesNotCount) {
    const std::string strLibrary = CopyHelper("lintra_test_library.dll", "STEP5V7.EXE");
    const std::string strHost = CopyHelper("lintra_test_sleeper.exe", "host.exe");
    CChildProcess child;
    ASSERT_TRUE(child.Start(strHost, "60000 \"" + strLibrary + "\""))
        << LastErrorText("CreateProcessA " + strHost);
    for (const SBackEnd& backEnd : BackEnds()) {
        SCOPED_TRACE(backEnd.pszName);
        // Wait until the library shows among the host's modules.
        ASSERT_TRUE(WaitFor([&] {
            std::vector<std::string> modules;
            if (!FindProcess(*backEnd.pLoader, child.Id(), "host.exe", &modules)) return false;
            for (const std::string& strModule : modules)
                if (TextEqualsNoCase(FileNameOf(strModule.c_str()).c_str(), "STEP5V7.EXE")) return true;
            return false;
        })) << "the host never listed the library (still running: "
            << child.IsRunning() << ")";
        SetLibraryLoader(backEnd.pLoader);
        EXPECT_FALSE(IsStep5Running());
    }
}

}  // namespace
