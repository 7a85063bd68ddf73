#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "processes/Step5Check.h"
#include "strings/AnsiText.h"
#include "tests/support/FakeCodePage.h"
#include "tests/support/FakeProcessSystem.h"

namespace {

struct SStripCase {
    std::string strSource;
    std::string strExpected;
};

// Runs each case into a separate buffer and in place.
void CheckStripCases(const std::vector<SStripCase>& cases) {
    for (const SStripCase& c : cases) {
        SCOPED_TRACE("\"" + c.strSource + "\"");
        std::vector<char> source(c.strSource.begin(), c.strSource.end());
        source.push_back('\0');
        std::vector<char> dest(source.size(), '\x7f');
        StripToFileName(dest.data(), source.data());
        EXPECT_EQ(c.strExpected, std::string(dest.data()));
        StripToFileName(source.data(), source.data());
        EXPECT_EQ(c.strExpected, std::string(source.data())) << "in place";
    }
}

class Step5CheckTest : public ::testing::Test {
protected:
    void SetUp() override { SetLibraryLoader(&m_fake); }
    void TearDown() override {
        SetAnsiCodePage(nullptr);
        SetLibraryLoader(nullptr);
    }
    /// True once every library and handle that a check took was given back.
    void ExpectAllReleased() {
        EXPECT_EQ(0, m_fake.LoadedLibraries());
        EXPECT_EQ(0, m_fake.OpenHandles());
        EXPECT_EQ(0, m_fake.m_nMisuses);
    }

    CFakeProcessSystem m_fake;
};

TEST(StripToFileNameTest, KeepsTheLastPathComponent) {
    const std::string str255(255, 'b');
    const std::string str256(256, 'b');
    CheckStripCases({
        {"D:\\Tools\\Run.exe", "Run.exe"},
        {"Run.exe", "Run.exe"},
        {"STEP5V7.EXE", "STEP5V7.EXE"},
        {"C:STEP5V7.EXE", "STEP5V7.EXE"},
        {"/usr/s5/STEP5V7.EXE", "STEP5V7.EXE"},
        {"C:\\S5/bin\\STEP5V7.EXE", "STEP5V7.EXE"},
        {"C:/S5\\bin/STEP5V7.EXE", "STEP5V7.EXE"},
        {"\\\\server\\share\\STEP5V7.EXE", "STEP5V7.EXE"},
        {"C:\\dir.d\\noext", "noext"},
        {"C:\\S5\\", ""},
        {"C:", ""},
        {"", ""},
        {"ab:c", "ab:c"},  // a colon that is not the second character is no drive
        {".hidden", ".hidden"},
        {"C:\\" + str255 + ".exe", str255 + ".exe"},
        {"C:\\" + str256 + ".exe", ""},                                    // base name too long
        {"C:\\a." + std::string(254, 'e'), "a." + std::string(254, 'e')},  // extension of 255 bytes
        {"C:\\a." + str255, ""},                                           // extension of 256 bytes
        {str255 + "cdef", ""},  // 259 bytes without a directory or dot
        {std::string(251, 'n') + ".EXE", std::string(251, 'n') + ".EXE"},  // 255 bytes
    });
}

TEST(StripToFileNameTest, TakesDoubleByteCharactersWhole) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    CheckStripCases({
        // 0x83 0x5C is one character whose trail byte looks like a backslash.
        {"C:\\\x83\\\\STEP5V7.EXE", "STEP5V7.EXE"},
        {"C:\\\x83\\STEP5V7.EXE", "\x83\\STEP5V7.EXE"},
        {"C:\\S5\\\x83\\", "\x83\\"},
        {"\x83/x.exe", "\x83/x.exe"},
        // A trail byte that looks like a dot starts no extension: this base
        // name is 256 bytes long, not 1.
        {"\x83." + std::string(254, 'e'), ""},
        {"\x83." + std::string(253, 'e'), "\x83." + std::string(253, 'e')},
        // A lone lead byte at the end stands alone.
        {"C:\\a\\\x83", "\x83"},
    });
    SetAnsiCodePage(nullptr);
}

// One process of a case: executable path, libraries, snapshot name (empty: the path).
struct SProcessSetup {
    std::string strExe;
    std::vector<std::string> dlls;
    std::string strSnapshotName;
};

TEST_F(Step5CheckTest, FindsTheExecutableByFileNameThroughEitherBackEnd) {
    // processes, running
    const struct {
        const char* pszWhat;
        std::vector<SProcessSetup> processes;
        bool bRunning;
    } cases[] = {
        {"exact, in a directory", {{"C:\\Siemens\\STEP5\\S5_ST\\STEP5V7.EXE", {}, ""}}, true},
        {"other case", {{"c:\\s5\\Step5v7.exe", {}, ""}}, true},
        {"without a directory", {{"STEP5V7.EXE", {}, ""}}, true},
        {"forward slashes", {{"C:/S5/STEP5V7.EXE", {}, ""}}, true},
        {"among others",
         {{"C:\\a.exe", {}, ""}, {"C:\\b.exe", {}, ""}, {"D:\\S5\\STEP5V7.EXE", {}, ""}},
         true},
        {"twice", {{"C:\\STEP5V7.EXE", {}, ""}, {"D:\\STEP5V7.EXE", {}, ""}}, true},
        {"snapshot name without a directory", {{"C:\\S5\\STEP5V7.EXE", {}, "STEP5V7.EXE"}}, true},
        {"longer, ends with it", {{"C:\\XSTEP5V7.EXE", {}, ""}}, false},
        {"longer, begins with it", {{"C:\\STEP5V7.EXE.OLD", {}, ""}}, false},
        {"contains it", {{"C:\\MYSTEP5V7.EXE2", {}, ""}}, false},
        {"shorter", {{"C:\\STEP5V7.EX", {}, ""}}, false},
        {"directory of that name", {{"C:\\STEP5V7.EXE\\run.exe", {}, ""}}, false},
        {"only a library of that name", {{"C:\\host.exe", {"C:\\S5\\STEP5V7.EXE"}, ""}}, false},
        {"empty name", {{"", {}, ""}}, false},
        {"no processes", {}, false},
    };
    for (const auto& c : cases) {
        for (bool bPsapi : {true, false}) {
            SCOPED_TRACE(std::string(c.pszWhat) + (bPsapi ? ", PSAPI" : ", Toolhelp32"));
            for (std::uint32_t dwId = 4; dwId < 4 + 4 * 8; dwId += 4) m_fake.RemoveProcess(dwId);
            std::uint32_t dwId = 4;
            for (const SProcessSetup& setup : c.processes) {
                SFakeProcess& process = m_fake.AddProcess(dwId, setup.strExe, setup.dlls);
                if (!setup.strSnapshotName.empty()) process.strSnapshotName = setup.strSnapshotName;
                dwId += 4;
            }
            m_fake.m_bHasPsapi = bPsapi;
            EXPECT_EQ(c.bRunning, IsStep5Running());
            ExpectAllReleased();
        }
    }
}

TEST_F(Step5CheckTest, DoubleByteDirectoryDoesNotHideOrFakeTheName) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    // path, running
    const struct {
        const char* pszPath;
        bool bRunning;
    } cases[] = {
        {"C:\\\x83\\\\STEP5V7.EXE", true},
        {"C:\\\x83\\STEP5V7.EXE", false},  // the trail byte is no separator
        {"C:\\\x83\\\\step5v7.exe", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszPath);
        m_fake.RemoveProcess(8);
        m_fake.AddProcess(8, c.pszPath);
        EXPECT_EQ(c.bRunning, IsStep5Running());
    }
}

TEST_F(Step5CheckTest, AProcessThatCannotBeReadIsNotSeenByPsapi) {
    m_fake.AddProcess(8, "C:\\S5\\STEP5V7.EXE").bCanOpen = false;
    EXPECT_FALSE(IsStep5Running());
    m_fake.m_bHasPsapi = false;  // a snapshot needs no process handle
    EXPECT_TRUE(IsStep5Running());
    ExpectAllReleased();
}

TEST_F(Step5CheckTest, FalseWithoutUsableInterface) {
    m_fake.AddProcess(8, "C:\\S5\\STEP5V7.EXE");
    // PSAPI present, Toolhelp32 present, missing function
    const struct {
        bool bPsapi;
        bool bKernel;
        const char* pszMissing;
    } cases[] = {
        {true, true, "GetModuleFileNameExA"},
        {false, true, "Module32Next"},
        {false, true, "CreateToolhelp32Snapshot"},
        {false, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszMissing != nullptr ? c.pszMissing : "neither library");
        m_fake.m_bHasPsapi = c.bPsapi;
        m_fake.m_bHasKernel = c.bKernel;
        m_fake.m_setMissingFunctions.clear();
        if (c.pszMissing != nullptr) m_fake.m_setMissingFunctions.insert(c.pszMissing);
        EXPECT_FALSE(IsStep5Running());
        ExpectAllReleased();
    }
}

TEST_F(Step5CheckTest, EveryCallListsAnew) {
    m_fake.AddProcess(4, "C:\\WINDOWS\\explorer.exe");
    EXPECT_FALSE(IsStep5Running());
    m_fake.AddProcess(8, "C:\\S5\\STEP5V7.EXE");
    EXPECT_TRUE(IsStep5Running());
    m_fake.RemoveProcess(8);
    EXPECT_FALSE(IsStep5Running());
    m_fake.AddProcess(12, "C:\\S5\\STEP5V7.EXE");
    EXPECT_TRUE(IsStep5Running());
    ExpectAllReleased();
}

}  // namespace
