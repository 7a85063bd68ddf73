// The driver file routines on real files in the prefix's driver directory.
#include <memory>

#include "driverfile/PeImage.h"
#include "tests/support/DriverImage.h"
#include "tests/win32/driverfile/Win32DriverFiles.h"

namespace {

constexpr DWORD kRhs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// 1 January 2001, well before any file of the prefix.
constexpr uint64_t kOldTime = 0x01C0741F2A1A0000ull;

std::vector<uint8_t> Image(uint32_t dwChecksum, uint32_t dwSeed = 1) {
    SDriverImageOptions options;
    options.dwChecksumField = dwChecksum;
    options.dwSeed = dwSeed;
    return MakeDriverImage(options);
}

class Win32DriverFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDriverFileState();
        SetDriverFileSystem(nullptr);
        ASSERT_TRUE(BuildDriverPaths());
        m_strDriver = g_strDriverPath;
        m_strBackup = g_strBackupPath;
        m_strSpare = g_strSparePath;
        m_strDirectory = m_strDriver.substr(0, m_strDriver.find_last_of('\\'));
        RemoveAll();
        m_listingBefore = DirectoryListing(m_strDirectory);
    }

    void TearDown() override {
        SetDriverFileSystem(nullptr);
        // No file of ours other than the three is left behind.
        std::set<std::string> listing = DirectoryListing(m_strDirectory);
        for (const char* pszName : {"S5AS511.sys", "S5AS511.bak", "S5AS511.org"}) listing.erase(pszName);
        EXPECT_EQ(m_listingBefore, listing);
        RemoveAll();
        ResetDriverFileState();
    }

    void RemoveAll() {
        for (const std::string& strPath : {m_strDriver, m_strBackup, m_strSpare}) RemoveRealFile(strPath);
    }

    /// A patched driver file and the unpatched backup copy, holding the
    /// restore value, with old times.
    void PutDriverAndBackup() {
        SDriverImageOptions options;
        options.dwChecksumField = 0x4711;
        options.dwSeed = 7;
        options.astrFirstCopy[0] = options.astrSecondCopy[0] = u"\\Device\\VCP9";
        m_driver = MakeDriverImage(options);
        WriteRealFile(m_strDriver, m_driver, FILE_ATTRIBUTE_ARCHIVE);
        m_backup = Image(kRestoreChecksum, 8);
        WriteRealFile(m_strBackup, m_backup, FILE_ATTRIBUTE_ARCHIVE);
        SetRealLastWriteTime(m_strBackup, kOldTime);
        SetFileAttributesA(m_strBackup.c_str(), FILE_ATTRIBUTE_ARCHIVE | kRhs);
    }

    void SetAssignments(const char* a, const char* b, const char* c, const char* d) {
        g_strPortAssignment[0] = a;
        g_strPortAssignment[1] = b;
        g_strPortAssignment[2] = c;
        g_strPortAssignment[3] = d;
    }

    void ExpectUntouched() {
        EXPECT_EQ(m_driver, ReadRealFile(m_strDriver));
        EXPECT_EQ(m_backup, ReadRealFile(m_strBackup));
    }

    std::string m_strDriver, m_strBackup, m_strSpare, m_strDirectory;
    std::set<std::string> m_listingBefore;
    std::vector<uint8_t> m_driver, m_backup;
};

TEST_F(Win32DriverFileTest, PathsLieBelowSystemDirectory) {
    char szSystem[MAX_PATH];
    const UINT cch = GetSystemDirectoryA(szSystem, MAX_PATH);
    ASSERT_GT(cch, 0u);
    const std::string strBase = std::string(szSystem, cch) + "\\drivers\\S5AS511.";
    EXPECT_EQ(strBase + "sys", g_strDriverPath);
    EXPECT_EQ(strBase + "bak", g_strBackupPath);
    EXPECT_EQ(strBase + "org", g_strSparePath);
}

TEST_F(Win32DriverFileTest, KnownVersionBecomesReadOnlyHiddenSystemBackup) {
    const std::vector<uint8_t> driver = Image(0x13385);
    WriteRealFile(m_strDriver, driver);
    ASSERT_EQ(0, CheckDriverVersion());
    EXPECT_EQ(driver, ReadRealFile(m_strBackup));
    const DWORD dwAttributes = RealAttributes(m_strBackup);
    EXPECT_EQ(kRhs, dwAttributes & kRhs) << std::hex << dwAttributes;
    EXPECT_EQ(driver, ReadRealFile(m_strDriver));
    EXPECT_EQ(0u, RealAttributes(m_strDriver) & kRhs);
    // The next run finds it and leaves everything alone.
    EXPECT_EQ(0, CheckDriverVersion());
    EXPECT_EQ(driver, ReadRealFile(m_strBackup));
}

TEST_F(Win32DriverFileTest, ExistingBackupIsNeverOverwritten) {
    // The existence test is made to miss the backup copy; the copy itself
    // must still refuse to replace it.
    const std::vector<uint8_t> oldBackup = Image(kRestoreChecksum, 5);
    WriteRealFile(m_strBackup, oldBackup, FILE_ATTRIBUTE_ARCHIVE);
    WriteRealFile(m_strSpare, Image(0x784D, 6));
    CHookedFileSystem fileSystem(DriverFileSystem());
    const std::string strBackup = m_strBackup;
    fileSystem.m_fileExists = [&](const char* pszPath) {
        return strBackup != pszPath && RealFileExists(pszPath);
    };
    SetDriverFileSystem(&fileSystem);
    for (uint32_t dwChecksum : {0x13385u, 0x4242u}) {  // the driver's route, the spare's route
        SCOPED_TRACE(dwChecksum);
        WriteRealFile(m_strDriver, Image(dwChecksum));
        EXPECT_EQ(3, CheckDriverVersion());
        EXPECT_EQ(oldBackup, ReadRealFile(m_strBackup));
        EXPECT_EQ(0u, RealAttributes(m_strBackup) & kRhs);
    }
}

TEST_F(Win32DriverFileTest, SpareCopyBecomesBackup) {
    WriteRealFile(m_strDriver, Image(0x4242));  // patched earlier
    const std::vector<uint8_t> spare = Image(0x784D, 3);
    WriteRealFile(m_strSpare, spare, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(0, CheckDriverVersion());
    EXPECT_EQ(spare, ReadRealFile(m_strBackup));
    // As the copy made it: the spare copy's attributes, nothing added.
    EXPECT_EQ(RealAttributes(m_strSpare), RealAttributes(m_strBackup));
    EXPECT_EQ(spare, ReadRealFile(m_strSpare));
}

TEST_F(Win32DriverFileTest, VersionCheckFailuresMakeNoBackup) {
    // case, driver checksum, spare present, file locked, result
    const struct {
        const char* pszCase;
        uint32_t dwChecksum;
        bool bSpare;
        bool bLockDriver;
        bool bLockSpare;
        int nResult;
    } cases[] = {
        {"driver locked", 0x13385, true, true, false, 2},
        {"unknown, no spare", 0x3385, false, false, false, 4},
        {"spare locked", 0x3385, true, false, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        RemoveAll();
        const std::vector<uint8_t> driver = Image(c.dwChecksum);
        WriteRealFile(m_strDriver, driver);
        if (c.bSpare) WriteRealFile(m_strSpare, Image(0x784D, 3));
        std::unique_ptr<CFileLock> lock;
        if (c.bLockDriver) lock = std::make_unique<CFileLock>(m_strDriver);
        if (c.bLockSpare) lock = std::make_unique<CFileLock>(m_strSpare);
        EXPECT_EQ(c.nResult, CheckDriverVersion());
        lock.reset();
        EXPECT_FALSE(RealFileExists(m_strBackup));
        EXPECT_EQ(driver, ReadRealFile(m_strDriver));
    }
    EXPECT_EQ(1, [&] {
        RemoveAll();
        return CheckDriverVersion();
    }());
}

TEST_F(Win32DriverFileTest, PatchChangesOnlyChecksumAndTable) {
    PutDriverAndBackup();
    SetFileAttributesA(m_strDriver.c_str(), FILE_ATTRIBUTE_ARCHIVE | kRhs);
    SetAssignments("\\Device\\VCP0", "\\Device\\Serial16", "", "\\Device\\Serial3");

    ASSERT_TRUE(WriteDeviceNameTable());
    const std::vector<uint8_t> after = ReadRealFile(m_strDriver);
    ASSERT_EQ(m_driver.size(), after.size());
    for (size_t n = 0; n < after.size(); ++n) {
        const bool bMayChange = (n >= 216 && n < 220) || (n >= 12328 && n < 12584);
        if (!bMayChange && after[n] != m_driver[n]) {
            ADD_FAILURE() << "byte " << n << " changed";
            break;
        }
    }
    const std::u16string astrExpected[4] = {u"\\Device\\VCP0", u"\\Device\\Serial16", u"",
                                            u"\\Device\\Serial3"};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(astrExpected[i], SlotName(after, kNameTableOffset + 32 * i));
        EXPECT_EQ(astrExpected[i], SlotName(after, kNameTableCopyOffset + 32 * i));
    }
    EXPECT_EQ(ComputeImageChecksum(after.data(), after.size()), StoredChecksum(after));
    EXPECT_EQ(0u, RealAttributes(m_strDriver) & kRhs);
    EXPECT_EQ(kOldTime, RealLastWriteTime(m_strDriver));
    EXPECT_EQ(m_backup, ReadRealFile(m_strBackup));

    SetAssignments("x", "x", "x", "x");
    ASSERT_TRUE(ReadDeviceNameTable());
    EXPECT_EQ("\\Device\\VCP0", g_strPortAssignment[0]);
    EXPECT_EQ("\\Device\\Serial16", g_strPortAssignment[1]);
    EXPECT_EQ("", g_strPortAssignment[2]);
    EXPECT_EQ("\\Device\\Serial3", g_strPortAssignment[3]);
}

TEST_F(Win32DriverFileTest, DefaultNamesPutBackupBack) {
    PutDriverAndBackup();
    SetFileAttributesA(m_strDriver.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    SetAssignments("\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");
    ASSERT_TRUE(WriteDeviceNameTable());
    EXPECT_EQ(m_backup, ReadRealFile(m_strDriver));
    EXPECT_EQ(0u, RealAttributes(m_strDriver) & kRhs);
    EXPECT_EQ(kRhs, RealAttributes(m_strBackup) & kRhs);
    EXPECT_EQ(m_backup, ReadRealFile(m_strBackup));
}

TEST_F(Win32DriverFileTest, RefusedWritesLeaveFilesUntouched) {
    // case, change to the files after PutDriverAndBackup, assignment of COM 1
    const struct {
        const char* pszCase;
        size_t cbDriver;  ///< 0: as made
        size_t cbBackup;  ///< 0: as made; 1: missing
        const char* pszCom1;
    } cases[] = {
        {"17 characters", 0, 0, "\\Device\\Serial100"},
        {"driver of 15359 bytes", 15359, 0, "\\Device\\VCP0"},
        {"driver of 15361 bytes", 15361, 0, "\\Device\\VCP0"},
        {"driver of 216 bytes", 216, 0, "\\Device\\VCP0"},
        {"backup missing", 0, 1, "\\Device\\VCP0"},
        {"backup short", 0, 4096, "\\Device\\VCP0"},
        {"backup short, default names", 0, 4096, "\\Device\\Serial0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        PutDriverAndBackup();
        if (c.cbDriver != 0) {
            m_driver.resize(c.cbDriver, 0x5A);
            WriteRealFile(m_strDriver, m_driver);
        }
        if (c.cbBackup == 1) {
            RemoveRealFile(m_strBackup);
            m_backup.clear();
        } else if (c.cbBackup != 0) {
            m_backup.resize(c.cbBackup);
            WriteRealFile(m_strBackup, m_backup, FILE_ATTRIBUTE_ARCHIVE | kRhs);
        }
        const DWORD dwDriverAttributes = RealAttributes(m_strDriver);
        const uint64_t qwDriverTime = RealLastWriteTime(m_strDriver);
        SetAssignments(c.pszCom1, "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");
        EXPECT_FALSE(WriteDeviceNameTable());
        ExpectUntouched();
        EXPECT_EQ(dwDriverAttributes, RealAttributes(m_strDriver));
        EXPECT_EQ(qwDriverTime, RealLastWriteTime(m_strDriver));
    }
}

TEST_F(Win32DriverFileTest, LockedDriverIsNeitherReadNorWritten) {
    PutDriverAndBackup();
    {
        CFileLock lock(m_strDriver);
        SetAssignments("a", "b", "c", "d");
        EXPECT_FALSE(ReadDeviceNameTable());
        EXPECT_EQ("a", g_strPortAssignment[0]);
        SetAssignments("\\Device\\VCP0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");
        EXPECT_FALSE(WriteDeviceNameTable());
    }
    ExpectUntouched();
}

TEST_F(Win32DriverFileTest, DriverLockedDuringReplaceStaysAsItWas) {
    // The driver file is opened elsewhere after it was read, so the final
    // replace fails: content and attributes must be as before.
    // case, default names (restore shortcut first)
    for (bool bDefaults : {false, true}) {
        SCOPED_TRACE(bDefaults ? "restore, then patch" : "patch");
        PutDriverAndBackup();
        SetFileAttributesA(m_strDriver.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
        const DWORD dwAttributes = RealAttributes(m_strDriver);
        CHookedFileSystem fileSystem(DriverFileSystem());
        std::unique_ptr<CFileLock> lock;
        const std::string strDriver = m_strDriver;
        fileSystem.m_beforeMove = [&](const char*, const char* pszTarget) {
            if (strDriver == pszTarget && !lock) lock = std::make_unique<CFileLock>(strDriver);
        };
        SetDriverFileSystem(&fileSystem);
        if (bDefaults) {
            SetAssignments("\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2",
                           "\\Device\\Serial3");
        } else {
            SetAssignments("\\Device\\VCP0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");
        }
        EXPECT_FALSE(WriteDeviceNameTable());
        lock.reset();
        SetDriverFileSystem(nullptr);
        ExpectUntouched();
        EXPECT_EQ(dwAttributes, RealAttributes(m_strDriver));
    }
}

}  // namespace
