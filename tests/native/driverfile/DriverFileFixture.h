// A driver directory in the fake file system, with the paths built and
// every seam put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driverfile/ChecksumLibrary.h"
#include "driverfile/DriverFile.h"
#include "driverfile/DriverFileSystem.h"
#include "strings/AnsiText.h"
#include "tests/support/DriverImage.h"
#include "tests/support/FakeDriverFileSystem.h"

class CDriverFileFixture : public ::testing::Test {
protected:
    static constexpr const char* kDriverDirectory = "C:\\WINDOWS\\system32\\drivers\\";

    void SetUp() override {
        ResetDriverFileState();
        SetDriverFileSystem(&m_fs);
        ASSERT_TRUE(BuildDriverPaths());
        m_strDriver = g_strDriverPath;
        m_strBackup = g_strBackupPath;
        m_strSpare = g_strSparePath;
    }

    void TearDown() override {
        SetDriverFileSystem(nullptr);
        SetChecksumLibraryLoader(nullptr);
        SetAnsiCodePage(nullptr);
        ResetDriverFileState();
    }

    /// The files as they are now, to compare with later.
    std::map<std::string, SFakeFile> Snapshot() const { return m_fs.Files(); }

    /// Paths of files that none of the three driver paths names.
    std::vector<std::string> StrayFiles() const {
        std::vector<std::string> stray;
        for (const std::string& strPath : m_fs.FilePaths()) {
            if (strPath != m_strDriver && strPath != m_strBackup && strPath != m_strSpare)
                stray.push_back(strPath);
        }
        return stray;
    }

    void SetAssignments(const char* a, const char* b, const char* c, const char* d) {
        g_strPortAssignment[0] = a;
        g_strPortAssignment[1] = b;
        g_strPortAssignment[2] = c;
        g_strPortAssignment[3] = d;
    }

    CFakeDriverFileSystem m_fs;
    std::string m_strDriver, m_strBackup, m_strSpare;
};
