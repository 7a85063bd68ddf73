#include "strings/AnsiText.h"

#include <gtest/gtest.h>

#include "tests/support/FakeCodePage.h"

namespace {

class AnsiTextTest : public ::testing::Test {
protected:
    void TearDown() override { SetAnsiCodePage(nullptr); }
};

TEST_F(AnsiTextTest, EqualityIsExactAndCaseSensitive) {
    // a, b, equal
    const struct { const char* a; const char* b; bool equal; } cases[] = {
        {"COM5", "COM5", true}, {"COM5", "com5", false}, {"COM5", "COM5 ", false}, {"", "", true}, {"", "A", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + "|" + c.b);
        EXPECT_EQ(c.equal, TextEquals(c.a, c.b));
    }
}

TEST_F(AnsiTextTest, NoCaseComparisonFoldsSingleBytesOnly) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    // a, b, equal without regard to case
    const struct { const char* a; const char* b; bool equal; } cases[] = {
        {"STEP5V7.EXE", "step5v7.exe", true},
        {"STEP5V7.EXE", "STEP5V7.EX", false},
        {"STEP5V7.EXE", "XSTEP5V7.EXE", false},
        {"", "", true},
        // 0x83 0x61 is one double-byte character; its trail byte is not folded.
        {"\x83\x61.EXE", "\x83\x61.exe", true},
        {"\x83\x61.EXE", "\x83\x41.EXE", false},
        // A lead byte against two single bytes never matches.
        {"\x83\x61", "aa", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + "|" + c.b);
        EXPECT_EQ(c.equal, TextEqualsNoCase(c.a, c.b));
    }
}

TEST_F(AnsiTextTest, NextCharTakesDoubleByteCharactersWhole) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    const char text[] = "a\x83\\b\x83";  // a, a double-byte character with a trail byte 0x5C, b, a lone lead byte
    const char* p = text;
    p = NextAnsiChar(p);
    EXPECT_EQ(text + 1, p);
    p = NextAnsiChar(p);
    EXPECT_EQ(text + 3, p);
    p = NextAnsiChar(p);
    EXPECT_EQ(text + 4, p);
    p = NextAnsiChar(p);  // a lead byte before the terminator stands alone
    EXPECT_EQ(text + 5, p);
}

TEST_F(AnsiTextTest, PlainCodePageConvertsAsciiAndRefusesTheRest) {
    std::string narrow = "unchanged";
    const char16_t ascii[] = u"\\Device\\Serial0";
    EXPECT_TRUE(AnsiCodePage().WideToNarrow(ascii, narrow));
    EXPECT_EQ("\\Device\\Serial0", narrow);
    const char16_t wide[] = u"\u00e4x";
    narrow = "unchanged";
    EXPECT_FALSE(AnsiCodePage().WideToNarrow(wide, narrow));
    EXPECT_EQ("unchanged", narrow);
}

}  // namespace
