#include <gtest/gtest.h>

#include <functional>

#include "driverfile/PeImage.h"
#include "tests/native/driverfile/DriverFileFixture.h"
#include "tests/support/FakeChecksumLibrary.h"

namespace {

constexpr uint64_t kBackupCreation = 0x01D2000012345678ull;
constexpr uint64_t kBackupLastWrite = 0x01D2000087654321ull;

class DeviceNameTableTest : public CDriverFileFixture {
protected:
    /// A patched driver file beside an unpatched backup copy (restore value
    /// 0x3385), both with protecting attributes.
    void PutDriverAndBackup(const std::vector<uint8_t>& driver,
                            uint32_t dwBackupChecksum = kRestoreChecksum) {
        m_fs.PutFile(m_strDriver, driver, 0x27);
        SFakeFile backup;
        SDriverImageOptions options;
        options.dwChecksumField = dwBackupChecksum;
        options.dwSeed = 2;
        backup.content = MakeDriverImage(options);
        backup.dwAttributes = 0x27;
        backup.qwCreationTime = kBackupCreation;
        backup.qwLastWriteTime = kBackupLastWrite;
        m_fs.PutFileEntry(m_strBackup, backup);
    }

    static std::vector<uint8_t> Driver(const std::u16string (&astrNames)[4]) {
        SDriverImageOptions options;
        options.dwChecksumField = 0x4711;
        options.dwSeed = 11;
        for (int i = 0; i < 4; ++i) options.astrFirstCopy[i] = options.astrSecondCopy[i] = astrNames[i];
        return MakeDriverImage(options);
    }

    static std::vector<uint8_t> Driver() {
        const std::u16string astrNames[4] = {u"\\Device\\VCP0", u"\\Device\\VCP1", u"\\Device\\Serial2",
                                             u"\\Device\\Serial3"};
        return Driver(astrNames);
    }

    void ExpectAssignments(const char* a, const char* b, const char* c, const char* d) {
        EXPECT_EQ(a, g_strPortAssignment[0]);
        EXPECT_EQ(b, g_strPortAssignment[1]);
        EXPECT_EQ(c, g_strPortAssignment[2]);
        EXPECT_EQ(d, g_strPortAssignment[3]);
    }
};

// --- Reading ---------------------------------------------------------------

TEST_F(DeviceNameTableTest, ReadsNamesOfFirstCopy) {
    const std::u16string strFull = u"\\Device\\Serial10";  // 16 units, no zero unit in its slot
    // case, first copy, second copy, expected names
    const struct {
        const char* pszCase;
        std::u16string astrFirst[4];
        std::u16string astrSecond[4];
        const char* apszExpected[4];
    } cases[] = {
        {"defaults",
         {u"\\Device\\Serial0", u"\\Device\\Serial1", u"\\Device\\Serial2", u"\\Device\\Serial3"},
         {u"\\Device\\Serial0", u"\\Device\\Serial1", u"\\Device\\Serial2", u"\\Device\\Serial3"},
         {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3"}},
        {"copies differ",
         {u"\\Device\\VCP0", u"\\Device\\VCP1", u"\\Device\\VCP2", u"\\Device\\VCP3"},
         {u"\\Device\\X0", u"\\Device\\X1", u"\\Device\\X2", u"\\Device\\X3"},
         {"\\Device\\VCP0", "\\Device\\VCP1", "\\Device\\VCP2", "\\Device\\VCP3"}},
        {"empty slots",
         {u"", u"\\Device\\VCP1", u"", u""},
         {u"A", u"B", u"C", u"D"},
         {"", "\\Device\\VCP1", "", ""}},
        {"full slots stop at 16 units",
         {strFull, strFull, strFull, strFull},
         {strFull, u"", u"", u""},
         {"\\Device\\Serial10", "\\Device\\Serial10", "\\Device\\Serial10", "\\Device\\Serial10"}},
        {"full last slot before the second copy",
         {u"a", u"b", u"c", u"0123456789abcdef"},
         {u"\\Device\\Serial0", u"b", u"c", u"d"},
         {"a", "b", "c", "0123456789abcdef"}},
        {"unconvertible name gives empty",
         {u"\\Device\\\u00e9", u"\\Device\\VCP1", u"a", u"b"},
         {u"", u"", u"", u""},
         {"", "\\Device\\VCP1", "a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        SDriverImageOptions options;
        for (int i = 0; i < 4; ++i) {
            options.astrFirstCopy[i] = c.astrFirst[i];
            options.astrSecondCopy[i] = c.astrSecond[i];
        }
        m_fs.PutFile(m_strDriver, MakeDriverImage(options));
        SetAssignments("x", "x", "x", "x");
        ASSERT_TRUE(ReadDeviceNameTable());
        ExpectAssignments(c.apszExpected[0], c.apszExpected[1], c.apszExpected[2], c.apszExpected[3]);
    }
    EXPECT_FALSE(m_fs.ChangedAnything());
}

TEST_F(DeviceNameTableTest, ReadFailureKeepsAssignments) {
    const std::vector<uint8_t> image = MakeDriverImage();
    // case, set-up of the driver file
    const struct {
        const char* pszCase;
        std::function<void(CFakeDriverFileSystem&, const std::string&)> prepare;
    } cases[] = {
        {"missing", [](CFakeDriverFileSystem&, const std::string&) {}},
        {"0 bytes", [](CFakeDriverFileSystem& fs, const std::string& d) { fs.PutFile(d, {}); }},
        {"216 bytes",
         [&](CFakeDriverFileSystem& fs, const std::string& d) {
             fs.PutFile(d, {image.begin(), image.begin() + 216});
         }},
        {"15359 bytes",
         [&](CFakeDriverFileSystem& fs, const std::string& d) {
             fs.PutFile(d, {image.begin(), image.end() - 1});
         }},
        {"15361 bytes",
         [&](CFakeDriverFileSystem& fs, const std::string& d) {
             std::vector<uint8_t> longer = image;
             longer.push_back(0);
             fs.PutFile(d, longer);
         }},
        {"locked",
         [&](CFakeDriverFileSystem& fs, const std::string& d) {
             fs.PutFile(d, image);
             fs.SetLocked(d, true);
         }},
        {"cannot be opened",
         [&](CFakeDriverFileSystem& fs, const std::string& d) {
             fs.PutFile(d, image);
             fs.FailOn(EFakeFileOp::ReadBytes);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeDriverFileSystem fs;
        SetDriverFileSystem(&fs);
        c.prepare(fs, m_strDriver);
        SetAssignments("a", "b", "c", "d");
        EXPECT_FALSE(ReadDeviceNameTable());
        ExpectAssignments("a", "b", "c", "d");
        EXPECT_FALSE(fs.ChangedAnything());
    }
}

TEST_F(DeviceNameTableTest, ReadOfRandomBytesDoesNotFail) {
    for (uint32_t dwSeed = 1; dwSeed <= 20; ++dwSeed) {
        SCOPED_TRACE(dwSeed);
        m_fs.PutFile(m_strDriver, PseudoRandomBytes(kDriverFileSize, dwSeed));
        EXPECT_TRUE(ReadDeviceNameTable());
        for (const std::string& strName : g_strPortAssignment) EXPECT_LE(strName.size(), 16u);
    }
    EXPECT_FALSE(m_fs.ChangedAnything());
}

// --- Patching --------------------------------------------------------------

TEST_F(DeviceNameTableTest, PatchWritesBothCopiesAndTrueChecksum) {
    // case, assignments, expected slot units (16 each)
    const std::u16string kZeros(16, u'\0');
    auto slot = [](const std::u16string& strName) {
        return strName + std::u16string(16 - strName.size(), u'\0');
    };
    const struct {
        const char* pszCase;
        const char* apszNames[4];
        std::u16string astrSlots[4];
    } cases[] = {
        {"adapter ports",
         {"\\Device\\VCP0", "\\Device\\VCP1", "\\Device\\Serial2", "\\Device\\Serial3"},
         {slot(u"\\Device\\VCP0"), slot(u"\\Device\\VCP1"), slot(u"\\Device\\Serial2"),
          slot(u"\\Device\\Serial3")}},
        {"COM 2 on Serial0 is no restore",
         {"\\Device\\Serial0", "\\Device\\Serial0", "\\Device\\Serial2", "\\Device\\Serial3"},
         {slot(u"\\Device\\Serial0"), slot(u"\\Device\\Serial0"), slot(u"\\Device\\Serial2"),
          slot(u"\\Device\\Serial3")}},
        {"empty and 16 characters",
         {"", "\\Device\\Serial16", "\\Device\\VCP2", "\\Device\\Serial17"},
         {kZeros, u"\\Device\\Serial16", slot(u"\\Device\\VCP2"), u"\\Device\\Serial17"}},
        {"byte above 0x7F keeps its value",
         {"\\Device\\\xE4", "a", "b", "c"},
         {slot(u"\\Device\\\u00E4"), slot(u"a"), slot(u"b"), slot(u"c")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const std::vector<uint8_t> before = Driver();
        PutDriverAndBackup(before);
        SetAssignments(c.apszNames[0], c.apszNames[1], c.apszNames[2], c.apszNames[3]);

        ASSERT_TRUE(WriteDeviceNameTable());
        const std::vector<uint8_t>& after = m_fs.File(m_strDriver).content;
        ASSERT_EQ(kDriverFileSize, after.size());
        for (uint32_t i = 0; i < 4; ++i) {
            EXPECT_EQ(c.astrSlots[i], SlotUnits(after, kNameTableOffset + 32 * i))
                << "first copy, COM " << i + 1;
            EXPECT_EQ(c.astrSlots[i], SlotUnits(after, kNameTableCopyOffset + 32 * i))
                << "second copy, COM " << i + 1;
        }
        EXPECT_EQ(ComputeImageChecksum(after.data(), after.size()), StoredChecksum(after));
        for (size_t n = 0; n < after.size(); ++n) {
            const bool bMayChange = (n >= 216 && n < 220) || (n >= 12328 && n < 12584);
            if (!bMayChange && after[n] != before[n]) {
                ADD_FAILURE() << "byte " << n << " changed";
                break;
            }
        }
        EXPECT_TRUE(StrayFiles().empty());
    }
}

TEST_F(DeviceNameTableTest, PatchedNamesReadBack) {
    PutDriverAndBackup(Driver());
    SetAssignments("\\Device\\Serial16", "", "\\Device\\VCP0", "\\Device\\Serial17");
    ASSERT_TRUE(WriteDeviceNameTable());
    SetAssignments("x", "x", "x", "x");
    ASSERT_TRUE(ReadDeviceNameTable());
    ExpectAssignments("\\Device\\Serial16", "", "\\Device\\VCP0", "\\Device\\Serial17");
}

TEST_F(DeviceNameTableTest, PatchedFileTakesBackupTimesAndLosesProtection) {
    // backup creation time, times copied
    const struct {
        uint64_t qwCreation;
        bool bCopied;
    } cases[] = {
        {kBackupCreation, true},
        {0x01D2000000000000ull, false},  // only the low 32 bits are tested
        {0x0000000000000001ull, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.qwCreation);
        PutDriverAndBackup(Driver());
        SFakeFile backup = m_fs.File(m_strBackup);
        backup.qwCreationTime = c.qwCreation;
        m_fs.PutFileEntry(m_strBackup, backup);
        m_fs.SetAttributes(m_strDriver.c_str(), 0x27);
        SetAssignments("\\Device\\VCP0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");

        ASSERT_TRUE(WriteDeviceNameTable());
        const SFakeFile& driver = m_fs.File(m_strDriver);
        EXPECT_EQ(0x20u, driver.dwAttributes);
        if (c.bCopied) {
            EXPECT_EQ(c.qwCreation, driver.qwCreationTime);
            EXPECT_EQ(kBackupLastWrite, driver.qwLastWriteTime);
        } else {
            EXPECT_NE(kBackupLastWrite, driver.qwLastWriteTime);
        }
        EXPECT_EQ(backup, m_fs.File(m_strBackup));
    }
}

TEST_F(DeviceNameTableTest, PatchSucceedsWhenTimesCannotBeSet) {
    PutDriverAndBackup(Driver());
    m_fs.FailOn(EFakeFileOp::SetTimes);
    SetAssignments("\\Device\\VCP0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");
    EXPECT_TRUE(WriteDeviceNameTable());
    EXPECT_EQ(u"\\Device\\VCP0", SlotName(m_fs.File(m_strDriver).content, kNameTableOffset));
}

// --- The restore shortcut --------------------------------------------------

TEST_F(DeviceNameTableTest, DefaultNamesPutBackupBack) {
    PutDriverAndBackup(Driver());
    const SFakeFile backup = m_fs.File(m_strBackup);
    SetAssignments("\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");

    ASSERT_TRUE(WriteDeviceNameTable());
    const SFakeFile& driver = m_fs.File(m_strDriver);
    EXPECT_EQ(backup.content, driver.content);
    EXPECT_EQ(backup.dwAttributes & ~0x7u, driver.dwAttributes);
    EXPECT_EQ(0, m_fs.CallCount(EFakeFileOp::SetTimes));
    EXPECT_EQ(backup, m_fs.File(m_strBackup));
    EXPECT_TRUE(StrayFiles().empty());
}

TEST_F(DeviceNameTableTest, DefaultNamesWithoutRestorableBackupArePatched) {
    // case, backup checksum, how the shortcut fails
    const struct {
        const char* pszCase;
        uint32_t dwBackupChecksum;
        std::function<void(CFakeDriverFileSystem&)> breakShortcut;
    } cases[] = {
        {"backup is a known version", 0x13385, [](CFakeDriverFileSystem&) {}},
        {"backup holds another value", 0x3386, [](CFakeDriverFileSystem&) {}},
        {"copy fails", kRestoreChecksum, [](CFakeDriverFileSystem& fs) { fs.FailOn(EFakeFileOp::Copy); }},
        {"first move fails", kRestoreChecksum,
         [](CFakeDriverFileSystem& fs) { fs.FailOnce(EFakeFileOp::MoveIntoPlace); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        m_fs.ClearFailures();
        PutDriverAndBackup(Driver(), c.dwBackupChecksum);
        c.breakShortcut(m_fs);
        SetAssignments("\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3");

        ASSERT_TRUE(WriteDeviceNameTable());
        const std::vector<uint8_t>& after = m_fs.File(m_strDriver).content;
        for (uint32_t i = 0; i < 4; ++i) {
            EXPECT_EQ(g_apszDefaultDeviceNames[i], SlotName(after, kNameTableOffset + 32 * i));
            EXPECT_EQ(g_apszDefaultDeviceNames[i], SlotName(after, kNameTableCopyOffset + 32 * i));
        }
        EXPECT_EQ(ComputeImageChecksum(after.data(), after.size()), StoredChecksum(after));
        EXPECT_EQ(kBackupLastWrite, m_fs.File(m_strDriver).qwLastWriteTime);
        EXPECT_TRUE(StrayFiles().empty());
    }
}

// --- Refusals: false, and no file touched -----------------------------------

TEST_F(DeviceNameTableTest, RefusedWritesTouchNothing) {
    CFakeChecksumLoader loader;
    const std::vector<uint8_t> driver = Driver();
    const char* const kName17 = "\\Device\\Serial100";
    // case, set-up after the driver file and a backup copy (0x3385) are in place, assignments
    const struct {
        const char* pszCase;
        std::function<void(CDriverFileFixture&, CFakeDriverFileSystem&)> prepare;
        const char* apszNames[4];
    } cases[] = {
        {"17 characters for COM 1",
         [](CDriverFileFixture&, CFakeDriverFileSystem&) {},
         {kName17, "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3"}},
        {"17 characters for COM 4",
         [](CDriverFileFixture&, CFakeDriverFileSystem&) {},
         {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", kName17}},
        {"driver missing",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) { fs.EraseFile(m_strDriver); },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver of 0 bytes",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) { fs.PutFile(m_strDriver, {}); },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver of 216 bytes",
         [&](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             fs.PutFile(m_strDriver, {driver.begin(), driver.begin() + 216});
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver of 15359 bytes",
         [&](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             fs.PutFile(m_strDriver, {driver.begin(), driver.end() - 1});
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver of 15361 bytes",
         [&](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             std::vector<uint8_t> longer = driver;
             longer.push_back(1);
             fs.PutFile(m_strDriver, longer);
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver of random bytes",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             fs.PutFile(m_strDriver, PseudoRandomBytes(kDriverFileSize, 3));
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"driver locked",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) { fs.SetLocked(m_strDriver, true); },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"backup missing",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) { fs.EraseFile(m_strBackup); },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"backup missing, default names",
         [this](CDriverFileFixture&, CFakeDriverFileSystem& fs) { fs.EraseFile(m_strBackup); },
         {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3"}},
        {"short backup holding 0x3385, default names",
         [&](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             std::vector<uint8_t> shortBackup(driver.begin(), driver.begin() + 1024);
             WriteLe32(&shortBackup[216], kRestoreChecksum);
             fs.PutFile(m_strBackup, shortBackup);
         },
         {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2", "\\Device\\Serial3"}},
        {"backup of 15361 bytes",
         [&](CDriverFileFixture&, CFakeDriverFileSystem& fs) {
             std::vector<uint8_t> longer = driver;
             longer.push_back(1);
             fs.PutFile(m_strBackup, longer);
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"checksum library missing",
         [&](CDriverFileFixture&, CFakeDriverFileSystem&) {
             loader.m_bLibraryPresent = false;
             SetChecksumLibraryLoader(&loader);
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
        {"checksum function missing",
         [&](CDriverFileFixture&, CFakeDriverFileSystem&) {
             loader.m_bFunctionPresent = false;
             SetChecksumLibraryLoader(&loader);
         },
         {"\\Device\\VCP0", "b", "c", "d"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeDriverFileSystem fs;
        SetDriverFileSystem(&fs);
        loader = CFakeChecksumLoader();
        fs.PutFile(m_strDriver, driver, 0x21);
        SFakeFile backup;
        backup.content = MakeDriverImage([] {
            SDriverImageOptions o;
            o.dwChecksumField = kRestoreChecksum;
            return o;
        }());
        backup.dwAttributes = 0x27;
        fs.PutFileEntry(m_strBackup, backup);
        c.prepare(*this, fs);
        SetAssignments(c.apszNames[0], c.apszNames[1], c.apszNames[2], c.apszNames[3]);
        const auto before = fs.Files();

        EXPECT_FALSE(WriteDeviceNameTable());
        EXPECT_EQ(before, fs.Files());
        EXPECT_FALSE(fs.ChangedAnything());
        EXPECT_EQ(loader.m_nLoads, loader.m_nFrees);
        SetChecksumLibraryLoader(nullptr);
    }
    SetDriverFileSystem(&m_fs);
}

// --- Failures while writing: the driver file stays as it was ---------------

TEST_F(DeviceNameTableTest, FailedWriteLeavesDriverAsItWas) {
    // case, how it fails, default names (restore shortcut first)
    const struct {
        const char* pszCase;
        std::function<void(CFakeDriverFileSystem&, const std::string& strDriver)> breakWrite;
        bool bDefaults;
    } cases[] = {
        {"directory not writable",
         [](CFakeDriverFileSystem& fs, const std::string&) {
             fs.SetDirectoryWritable(kDriverDirectory, false);
         },
         false},
        {"temporary file cannot be made",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::CreateTemporaryFile); },
         false},
        {"write fails",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::WriteAndFlush); }, false},
        {"only part written", [](CFakeDriverFileSystem& fs, const std::string&) { fs.WriteOnlyPart(8000); },
         false},
        {"nothing written", [](CFakeDriverFileSystem& fs, const std::string&) { fs.WriteOnlyPart(0); },
         false},
        {"protection cannot be cleared",
         [](CFakeDriverFileSystem& fs, const std::string& d) { fs.FailOn(EFakeFileOp::SetAttributes, d); },
         false},
        {"replace fails",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::MoveIntoPlace); }, false},
        {"driver locked after reading",
         [](CFakeDriverFileSystem& fs, const std::string& d) {
             // Locked only for the move: fail the move on the driver's path.
             fs.FailOn(EFakeFileOp::MoveIntoPlace, d);
         },
         false},
        {"restore and patch both fail to replace",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::MoveIntoPlace); }, true},
        {"restore copy flush and patch write fail",
         [](CFakeDriverFileSystem& fs, const std::string&) {
             fs.FailOn(EFakeFileOp::Flush);
             fs.FailOn(EFakeFileOp::WriteAndFlush);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeDriverFileSystem fs;
        SetDriverFileSystem(&fs);
        fs.PutFile(m_strDriver, Driver(), 0x27);
        SFakeFile backup;
        backup.content = MakeDriverImage([] {
            SDriverImageOptions o;
            o.dwChecksumField = kRestoreChecksum;
            return o;
        }());
        backup.dwAttributes = 0x27;
        fs.PutFileEntry(m_strBackup, backup);
        c.breakWrite(fs, m_strDriver);
        if (c.bDefaults) {
            SetAssignments("\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial2",
                           "\\Device\\Serial3");
        } else {
            SetAssignments("\\Device\\VCP0", "\\Device\\VCP1", "\\Device\\Serial2", "\\Device\\Serial3");
        }
        const auto before = fs.Files();

        EXPECT_FALSE(WriteDeviceNameTable());
        EXPECT_EQ(before, fs.Files());
    }
    SetDriverFileSystem(&m_fs);
}

TEST_F(DeviceNameTableTest, ReadOnlyDriverIsReplacedAsWindowsAllows) {
    // On Windows a read-only file can be neither written nor replaced; the
    // fake refuses both, so success shows that protection is cleared first.
    PutDriverAndBackup(Driver());
    m_fs.SetAttributes(m_strDriver.c_str(), 0x01);
    SetAssignments("\\Device\\VCP0", "\\Device\\VCP1", "\\Device\\Serial2", "\\Device\\Serial3");
    ASSERT_TRUE(WriteDeviceNameTable());
    EXPECT_EQ(0x00u, m_fs.File(m_strDriver).dwAttributes);
    EXPECT_EQ(u"\\Device\\VCP1", SlotName(m_fs.File(m_strDriver).content, kNameTableOffset + 32));
}

TEST_F(DeviceNameTableTest, DriverCutAtEveryLengthIsNeitherReadNorPatched) {
    const std::vector<uint8_t> image = Driver();
    PutDriverAndBackup(image);
    SetAssignments("\\Device\\VCP0", "\\Device\\VCP1", "\\Device\\Serial2", "\\Device\\Serial3");
    for (size_t cb = 0; cb < image.size(); ++cb) {
        const std::vector<uint8_t> cut(image.begin(), image.begin() + cb);
        m_fs.PutFile(m_strDriver, cut);
        if (ReadDeviceNameTable() || WriteDeviceNameTable() || m_fs.File(m_strDriver).content != cut) {
            ADD_FAILURE() << "length " << cb;
            break;
        }
    }
    EXPECT_TRUE(StrayFiles().empty());
}

// --- The checksum ------------------------------------------------------------

TEST_F(DeviceNameTableTest, UpdateImageChecksumStoresFunctionResult) {
    CFakeChecksumLoader loader;
    SetChecksumLibraryLoader(&loader);
    std::vector<uint8_t> image = MakeDriverImage();
    ASSERT_TRUE(UpdateImageChecksum(image.data(), kDriverFileSize));
    EXPECT_EQ(0x12345678u, StoredChecksum(image));
    ASSERT_EQ(1u, loader.m_calls.size());
    EXPECT_EQ(kDriverFileSize, loader.m_calls[0].cbImage);
    EXPECT_EQ(0u, loader.m_calls[0].dwHeaderSumOnEntry);
    EXPECT_EQ(0u, loader.m_calls[0].dwChecksumOnEntry);
    EXPECT_EQ(std::vector<std::string>{"imagehlp.dll"}, loader.m_strLoadedNames);
    EXPECT_EQ(std::vector<std::string>{"CheckSumMappedFile"}, loader.m_strFunctionNames);
    // Loaded and freed on every call.
    ASSERT_TRUE(UpdateImageChecksum(image.data(), kDriverFileSize));
    EXPECT_EQ(2, loader.m_nLoads);
    EXPECT_EQ(2, loader.m_nFrees);
}

TEST_F(DeviceNameTableTest, UpdateImageChecksumRefusesWithoutFunctionOrField) {
    const std::vector<uint8_t> image = MakeDriverImage();
    std::vector<uint8_t> headerElsewhere(image.size() + 512, 0);
    std::copy(image.begin(), image.begin() + 128, headerElsewhere.begin());
    std::copy(image.begin() + 128, image.begin() + 512, headerElsewhere.begin() + 512);
    WriteLe32(&headerElsewhere[0x3C], 512);
    // case, image, library present, function present
    const struct {
        const char* pszCase;
        std::vector<uint8_t> image;
        bool bLibrary;
        bool bFunction;
    } cases[] = {
        {"library missing", image, false, true},
        {"function missing", image, true, false},
        {"random bytes", PseudoRandomBytes(kDriverFileSize, 8), true, true},
        {"PE header not at 128", headerElsewhere, true, true},
        {"too short for the field", std::vector<uint8_t>(image.begin(), image.begin() + 218), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeChecksumLoader loader;
        loader.m_bLibraryPresent = c.bLibrary;
        loader.m_bFunctionPresent = c.bFunction;
        SetChecksumLibraryLoader(&loader);
        std::vector<uint8_t> copy = c.image;
        EXPECT_FALSE(UpdateImageChecksum(copy.data(), static_cast<uint32_t>(copy.size())));
        EXPECT_EQ(c.image, copy);
        EXPECT_EQ(loader.m_nLoads, loader.m_nFrees);
        SetChecksumLibraryLoader(nullptr);
    }
    EXPECT_FALSE(UpdateImageChecksum(nullptr, 0));
}

TEST_F(DeviceNameTableTest, BuiltInChecksumIsThePeChecksum) {
    // This build's own function behind the system's names.
    SDriverImageOptions options;
    options.dwChecksumField = 0x13385;
    std::vector<uint8_t> image = MakeDriverImage(options);
    ASSERT_TRUE(UpdateImageChecksum(image.data(), kDriverFileSize));
    EXPECT_EQ(ComputeImageChecksum(image.data(), image.size()), StoredChecksum(image));
    EXPECT_NE(0x13385u, StoredChecksum(image));
}

}  // namespace
