#include "strings/AssembledStrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

// name, value the program relies on (from the design's table)
const std::pair<const char*, const char*> kExpected[kAssembledStringCount] = {
    {"DriverDirSuffix", "\\drivers"},
    {"Step5ModuleName", "STEP5V7.EXE"},
    {"ChecksumLibraryName", "imagehlp.dll"},
    {"ChecksumFunctionName", "CheckSumMappedFile"},
    {"DriverBaseName", "S5AS511"},
    {"DriverExtension", "sys"},
    {"BackupExtension", "bak"},
    {"SpareExtension", "org"},
    {"DefaultDeviceNamePrefix", "\\Device\\Serial"},
    {"PortPreset1", "\\Device\\Serial0"},
    {"PortPreset2", "\\Device\\Serial1"},
    {"PortPreset3", "\\Device\\Serial2"},
    {"PortPreset4", "\\Device\\Serial3"},
    {"EnumDeviceNameA", "\\Device\\PNP0501"},
    {"EnumKeyA", "\\ACPI\\PNP0501"},
    {"EnumKeyB", "\\Root\\VelkorS5Serial"},
    {"EnumDeviceNameB", "\\Device\\Modem0"},
};

// name, positions that the buffer holds before assembling
const std::pair<const char*, std::set<unsigned>> kPresent[] = {
    {"DriverDirSuffix", {0}},         {"DefaultDeviceNamePrefix", {0}}, {"PortPreset1", {0, 7}},
    {"PortPreset2", {0, 7}},          {"PortPreset3", {0, 7}},          {"PortPreset4", {0, 7}},
    {"EnumDeviceNameA", {0, 7}},      {"EnumKeyA", {0, 5}},             {"EnumKeyB", {0, 5}},
    {"EnumDeviceNameB", {0, 7}},
};

std::set<unsigned> PresentPositions(const std::string& name) {
    for (const auto& entry : kPresent)
        if (name == entry.first) return entry.second;
    return {};
}

TEST(AssembledStrings, ValuesAndLengthsInAssemblyOrder) {
    for (std::size_t i = 0; i < kAssembledStringCount; ++i) {
        const SAssembledString& s = g_AssembledStrings[i];
        SCOPED_TRACE(s.pszName);
        EXPECT_STREQ(kExpected[i].first, s.pszName);
        EXPECT_STREQ(kExpected[i].second, s.pszText);
        EXPECT_EQ(std::strlen(kExpected[i].second), s.nLength);
        EXPECT_EQ(s.nLength, std::strlen(s.pszText));
    }
}

TEST(AssembledStrings, PublicNamesPointAtTheAssembledBuffers) {
    const char* const names[] = {DriverDirSuffix, Step5ModuleName, ChecksumLibraryName, ChecksumFunctionName,
                                 DriverBaseName,  DriverExtension, BackupExtension,     SpareExtension,
                                 DefaultDeviceNamePrefix, PortPreset1, PortPreset2,     PortPreset3,
                                 PortPreset4,     EnumDeviceNameA, EnumKeyA,            EnumKeyB,
                                 EnumDeviceNameB};
    for (std::size_t i = 0; i < kAssembledStringCount; ++i) {
        SCOPED_TRACE(g_AssembledStrings[i].pszName);
        EXPECT_EQ(g_AssembledStrings[i].pszText, names[i]);
    }
}

TEST(AssembledStrings, InitialCharactersAndAssembledPositionsCoverEachStringOnce) {
    for (std::size_t i = 0; i < kAssembledStringCount; ++i) {
        const SAssembledString& s = g_AssembledStrings[i];
        SCOPED_TRACE(s.pszName);
        const std::set<unsigned> present = PresentPositions(s.pszName);
        std::set<unsigned> present_in_mask;
        for (unsigned p = 0; p < 32; ++p)
            if (s.nPresentMask & (1ul << p)) present_in_mask.insert(p);
        EXPECT_EQ(present, present_in_mask);

        std::set<unsigned> assembled;
        for (std::size_t k = 0; k < s.nChars; ++k) {
            const SAssembledChar& c = s.pChars[k];
            EXPECT_LT(c.nTableIndex, kAssemblyTableSize);
            EXPECT_LT(c.nPosition, s.nLength);
            EXPECT_TRUE(assembled.insert(c.nPosition).second) << "position " << unsigned(c.nPosition) << " twice";
            EXPECT_EQ(0u, present.count(c.nPosition)) << "position " << unsigned(c.nPosition) << " is initial";
            EXPECT_EQ(g_pszAssemblyTable[c.nTableIndex], s.pszText[c.nPosition]);
        }
        EXPECT_EQ(s.nLength, assembled.size() + present.size());
    }
}

TEST(AssembledStrings, TableHoldsEightySixCharacters) {
    EXPECT_EQ(kAssemblyTableSize, std::strlen(g_pszAssemblyTable));
    // No assembled text appears whole in the table, which is why it exists.
    for (std::size_t i = 0; i < kAssembledStringCount; ++i)
        EXPECT_EQ(nullptr, std::strstr(g_pszAssemblyTable, g_AssembledStrings[i].pszText)) << g_AssembledStrings[i].pszName;
}

}  // namespace
