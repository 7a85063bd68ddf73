#include <windows.h>

#include <gtest/gtest.h>

#include "strings/AnsiText.h"

namespace {

TEST(SystemCodePage, ConvertsDeviceNamesThroughTheThreadCodePage) {
    std::string narrow;
    ASSERT_TRUE(AnsiCodePage().WideToNarrow(u"\\Device\\Serial0", narrow));
    EXPECT_EQ("\\Device\\Serial0", narrow);
    ASSERT_TRUE(AnsiCodePage().WideToNarrow(u"", narrow));
    EXPECT_EQ("", narrow);
}

TEST(SystemCodePage, FoldsLettersOfTheCodePage) {
    EXPECT_TRUE(TextEqualsNoCase("step5v7.exe", "STEP5V7.EXE"));
    EXPECT_FALSE(TextEqualsNoCase("step5v7.exe", "STEP5V7.EX_"));
    if (GetACP() == 1252) {
        EXPECT_TRUE(TextEqualsNoCase("\xe4", "\xc4")) << "a-umlaut and A-umlaut in code page 1252";
        // Western code pages have no lead bytes.
        EXPECT_FALSE(AnsiCodePage().IsLeadByte(0x83));
    }
}

}  // namespace
