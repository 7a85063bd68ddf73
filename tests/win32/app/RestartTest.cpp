// The restart after a change of language: the command line, and a real start
// of a program that lies in a directory whose path has blanks, next to a
// program that Windows would run instead of it from an unquoted path.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Restart.h"

namespace {

TEST(RestartCommandLine, QuotesThePath) {
    struct SCase {
        const char* pszPath;
        const char* pszCommandLine;
    };
    const SCase cases[] = {
        {"C:\\Program Files\\Lintra Config\\LintraConfig.exe",
         "\"C:\\Program Files\\Lintra Config\\LintraConfig.exe\""},
        {"C:\\Tools\\LintraConfig.exe", "\"C:\\Tools\\LintraConfig.exe\""},
        {"\\\\server\\share\\a b\\LintraConfig.exe", "\"\\\\server\\share\\a b\\LintraConfig.exe\""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszPath);
        EXPECT_EQ(c.pszCommandLine, BuildRestartCommandLine(c.pszPath));
    }
}

std::string ProbePath() {
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath(szPath);
    return strPath.substr(0, strPath.rfind('\\') + 1) + "lintra_restart_probe.exe";
}

/// Waits for a probe's note; its content, or false when none came.
bool WaitForNote(const std::string& strExe, std::string& strNote) {
    const std::string strNotePath = strExe + ".ran";
    for (int i = 0; i < 400; ++i) {
        HANDLE hFile = CreateFileA(strNotePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            char szNote[1024] = {};
            DWORD cbRead = 0;
            ReadFile(hFile, szNote, sizeof(szNote) - 1, &cbRead, nullptr);
            CloseHandle(hFile);
            if (cbRead > 0) {
                strNote.assign(szNote, cbRead);
                return true;
            }
        }
        Sleep(50);
    }
    return false;
}

bool NoteExists(const std::string& strExe) {
    return GetFileAttributesA((strExe + ".ran").c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RestartTest : public ::testing::Test {
protected:
    // The program under a directory with blanks, and a decoy where an
    // unquoted path would lead Windows first.
    const std::string m_strDirectory = "C:\\Lintra Probe\\Sub Dir";
    const std::string m_strProgram = m_strDirectory + "\\probe.exe";
    const std::string m_strDecoy = "C:\\Lintra.exe";

    void SetUp() override {
        CreateDirectoryA("C:\\Lintra Probe", nullptr);
        CreateDirectoryA(m_strDirectory.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(ProbePath().c_str(), m_strProgram.c_str(), FALSE))
            << ProbePath() << " error " << GetLastError();
        ASSERT_TRUE(CopyFileA(ProbePath().c_str(), m_strDecoy.c_str(), FALSE)) << "error " << GetLastError();
        DeleteFileA((m_strProgram + ".ran").c_str());
        DeleteFileA((m_strDecoy + ".ran").c_str());
    }
    void TearDown() override {
        DeleteFileA((m_strProgram + ".ran").c_str());
        DeleteFileA((m_strDecoy + ".ran").c_str());
        DeleteFileA(m_strProgram.c_str());
        DeleteFileA(m_strDecoy.c_str());
    }
};

TEST_F(RestartTest, AnUnquotedCommandLineWithoutApplicationNameStartsTheDecoy) {
    // The fault being guarded against, shown on this system: the bare path
    // as the whole command line runs C:\Lintra.exe.
    std::vector<char> commandLine(m_strProgram.begin(), m_strProgram.end());
    commandLine.push_back('\0');
    STARTUPINFOA startupInfo = {};
    startupInfo.cb = sizeof(startupInfo);
    PROCESS_INFORMATION processInfo = {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startupInfo, &processInfo));
    CloseHandle(processInfo.hThread);
    CloseHandle(processInfo.hProcess);
    std::string strNote;
    EXPECT_TRUE(WaitForNote(m_strDecoy, strNote));
    EXPECT_FALSE(NoteExists(m_strProgram));
}

TEST_F(RestartTest, StartsTheProgramItselfUnderAPathWithBlanks) {
    ASSERT_TRUE(StartProgram(m_strProgram.c_str()));
    std::string strNote;
    ASSERT_TRUE(WaitForNote(m_strProgram, strNote)) << "the program did not start";
    EXPECT_EQ("\"" + m_strProgram + "\"", strNote) << "no arguments, the path quoted";
    EXPECT_FALSE(NoteExists(m_strDecoy)) << "another program was started";
}

TEST_F(RestartTest, AMissingProgramIsReportedAsFailure) {
    EXPECT_FALSE(StartProgram("C:\\Lintra Probe\\Sub Dir\\missing.exe"));
    EXPECT_FALSE(NoteExists(m_strDecoy));
}

}  // namespace
