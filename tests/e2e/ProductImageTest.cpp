// Static check of the built executables: the i686 product in dist/ and the
// x86_64 build the end-to-end tests run. Both must be GUI programs with ASLR
// and DEP, carry a manifest asking for administrator rights and a version
// resource, and import only from the classic system libraries, so that they
// run on a bare Windows without any MinGW runtime DLL beside them.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/PeFacts.h"
#include "tests/e2e/ToolHarness.h"

namespace e2e {
namespace {

const char* const kAllowedImports[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                       "comctl32.dll", "shlwapi.dll", "shell32.dll", "msvcrt.dll"};

std::string Lower(std::string str) {
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char c) { return std::tolower(c); });
    return str;
}

struct SImageCase {
    const char* pszName;
    std::string SE2eArgs::*pPath;
    uint16_t wMachine;
    bool bPe32Plus;
    const char* pszMissingHint;
};
void PrintTo(const SImageCase& c, std::ostream* os) { *os << c.pszName; }

class CProductImageTest : public ::testing::TestWithParam<SImageCase> {};

TEST_P(CProductImageTest, IsAStaticGuiProgramWithManifestAndVersion) {
    const SImageCase& c = GetParam();
    const std::string& strPath = E2eArgs().*c.pPath;
    ASSERT_FALSE(strPath.empty()) << "the test program was given no path for " << c.pszName;
    std::vector<uint8_t> file;
    ASSERT_TRUE(ReadWholeFile(strPath, file) && !file.empty())
        << c.pszName << " is missing at " << strPath << " (" << c.pszMissingHint << ")";
    SPeFacts facts;
    std::string strError;
    ASSERT_TRUE(ReadPeFacts(file, facts, strError)) << strPath << ": " << strError;

    EXPECT_EQ(facts.wMachine, c.wMachine) << "machine type";
    EXPECT_EQ(facts.bPe32Plus, c.bPe32Plus) << "optional header format";
    EXPECT_EQ(facts.wSubsystem, kSubsystemWindowsGui) << "subsystem";
    EXPECT_TRUE(facts.wDllCharacteristics & kDllCharDynamicBase) << "not linked with --dynamicbase";
    EXPECT_TRUE(facts.wDllCharacteristics & kDllCharNxCompat) << "not linked with --nxcompat";

    EXPECT_FALSE(facts.arImports.empty()) << "no import table";
    for (const std::string& strImport : facts.arImports) {
        const bool bAllowed = std::find(std::begin(kAllowedImports), std::end(kAllowedImports),
                                        Lower(strImport)) != std::end(kAllowedImports);
        EXPECT_TRUE(bAllowed) << "imports from " << strImport;
    }

    const std::vector<std::string>& arManifests = facts.mapResources[kResourceTypeManifest];
    EXPECT_EQ(arManifests.size(), 1u) << "manifest resources";
    for (const std::string& strManifest : arManifests) {
        EXPECT_NE(strManifest.find("requireAdministrator"), std::string::npos) << strManifest;
    }
    EXPECT_EQ(facts.mapResources[kResourceTypeVersion].size(), 1u) << "version resources";
}

const SImageCase kImageCases[] = {
    {"Product", &SE2eArgs::strProduct, kMachineI386, false, "built by make build, preset mingw"},
    {"TestBuild", &SE2eArgs::strTool, kMachineAmd64, true, "built in this tree as target LintraConfig"},
};
INSTANTIATE_TEST_SUITE_P(Executables, CProductImageTest, ::testing::ValuesIn(kImageCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

}  // namespace
}  // namespace e2e
