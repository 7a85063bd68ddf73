#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "processes/TaskManager.h"
#include "tests/support/FakeProcessSystem.h"

namespace {

enum class EBackEnd { None, Psapi, Toolhelp };

const char* BackEndName(EBackEnd backEnd) {
    switch (backEnd) {
        case EBackEnd::Psapi:
            return "PSAPI";
        case EBackEnd::Toolhelp:
            return "Toolhelp32";
        default:
            return "none";
    }
}

EBackEnd BackEndOf(const CTaskManager& taskManager) {
    if (dynamic_cast<CPsapiHandler*>(taskManager.m_pHandler) != nullptr) return EBackEnd::Psapi;
    if (dynamic_cast<CToolhelpHandler*>(taskManager.m_pHandler) != nullptr) return EBackEnd::Toolhelp;
    EXPECT_EQ(nullptr, taskManager.m_pHandler) << "unknown back end";
    return EBackEnd::None;
}

void* Handle(std::uintptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<std::string> ModuleNames(const CModuleInstance& process) {
    std::vector<std::string> names;
    if (process.m_pModuleList == nullptr) return names;
    for (const CModuleInstance* pModule : *process.m_pModuleList) names.push_back(pModule->m_pszName);
    return names;
}

const CExeModuleInstance& ProcessAt(const CTaskManager& taskManager, std::size_t i) {
    const CExeModuleInstance* pProcess =
        dynamic_cast<const CExeModuleInstance*>(taskManager.m_pProcesses->GetAt(i));
    if (pProcess == nullptr) throw std::logic_error("process entry of the wrong type");
    return *pProcess;
}

class TaskManagerTest : public ::testing::Test {
protected:
    void SetUp() override { SetLibraryLoader(&m_fake); }
    void TearDown() override {
        EXPECT_EQ(0, m_fake.m_nMisuses) << "bad handle, bad free, or PSAPI used after its last free";
        SetLibraryLoader(nullptr);
    }
    /// Leaves only Toolhelp32 on the system.
    void HidePsapi() { m_fake.m_bHasPsapi = false; }

    CFakeProcessSystem m_fake;
};

TEST_F(TaskManagerTest, ChoosesPsapiThenToolhelpThenNothing) {
    // psapi, kernel, missing function, expected back end
    const struct {
        bool bPsapi;
        bool bKernel;
        const char* pszMissing;
        EBackEnd expected;
    } cases[] = {
        {true, true, nullptr, EBackEnd::Psapi},
        {true, false, nullptr, EBackEnd::Psapi},
        // The probe only asks whether PSAPI loads; its functions are found out later.
        {true, true, "EnumProcesses", EBackEnd::Psapi},
        {false, true, nullptr, EBackEnd::Toolhelp},
        // ... and for Toolhelp32 only whether the snapshot function exists.
        {false, true, "Process32First", EBackEnd::Toolhelp},
        {false, true, "CreateToolhelp32Snapshot", EBackEnd::None},
        {false, false, nullptr, EBackEnd::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("psapi ") + (c.bPsapi ? "yes" : "no") + ", kernel " +
                     (c.bKernel ? "yes" : "no") + ", missing " + (c.pszMissing ? c.pszMissing : "nothing"));
        m_fake.m_bHasPsapi = c.bPsapi;
        m_fake.m_bHasKernel = c.bKernel;
        m_fake.m_setMissingFunctions.clear();
        if (c.pszMissing != nullptr) m_fake.m_setMissingFunctions.insert(c.pszMissing);
        CTaskManager taskManager;
        EXPECT_EQ(BackEndName(c.expected), std::string(BackEndName(BackEndOf(taskManager))));
        ASSERT_NE(nullptr, taskManager.m_pProcesses);
        EXPECT_EQ(0u, taskManager.m_pProcesses->GetCount());
        EXPECT_EQ(0, m_fake.LoadedLibraries()) << "the probe keeps no library loaded";
    }
}

TEST_F(TaskManagerTest, MissingFunctionOrFailedListingLeavesTheListEmpty) {
    m_fake.AddProcess(8, "C:\\S5\\STEP5V7.EXE", {"C:\\WINDOWS\\system32\\ntdll.dll"});
    // missing function (or null for a failed EnumProcesses), back end the system offers
    const struct {
        const char* pszMissing;
        bool bPsapi;
    } cases[] = {
        {"EnumProcesses", true},  {"EnumProcessModules", true}, {"GetModuleFileNameExA", true},
        {nullptr, true},          {"Process32First", false},    {"Process32Next", false},
        {"Module32First", false}, {"Module32Next", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszMissing != nullptr ? c.pszMissing : "EnumProcesses fails");
        m_fake.m_bHasPsapi = c.bPsapi;
        m_fake.m_setMissingFunctions.clear();
        if (c.pszMissing != nullptr) m_fake.m_setMissingFunctions.insert(c.pszMissing);
        m_fake.m_bEnumProcessesFails = c.pszMissing == nullptr;
        m_fake.ResetCounters();
        CTaskManager taskManager;
        ASSERT_NE(nullptr, taskManager.m_pHandler);
        EXPECT_EQ(0, taskManager.m_pHandler->FillProcessList());
        EXPECT_EQ(0u, taskManager.m_pProcesses->GetCount());
        EXPECT_EQ(0, m_fake.m_nSnapshots) << "Toolhelp32 is not tried instead of PSAPI";
        EXPECT_EQ(0, m_fake.OpenHandles());
    }
}

TEST_F(TaskManagerTest, PsapiListsReadableProcessesWithTheExecutableFirst) {
    m_fake.AddProcess(4, "C:\\WINDOWS\\system32\\smss.exe").bCanOpen = false;
    m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE",
                      {"C:\\WINDOWS\\system32\\ntdll.dll", "C:\\S5\\S5AS511.DLL"});
    m_fake.AddProcess(200, "C:\\WINDOWS\\csrss.exe").bModulesFail = true;
    m_fake.AddProcess(300, "C:\\Tools\\hidden.exe", {"C:\\WINDOWS\\system32\\kernel32.dll"})
        .modules[0]
        .bNameUnreadable = true;
    m_fake.AddProcess(400, "C:\\Tools\\nomodules.exe").modules.clear();
    m_fake.AddProcess(500, "D:\\Run.exe", {"D:\\a.dll"});

    CTaskManager taskManager;
    ASSERT_EQ(EBackEnd::Psapi, BackEndOf(taskManager));
    EXPECT_EQ(1, taskManager.m_pHandler->FillProcessList());

    // identifier, name, modules; the unopenable, unlistable and empty processes are left out
    const struct {
        std::uint32_t dwProcessId;
        const char* pszName;
        std::vector<std::string> modules;
    } expected[] = {
        {100,
         "C:\\S5\\STEP5V7.EXE",
         {"C:\\S5\\STEP5V7.EXE", "C:\\WINDOWS\\system32\\ntdll.dll", "C:\\S5\\S5AS511.DLL"}},
        {300, "", {"", "C:\\WINDOWS\\system32\\kernel32.dll"}},
        {500, "D:\\Run.exe", {"D:\\Run.exe", "D:\\a.dll"}},
    };
    ASSERT_EQ(std::size(expected), taskManager.m_pProcesses->GetCount());
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].dwProcessId);
        const CExeModuleInstance& process = ProcessAt(taskManager, i);
        EXPECT_EQ(expected[i].dwProcessId, process.m_dwProcessId);
        EXPECT_STREQ(expected[i].pszName, process.m_pszName);
        EXPECT_EQ(expected[i].modules, ModuleNames(process));
        ASSERT_NE(nullptr, process.m_pModuleList);
        const CModuleInstance& exe = *process.m_pModuleList->GetAt(0);
        EXPECT_EQ(Handle(0x00400000), process.m_hModule);
        EXPECT_EQ(process.m_hModule, exe.m_hModule);
        EXPECT_STREQ(process.m_pszName, exe.m_pszName);
        EXPECT_EQ(nullptr, exe.m_pModuleList);
    }
    // One listing, every process opened once, each listed one opened once
    // more by its identifier for its modules; every handle closed.
    EXPECT_EQ(1, m_fake.m_nEnumProcessesCalls);
    EXPECT_EQ(6 + 3, m_fake.m_nOpenCalls);
    EXPECT_EQ(0, m_fake.OpenHandles());
}

TEST_F(TaskManagerTest, PsapiModuleListStaysNullWhenTheProcessEndedMeanwhile) {
    m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE", {"C:\\a.dll"});
    CPsapiHandler handler(nullptr);
    CExeModuleInstance gone("C:\\S5\\STEP5V7.EXE", Handle(0x00400000), 999);
    EXPECT_EQ(1, handler.FillModuleList(&gone));
    EXPECT_EQ(nullptr, gone.m_pModuleList);
    CModuleInstance notAProcess("C:\\a.dll");
    EXPECT_EQ(0, handler.FillModuleList(&notAProcess));
    EXPECT_EQ(0, m_fake.OpenHandles());
}

TEST_F(TaskManagerTest, ToolhelpListsEverySnapshotEntry) {
    HidePsapi();
    SFakeProcess& system = m_fake.AddProcess(4, "System");
    system.modules.clear();
    system.bModuleSnapshotFails = true;
    SFakeProcess& step5 = m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE", {"C:\\WINDOWS\\system32\\ntdll.dll"});
    step5.strSnapshotName = "STEP5V7.EXE";
    step5.dwModuleId = 0x77;
    step5.bCanOpen = false;  // a snapshot needs no process handle
    m_fake.AddProcess(200, "C:\\Tools\\Run.exe");

    CTaskManager taskManager;
    ASSERT_EQ(EBackEnd::Toolhelp, BackEndOf(taskManager));
    EXPECT_EQ(1, taskManager.m_pHandler->FillProcessList());

    ASSERT_EQ(3u, taskManager.m_pProcesses->GetCount());
    const CExeModuleInstance& p0 = ProcessAt(taskManager, 0);
    EXPECT_EQ(4u, p0.m_dwProcessId);
    EXPECT_STREQ("System", p0.m_pszName);
    EXPECT_EQ(nullptr, p0.m_pModuleList);
    const CExeModuleInstance& p1 = ProcessAt(taskManager, 1);
    EXPECT_EQ(100u, p1.m_dwProcessId);
    EXPECT_STREQ("STEP5V7.EXE", p1.m_pszName);
    EXPECT_EQ(Handle(0x77), p1.m_hModule);
    EXPECT_EQ((std::vector<std::string>{"C:\\S5\\STEP5V7.EXE", "C:\\WINDOWS\\system32\\ntdll.dll"}),
              ModuleNames(p1));
    EXPECT_EQ(Handle(0x00400000), p1.m_pModuleList->GetAt(0)->m_hModule);
    EXPECT_EQ(Handle(0x10000000), p1.m_pModuleList->GetAt(1)->m_hModule);
    EXPECT_EQ((std::vector<std::string>{"C:\\Tools\\Run.exe"}), ModuleNames(ProcessAt(taskManager, 2)));
    EXPECT_EQ(0, m_fake.m_nOpenCalls);
    EXPECT_EQ(0, m_fake.OpenHandles()) << "every snapshot closed";
    EXPECT_EQ(0, m_fake.LoadedLibraries());
}

TEST_F(TaskManagerTest, ToolhelpWithoutProcessSnapshotSucceedsEmpty) {
    HidePsapi();
    m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE");
    m_fake.m_bProcessSnapshotFails = true;
    CTaskManager taskManager;
    EXPECT_EQ(1, taskManager.m_pHandler->FillProcessList());
    EXPECT_EQ(0u, taskManager.m_pProcesses->GetCount());
}

TEST_F(TaskManagerTest, ToolhelpModuleListNeedsABoundFunctionSet) {
    m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE");
    CRunningProcesses processes;
    CToolhelpHandler handler(&processes);
    CExeModuleInstance process("STEP5V7.EXE", nullptr, 100);
    EXPECT_EQ(0, handler.FillModuleList(&process)) << "before any FillProcessList";
    EXPECT_EQ(nullptr, process.m_pModuleList);
}

TEST_F(TaskManagerTest, PsapiSeesAtMost1024ProcessesAnd1024ModulesToolhelpAll) {
    const std::size_t kMany = 1030;
    std::vector<std::string> dlls;
    for (std::size_t i = 1; i < kMany; ++i) dlls.push_back("C:\\lib\\m" + std::to_string(i) + ".dll");
    m_fake.AddProcess(1, "C:\\big.exe", dlls);
    for (std::uint32_t i = 2; i <= kMany; ++i) m_fake.AddProcess(i * 4, "C:\\p" + std::to_string(i) + ".exe");

    // back end, processes seen, modules of the first
    const struct {
        bool bPsapi;
        std::size_t nProcesses;
        std::size_t nModules;
    } cases[] = {{true, 1024, 1024}, {false, kMany, kMany}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bPsapi ? "PSAPI" : "Toolhelp32");
        m_fake.m_bHasPsapi = c.bPsapi;
        CTaskManager taskManager;
        ASSERT_EQ(1, taskManager.m_pHandler->FillProcessList());
        ASSERT_EQ(c.nProcesses, taskManager.m_pProcesses->GetCount());
        EXPECT_EQ(1023u * 4, ProcessAt(taskManager, 1022).m_dwProcessId) << "the first ones, in order";
        const std::vector<std::string> modules = ModuleNames(ProcessAt(taskManager, 0));
        ASSERT_EQ(c.nModules, modules.size());
        EXPECT_EQ("C:\\lib\\m1023.dll", modules[1023]);
    }
}

TEST_F(TaskManagerTest, NamesAreCutTo259BytesAndNeverNull) {
    const std::string strLong = "C:\\" + std::string(297, 'x');  // 300 bytes
    const std::string str259 = "C:\\" + std::string(256, 'y');
    // name given by the system, name stored
    const struct {
        std::string strSystem;
        std::string strStored;
    } names[] = {{strLong, strLong.substr(0, 259)}, {str259, str259}, {"", ""}};
    for (bool bPsapi : {true, false}) {
        for (const auto& n : names) {
            SCOPED_TRACE(std::string(bPsapi ? "PSAPI, " : "Toolhelp32, ") +
                         std::to_string(n.strSystem.size()));
            m_fake.RemoveProcess(10);
            m_fake.AddProcess(10, n.strSystem, {n.strSystem});
            m_fake.m_bHasPsapi = bPsapi;
            CTaskManager taskManager;
            ASSERT_EQ(1, taskManager.m_pHandler->FillProcessList());
            ASSERT_EQ(1u, taskManager.m_pProcesses->GetCount());
            const CExeModuleInstance& process = ProcessAt(taskManager, 0);
            ASSERT_NE(nullptr, process.m_pszName);
            EXPECT_EQ(n.strStored, process.m_pszName);
            EXPECT_EQ((std::vector<std::string>{n.strStored, n.strStored}), ModuleNames(process));
        }
    }
}

// Counts the destructors that run, to show what a list and an entry release.
class CCountedModule : public CExeModuleInstance {
public:
    CCountedModule(const char* pszName, int& nDeleted)
        : CExeModuleInstance(pszName, nullptr, 0), m_nDeleted(nDeleted) {}
    ~CCountedModule() override { ++m_nDeleted; }

private:
    int& m_nDeleted;
};

TEST_F(TaskManagerTest, DeletingTheFacadeReleasesEntriesListsAndTheLibrary) {
    m_fake.AddProcess(100, "C:\\S5\\STEP5V7.EXE", {"C:\\a.dll", "C:\\b.dll"});
    m_fake.AddProcess(200, "C:\\Run.exe", {"C:\\c.dll"});
    int nDeleted = 0;
    {
        std::unique_ptr<CTaskManager> taskManager(new CTaskManager);
        ASSERT_EQ(1, taskManager->m_pHandler->FillProcessList());
        EXPECT_EQ(1, m_fake.PsapiRefs()) << "the back end keeps PSAPI while it lives";
        CCountedModule* pProcess = new CCountedModule("C:\\counted.exe", nDeleted);
        taskManager->m_pProcesses->Add(pProcess);
        pProcess->AddModule(new CCountedModule("C:\\one.dll", nDeleted));
        pProcess->AddModule(new CCountedModule("C:\\two.dll", nDeleted));
        EXPECT_EQ(3u, taskManager->m_pProcesses->GetCount());
    }
    EXPECT_EQ(3, nDeleted);
    EXPECT_EQ(0, m_fake.LoadedLibraries());
    EXPECT_EQ(2, m_fake.m_nLoads) << "once by the probe, once by the back end";
    EXPECT_EQ(m_fake.m_nLoads, m_fake.m_nFrees);
    // Further leaks of entries, lists or names show in the leak checker.
}

TEST_F(TaskManagerTest, ListsAndEntriesKeepTheirContracts) {
    int nDeleted = 0;
    CModuleList list;
    list.Add(new CCountedModule("a", nDeleted));
    list.push_back(nullptr);  // tolerated by Clear
    list.Add(new CCountedModule("b", nDeleted));
    EXPECT_EQ(3u, list.GetCount());
    EXPECT_STREQ("b", list.GetAt(2)->m_pszName);
    EXPECT_THROW(list.GetAt(3), std::out_of_range);
    list.Clear();
    EXPECT_EQ(2, nDeleted);
    EXPECT_EQ(0u, list.GetCount());
    EXPECT_THROW(list.GetAt(0), std::out_of_range);

    CModuleInstance module("C:\\first.dll", Handle(0x1234));
    module.SetName("C:\\second.dll");
    EXPECT_STREQ("C:\\second.dll", module.m_pszName);
    for (const char* pszEmpty : {static_cast<const char*>(nullptr), ""}) {
        module.SetName(pszEmpty);
        ASSERT_NE(nullptr, module.m_pszName);
        EXPECT_STREQ("", module.m_pszName);
    }
    CModuleInstance unnamed;
    EXPECT_STREQ("", unnamed.m_pszName);
    EXPECT_EQ(nullptr, unnamed.m_pModuleList);
}

}  // namespace
