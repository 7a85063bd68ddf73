#include <gtest/gtest.h>

#include "driverfile/PeImage.h"
#include "tests/native/driverfile/DriverFileFixture.h"

namespace {

class DriverVersionTest : public CDriverFileFixture {
protected:
    std::vector<uint8_t> DriverWithChecksum(uint32_t dwChecksum, uint32_t dwSeed = 1) {
        SDriverImageOptions options;
        options.dwChecksumField = dwChecksum;
        options.dwSeed = dwSeed;
        return MakeDriverImage(options);
    }
};

TEST_F(DriverVersionTest, ReadImageChecksumNeedsAllFourBytes) {
    const std::vector<uint8_t> image = MakeDriverImage();  // field 0x13385
    // file size, value afterwards (preset 0xDEADBEEF)
    const struct {
        size_t cbFile;
        uint32_t dwValue;
    } cases[] = {
        {0, 0xDEADBEEF},   {216, 0xDEADBEEF}, {217, 0xDEADBEEF},
        {219, 0xDEADBEEF}, {220, 0x13385},    {15360, 0x13385},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cbFile);
        m_fs.PutFile(m_strDriver, std::vector<uint8_t>(image.begin(), image.begin() + c.cbFile));
        uint32_t dwValue = 0xDEADBEEF;
        EXPECT_TRUE(ReadImageChecksum(m_strDriver.c_str(), dwValue));
        EXPECT_EQ(c.dwValue, dwValue);
    }
}

TEST_F(DriverVersionTest, ReadImageChecksumFailsOnlyWhenFileCannotBeOpened) {
    uint32_t dwValue = 7;
    EXPECT_FALSE(ReadImageChecksum(m_strDriver.c_str(), dwValue));  // missing
    m_fs.PutFile(m_strDriver, MakeDriverImage());
    m_fs.SetLocked(m_strDriver, true);
    EXPECT_FALSE(ReadImageChecksum(m_strDriver.c_str(), dwValue));
    EXPECT_EQ(7u, dwValue);
}

TEST_F(DriverVersionTest, ExistingBackupIsAcceptedWithoutOpeningDriver) {
    m_fs.PutFile(m_strDriver, DriverWithChecksum(0x4242));   // patched
    m_fs.PutFile(m_strBackup, std::vector<uint8_t>(10, 1));  // whatever it holds
    const auto before = Snapshot();
    EXPECT_EQ(0, CheckDriverVersion());
    EXPECT_FALSE(m_fs.WasCalled(EFakeFileOp::ReadBytes, m_strDriver));
    EXPECT_FALSE(m_fs.ChangedAnything());
    EXPECT_EQ(before, Snapshot());
}

TEST_F(DriverVersionTest, MissingDriver) {
    m_fs.PutFile(m_strSpare, MakeDriverImage());
    EXPECT_EQ(1, CheckDriverVersion());
    EXPECT_FALSE(m_fs.ChangedAnything());
}

TEST_F(DriverVersionTest, KnownVersionBecomesProtectedBackup) {
    // Every known value, with the driver's own attributes kept in the copy.
    // stored value, driver attributes
    const struct {
        uint32_t dwChecksum;
        uint32_t dwAttributes;
    } cases[] = {
        {0x9D5A, 0x20}, {0xA3C8, 0x20}, {0x7741, 0x21}, {0x13385, 0x20}, {0x784D, 0x00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dwChecksum);
        m_fs.EraseFile(m_strBackup);
        const std::vector<uint8_t> image = DriverWithChecksum(c.dwChecksum, c.dwChecksum);
        m_fs.PutFile(m_strDriver, image, c.dwAttributes);
        m_fs.PutFile(m_strSpare, DriverWithChecksum(0x9999));
        const SFakeFile driverBefore = m_fs.File(m_strDriver);

        EXPECT_EQ(0, CheckDriverVersion());
        ASSERT_TRUE(m_fs.HasFile(m_strBackup));
        EXPECT_EQ(image, m_fs.File(m_strBackup).content);
        EXPECT_EQ(c.dwAttributes | 0x7u, m_fs.File(m_strBackup).dwAttributes);
        EXPECT_EQ(driverBefore, m_fs.File(m_strDriver));
        EXPECT_TRUE(StrayFiles().empty());
    }
}

TEST_F(DriverVersionTest, UnknownValueTakesSpareCopy) {
    // The restore value 0x3385 is no known version, nor is 0x13384, nor the
    // zero of a file too short for the field.
    // case, driver file, spare present, result
    const struct {
        const char* pszCase;
        std::vector<uint8_t> driver;
        bool bSpare;
        int nResult;
    } cases[] = {
        {"0x3385, spare", DriverWithChecksum(0x3385), true, 0},
        {"0x3385, no spare", DriverWithChecksum(0x3385), false, 4},
        {"0x13384, no spare", DriverWithChecksum(0x13384), false, 4},
        {"patched, spare", MakeDriverImage([] {
             SDriverImageOptions o;
             o.bTrueChecksum = true;
             return o;
         }()),
         true, 0},
        {"empty file, spare", {}, true, 0},
        {"empty file, no spare", {}, false, 4},
        {"216 bytes, no spare", std::vector<uint8_t>(216, 0x85), false, 4},
        {"random bytes, no spare", PseudoRandomBytes(15360, 5), false, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        m_fs.EraseFile(m_strBackup);
        m_fs.EraseFile(m_strSpare);
        m_fs.PutFile(m_strDriver, c.driver);
        // The spare copy is taken as it is, even an unknown version, with
        // its own attributes.
        const std::vector<uint8_t> spare = DriverWithChecksum(0x5555, 9);
        if (c.bSpare) m_fs.PutFile(m_strSpare, spare, 0x21);
        const auto before = Snapshot();

        EXPECT_EQ(c.nResult, CheckDriverVersion());
        if (c.nResult == 0) {
            ASSERT_TRUE(m_fs.HasFile(m_strBackup));
            EXPECT_EQ(spare, m_fs.File(m_strBackup).content);
            EXPECT_EQ(0x21u, m_fs.File(m_strBackup).dwAttributes);
            EXPECT_EQ(before.at(m_strSpare), m_fs.File(m_strSpare));
        } else {
            EXPECT_EQ(before, Snapshot());
        }
        EXPECT_EQ(before.at(m_strDriver), m_fs.File(m_strDriver));
        EXPECT_TRUE(StrayFiles().empty());
    }
}

TEST_F(DriverVersionTest, FailuresLeaveNoBackupAndNoTemporaryFile) {
    // case, how it fails, spare route, result
    const struct {
        const char* pszCase;
        void (*pfnBreak)(CFakeDriverFileSystem&, const std::string& strDriver);
        bool bSpareRoute;
        int nResult;
    } cases[] = {
        {"driver locked", [](CFakeDriverFileSystem& fs, const std::string& d) { fs.SetLocked(d, true); },
         false, 2},
        {"driver unreadable",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::ReadBytes); }, false, 2},
        {"directory not writable",
         [](CFakeDriverFileSystem& fs, const std::string&) {
             fs.SetDirectoryWritable(kDriverDirectory, false);
         },
         false, 3},
        {"copy fails", [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::Copy); },
         false, 3},
        {"flush fails", [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::Flush); },
         false, 3},
        {"move fails",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::MoveIntoPlace); }, false,
         3},
        {"spare copy fails",
         [](CFakeDriverFileSystem& fs, const std::string&) { fs.FailOn(EFakeFileOp::Copy); }, true, 3},
        {"spare locked",
         [](CFakeDriverFileSystem& fs, const std::string& d) {
             fs.SetLocked(d.substr(0, d.size() - 3) + "org", true);
         },
         true, 3},
        {"directory not writable, spare route",
         [](CFakeDriverFileSystem& fs, const std::string&) {
             fs.SetDirectoryWritable(kDriverDirectory, false);
         },
         true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeDriverFileSystem fs;
        SetDriverFileSystem(&fs);
        fs.PutFile(m_strDriver, DriverWithChecksum(c.bSpareRoute ? 0x4242 : 0x13385), 0x21);
        fs.PutFile(m_strSpare, DriverWithChecksum(0x784D, 3));
        c.pfnBreak(fs, m_strDriver);
        const auto before = fs.Files();

        EXPECT_EQ(c.nResult, CheckDriverVersion());
        EXPECT_EQ(before, fs.Files());
        SetDriverFileSystem(&m_fs);
    }
}

TEST_F(DriverVersionTest, ExistingBackupIsNeverOverwritten) {
    // Should the existence test miss a backup copy (it appears meanwhile),
    // the copy still does not replace it.
    const std::vector<uint8_t> oldBackup = DriverWithChecksum(0x3385, 77);
    m_fs.PutFile(m_strBackup, oldBackup, 0x27);
    m_fs.PutFile(m_strDriver, DriverWithChecksum(0x13385));
    m_fs.PutFile(m_strSpare, DriverWithChecksum(0x784D, 3));
    m_fs.FailOn(EFakeFileOp::FileExists, m_strBackup);
    for (uint32_t dwChecksum : {0x13385u, 0x4242u}) {  // the driver's route, the spare's route
        SCOPED_TRACE(dwChecksum);
        m_fs.PutFile(m_strDriver, DriverWithChecksum(dwChecksum));
        EXPECT_EQ(3, CheckDriverVersion());
        EXPECT_EQ(oldBackup, m_fs.File(m_strBackup).content);
        EXPECT_EQ(0x27u, m_fs.File(m_strBackup).dwAttributes);
        EXPECT_TRUE(StrayFiles().empty());
    }
}

TEST_F(DriverVersionTest, DriverCutAtEveryLength) {
    // A known version cut short: a backup copy of the cut file is made only
    // while the field is whole; a shorter file has no known value.
    // Every length near the field and near the end; in between, where each
    // length behaves alike, every 13th (each one makes a backup copy).
    const std::vector<uint8_t> image = MakeDriverImage();
    for (size_t cb = 0; cb <= image.size() + 1; cb += (cb < 1024 || cb > image.size() - 1024) ? 1 : 13) {
        std::vector<uint8_t> cut(image.begin(), image.begin() + std::min(cb, image.size()));
        if (cb > image.size()) cut.push_back(0x55);
        m_fs.EraseFile(m_strBackup);
        m_fs.PutFile(m_strDriver, cut);
        m_fs.ClearCalls();
        const int nExpected = cb >= 220 ? 0 : 4;
        const int nResult = CheckDriverVersion();
        if (nResult != nExpected) {
            ADD_FAILURE() << "length " << cb << ": " << nResult;
            break;
        }
        if (nResult == 0 && m_fs.File(m_strBackup).content != cut) {
            ADD_FAILURE() << "length " << cb << ": backup differs";
            break;
        }
    }
    EXPECT_TRUE(StrayFiles().empty());
}

}  // namespace
