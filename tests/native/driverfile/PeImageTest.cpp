#include <gtest/gtest.h>

#include <vector>

#include "driverfile/PeImage.h"
#include "tests/support/DriverImage.h"

namespace {

TEST(PeImageTest, ChecksumOfPlainBytes) {
    // Without a PE header every byte counts. Expected values worked out by
    // hand: the words summed with the carry folded back, plus the length.
    const struct {
        const char* pszCase;
        std::vector<uint8_t> bytes;
        uint32_t dwExpected;
    } cases[] = {
        {"empty", {}, 0},
        {"two words", {0x01, 0x00, 0x02, 0x00}, 3 + 4},
        {"odd last byte is a word of its own", {0x01, 0x02, 0x03}, 0x0201 + 0x0003 + 3},
        {"carry folds back", {0xFF, 0xFF, 0x02, 0x00}, 0x0002 + 4},
        {"words are little-endian", {0x34, 0x12}, 0x1234 + 2},
        {"all ones stays 0xFFFF", std::vector<uint8_t>(1000, 0xFF), 0xFFFF + 1000},
        {"zeros", std::vector<uint8_t>(15360, 0), 15360},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        EXPECT_EQ(c.dwExpected, ComputeImageChecksum(c.bytes.data(), c.bytes.size()));
    }
}

TEST(PeImageTest, ChecksumFieldCountsAsZero) {
    SDriverImageOptions options;
    options.dwChecksumField = 0;
    std::vector<uint8_t> image = MakeDriverImage(options);
    const uint32_t dwWithZero = ComputeImageChecksum(image.data(), image.size());
    for (uint32_t dwField : {0xFFFFFFFFu, 0x13385u, 0x00010000u}) {
        SCOPED_TRACE(dwField);
        WriteLe32(&image[216], dwField);
        EXPECT_EQ(dwWithZero, ComputeImageChecksum(image.data(), image.size()));
    }
    // Any other byte does count.
    image[217] = 0;
    image[300] ^= 0x01;
    EXPECT_NE(dwWithZero, ComputeImageChecksum(image.data(), image.size()));
}

TEST(PeImageTest, StoredTrueChecksumIsStable) {
    SDriverImageOptions options;
    options.bTrueChecksum = true;
    const std::vector<uint8_t> image = MakeDriverImage(options);
    EXPECT_EQ(StoredChecksum(image), ComputeImageChecksum(image.data(), image.size()));
    EXPECT_NE(0u, StoredChecksum(image));
}

TEST(PeImageTest, FindsChecksumFieldThroughHeaders) {
    const std::vector<uint8_t> driver = MakeDriverImage();
    auto withPeHeaderAt = [&](uint32_t dwOffset) {
        std::vector<uint8_t> image(driver.size() + 0x400, 0);
        std::copy(driver.begin(), driver.begin() + 128, image.begin());
        std::copy(driver.begin() + 128, driver.begin() + 512, image.begin() + dwOffset);
        WriteLe32(&image[0x3C], dwOffset);
        return image;
    };
    auto changed = [&](size_t nOffset, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> image = driver;
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(nOffset));
        return image;
    };
    // case, image, found, offset
    const struct {
        const char* pszCase;
        std::vector<uint8_t> image;
        bool bFound;
        size_t nOffset;
    } cases[] = {
        {"PE32 at 128", driver, true, 216},
        {"PE32+ at 128", changed(152, {0x0B, 0x02}), true, 216},
        {"PE header at 0x200", withPeHeaderAt(0x200), true, 0x200 + 88},
        {"no MZ", changed(0, {'M', 'X'}), false, 0},
        {"no PE signature", changed(128, {'P', 'F'}), false, 0},
        {"unknown optional header", changed(152, {0x07, 0x01}), false, 0},
        {"header offset past the end", changed(0x3C, {0x00, 0x3C, 0x00, 0x00}), false, 0},
        {"header offset wraps around", changed(0x3C, {0xF0, 0xFF, 0xFF, 0xFF}), false, 0},
        {"header offset leaves no room for the field", changed(0x3C, {0xB0, 0x3B, 0x00, 0x00}), false, 0},
        {"image ends inside the DOS header", std::vector<uint8_t>(driver.begin(), driver.begin() + 0x3F),
         false, 0},
        {"image ends before the field", std::vector<uint8_t>(driver.begin(), driver.begin() + 219), false, 0},
        {"image ends with the field", std::vector<uint8_t>(driver.begin(), driver.begin() + 220), true, 216},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        size_t nOffset = 0;
        ASSERT_EQ(c.bFound, FindChecksumField(c.image.data(), c.image.size(), nOffset));
        if (c.bFound) {
            EXPECT_EQ(c.nOffset, nOffset);
        }
        // Whatever the header says, the checksum reads only the image (the
        // sanitizers catch a read past it).
        ComputeImageChecksum(c.image.data(), c.image.size());
    }
}

}  // namespace
