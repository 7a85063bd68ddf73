// The binding of the system's image checksum function: by full path in the
// system directory, never a library of that name beside the program. Its own
// program, so that no earlier test has the system's library loaded already.
#include <cstdlib>

#include "driverfile/ChecksumLibrary.h"
#include "driverfile/DriverFile.h"
#include "driverfile/PeImage.h"
#include "tests/support/DriverImage.h"
#include "tests/win32/driverfile/Win32DriverFiles.h"

namespace {

TEST(Win32ChecksumBindingTest, LibraryBesideTheProgramIsNotUsed) {
    // A library named like the checksum library lies beside the program, and
    // Wine is told to prefer such a file to its own, as Windows does. A load
    // by bare name then finds the impostor; the binding, loading by full
    // path, still finds the system's function.
    char szProgram[MAX_PATH];
    const DWORD cch = GetModuleFileNameA(nullptr, szProgram, MAX_PATH);
    ASSERT_GT(cch, 0u);
    std::string strImpostor(szProgram, cch);
    strImpostor = strImpostor.substr(0, strImpostor.find_last_of('\\') + 1) + "imagehlp.dll";
    // A library of our own without CheckSumMappedFile (built with the tests).
    const char* pszImpostor = std::getenv("LINTRA_IMPOSTOR_LIBRARY");
    if (pszImpostor == nullptr || *pszImpostor == '\0') GTEST_SKIP() << "no impostor library named";
    std::string strSource = std::string("Z:") + pszImpostor;
    for (char& ch : strSource) ch = ch == '/' ? '\\' : ch;
    ASSERT_TRUE(CopyFileA(strSource.c_str(), strImpostor.c_str(), FALSE))
        << strSource << ": " << LastErrorText();

    HMODULE hPlain = LoadLibraryA("imagehlp.dll");
    const bool bPlainFindsImpostor =
        hPlain != nullptr && GetProcAddress(hPlain, "CheckSumMappedFile") == nullptr;
    if (hPlain != nullptr) FreeLibrary(hPlain);

    std::vector<uint8_t> image = MakeDriverImage();
    const bool bUpdated = UpdateImageChecksum(image.data(), static_cast<uint32_t>(image.size()));

    DeleteFileA(strImpostor.c_str());

    ASSERT_TRUE(bPlainFindsImpostor) << "the impostor is not found by name here; the case shows nothing";
    EXPECT_TRUE(bUpdated);
    EXPECT_EQ(ComputeImageChecksum(image.data(), image.size()), StoredChecksum(image));
}

}  // namespace
