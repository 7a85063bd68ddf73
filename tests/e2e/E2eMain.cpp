// Entry of the end-to-end test program: GoogleTest takes its own flags, the
// rest name the programs under test (unix paths from CMake, reached through Z:).
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "tests/e2e/ToolHarness.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    e2e::SE2eArgs& args = e2e::E2eArgs();
    const struct {
        const char* pszFlag;
        std::string* pstrValue;
    } flags[] = {
        {"--tool=", &args.strTool}, {"--sleeper=", &args.strSleeper}, {"--product=", &args.strProduct}};
    for (int i = 1; i < argc; ++i) {
        bool bKnown = false;
        for (const auto& flag : flags) {
            if (strncmp(argv[i], flag.pszFlag, strlen(flag.pszFlag)) == 0) {
                *flag.pstrValue = e2e::ToWindowsPath(argv[i] + strlen(flag.pszFlag));
                bKnown = true;
            }
        }
        if (!bKnown) {
            fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
