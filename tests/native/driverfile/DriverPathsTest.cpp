#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driverfile/DriverFile.h"
#include "tests/support/FakeCodePage.h"
#include "tests/support/FakeDriverFileSystem.h"

namespace {

class DriverPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDriverFileState();
        SetDriverFileSystem(&m_fs);
    }
    void TearDown() override {
        SetDriverFileSystem(nullptr);
        SetAnsiCodePage(nullptr);
        ResetDriverFileState();
    }
    CFakeDriverFileSystem m_fs;
};

TEST_F(DriverPathsTest, PathsLieInTheDriverDirectory) {
    // system directory, driver path, backup path, spare path
    const struct {
        const char* pszSystem;
        const char* pszDriver;
        const char* pszBackup;
        const char* pszSpare;
    } cases[] = {
        {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\drivers\\S5AS511.sys",
         "C:\\WINDOWS\\system32\\drivers\\S5AS511.bak", "C:\\WINDOWS\\system32\\drivers\\S5AS511.org"},
        {"D:\\WINNT.OLD\\System32", "D:\\WINNT.OLD\\System32\\drivers\\S5AS511.sys",
         "D:\\WINNT.OLD\\System32\\drivers\\S5AS511.bak", "D:\\WINNT.OLD\\System32\\drivers\\S5AS511.org"},
        {"\\\\server\\c$\\windows\\system32", "\\\\server\\c$\\windows\\system32\\drivers\\S5AS511.sys",
         "\\\\server\\c$\\windows\\system32\\drivers\\S5AS511.bak",
         "\\\\server\\c$\\windows\\system32\\drivers\\S5AS511.org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszSystem);
        ResetDriverFileState();
        m_fs.SetSystemDirectory(c.pszSystem);
        ASSERT_TRUE(BuildDriverPaths());
        EXPECT_EQ(c.pszDriver, g_strDriverPath);
        EXPECT_EQ(c.pszBackup, g_strBackupPath);
        EXPECT_EQ(c.pszSpare, g_strSparePath);
    }
}

TEST_F(DriverPathsTest, DoubleByteSystemDirectory) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    // 0x83 0x5C is one character whose trail byte looks like a backslash.
    m_fs.SetSystemDirectory("C:\\\x83\x5C.x\\system32");
    ASSERT_TRUE(BuildDriverPaths());
    EXPECT_EQ("C:\\\x83\x5C.x\\system32\\drivers\\S5AS511.sys", g_strDriverPath);
    EXPECT_EQ("C:\\\x83\x5C.x\\system32\\drivers\\S5AS511.bak", g_strBackupPath);
}

TEST_F(DriverPathsTest, NoPathsWithoutFittingSystemDirectory) {
    // The driver path is the system directory plus 20 characters and must
    // stay within 259.
    // case, system directory, paths built
    const struct {
        const char* pszCase;
        std::string strSystem;
        bool bBuilt;
    } cases[] = {
        {"longest that fits", "C:\\" + std::string(236, 'a'), true},
        {"one character more", "C:\\" + std::string(237, 'a'), false},
        {"far too long", "C:\\" + std::string(4000, 'a'), false},
        {"directory unknown", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        ResetDriverFileState();
        m_fs.SetSystemDirectory(c.strSystem);
        EXPECT_EQ(c.bBuilt, BuildDriverPaths());
        if (c.bBuilt) {
            EXPECT_EQ(259u, g_strDriverPath.size());
            EXPECT_EQ(259u, g_strBackupPath.size());
        } else {
            EXPECT_TRUE(g_strDriverPath.empty());
            EXPECT_TRUE(g_strBackupPath.empty());
            EXPECT_TRUE(g_strSparePath.empty());
        }
    }
}

TEST_F(DriverPathsTest, FailingSystemDirectoryLeavesPathsEmpty) {
    m_fs.FailOn(EFakeFileOp::SystemDirectory);
    EXPECT_FALSE(BuildDriverPaths());
    EXPECT_TRUE(g_strDriverPath.empty());
    EXPECT_TRUE(g_strBackupPath.empty());
    EXPECT_TRUE(g_strSparePath.empty());
}

// A 260-byte path buffer with guard bytes behind it.
struct SPathBuffer {
    char szPath[260];
    char guard[8];
};

std::string Replaced(const std::string& strPath, const char* pszExtension) {
    SPathBuffer buffer;
    std::memset(&buffer, 0x7E, sizeof buffer);
    std::memcpy(buffer.szPath, strPath.c_str(), strPath.size() + 1);
    ReplaceExtension(buffer.szPath, pszExtension);
    for (char ch : buffer.guard) EXPECT_EQ(0x7E, ch);
    return buffer.szPath;
}

TEST_F(DriverPathsTest, ReplaceExtension) {
    // path, extension, result
    const struct {
        const char* pszPath;
        const char* pszExtension;
        const char* pszResult;
    } cases[] = {
        {"C:\\dir\\file.sys", "bak", "C:\\dir\\file.bak"},
        {"C:\\dir\\file.sys", ".bak", "C:\\dir\\file.bak"},
        {"C:\\dir\\file", "bak", "C:\\dir\\file.bak"},
        {"C:\\dir.d\\file", "bak", "C:\\dir.d\\file.bak"},
        {"C:\\dir\\file.tar.gz", "bak", "C:\\dir\\file.tar.bak"},
        {"C:/dir/file.sys", "bak", "C:/dir/file.bak"},
        {"C:file.sys", "bak", "C:file.bak"},
        {"file.sys", "bak", "file.bak"},
        {"\\\\server\\share\\file.sys", "bak", "\\\\server\\share\\file.bak"},
        {"C:\\dir\\.sys", "bak", "C:\\dir\\.bak"},
        {"C:\\dir\\file.sys", "", "C:\\dir\\file"},
        {"C:\\dir\\file.", "bak", "C:\\dir\\file.bak"},
        {"", "bak", ".bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszPath) + " + " + c.pszExtension);
        EXPECT_EQ(c.pszResult, Replaced(c.pszPath, c.pszExtension));
    }
}

TEST_F(DriverPathsTest, ReplaceExtensionTakesDoubleByteCharactersWhole) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    // The trail byte 0x5C of 0x83 0x5C is no separator: the dot before it
    // starts the extension, so all of ".b\x83\x5Cc" is replaced.
    EXPECT_EQ("C:\\dir\\a.bak", Replaced("C:\\dir\\a.b\x83\x5C"
                                         "c",
                                         "bak"));
    EXPECT_EQ("C:\\\x83\x5C\\file.bak", Replaced("C:\\\x83\x5C\\file.sys", "bak"));
}

TEST_F(DriverPathsTest, ReplaceExtensionLeavesPathThatWouldNotFit) {
    // case, path, extension, replaced
    const struct {
        const char* pszCase;
        std::string strPath;
        std::string strExtension;
        bool bReplaced;
    } cases[] = {
        {"result of 259 characters", "C:\\" + std::string(252, 'a') + ".s", "sys", true},
        {"result of 260 characters", "C:\\" + std::string(253, 'a') + ".s", "sys", false},
        {"long extension", "C:\\dir\\file.sys", std::string(300, 'x'), false},
        {"base name of 255 characters", "\\" + std::string(255, 'a'), "b", true},
        {"base name of 256 characters", "\\" + std::string(256, 'a'), "b", false},
        {"directory of 255 characters", "\\" + std::string(253, 'd') + "\\", "b", true},
        {"directory of 256 characters", "\\" + std::string(254, 'd') + "\\", "b", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const std::string strResult = Replaced(c.strPath, c.strExtension.c_str());
        EXPECT_EQ(c.bReplaced, strResult != c.strPath);
        EXPECT_LE(strResult.size(), 259u);
    }
}

}  // namespace
