// Our PE checksum against the system's imagehlp.dll and against the value
// the linker stored, on the PE files of the prefix and on patched images.
#include <cstdlib>
#include <iostream>

#include "driverfile/ChecksumLibrary.h"
#include "driverfile/PeImage.h"
#include "framework/SystemLibrary.h"
#include "tests/support/DriverImage.h"
#include "tests/win32/driverfile/Win32DriverFiles.h"

namespace {

typedef PIMAGE_NT_HEADERS(WINAPI* PfnCheckSumMappedFile)(PVOID, DWORD, PDWORD, PDWORD);

class Win32ChecksumTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hImagehlp = LoadSystemLibrary("imagehlp.dll");
        ASSERT_NE(nullptr, m_hImagehlp) << LastErrorText();
        m_pfnCheckSum = reinterpret_cast<PfnCheckSumMappedFile>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_hImagehlp, "CheckSumMappedFile")));
        ASSERT_NE(nullptr, m_pfnCheckSum);
    }
    void TearDown() override {
        if (m_hImagehlp != nullptr) FreeLibrary(m_hImagehlp);
    }

    /// The system's checksum of the image. Wine's function reads an odd
    /// last byte as a whole word, so it gets the zero byte it reads past
    /// the end.
    uint32_t SystemChecksum(const std::vector<uint8_t>& image) {
        std::vector<uint8_t> padded = image;
        padded.push_back(0);
        DWORD dwHeaderSum = 0;
        DWORD dwChecksum = 0;
        m_pfnCheckSum(padded.data(), static_cast<DWORD>(image.size()), &dwHeaderSum, &dwChecksum);
        return dwChecksum;
    }

    HMODULE m_hImagehlp = nullptr;
    PfnCheckSumMappedFile m_pfnCheckSum = nullptr;
};

std::string SystemDirectory() {
    char sz[MAX_PATH];
    const UINT cch = GetSystemDirectoryA(sz, MAX_PATH);
    return std::string(sz, cch);
}

/// The PE files of a directory, with the offset of their checksum field.
std::vector<std::string> PeFilesIn(const std::string& strPattern) {
    std::vector<std::string> paths;
    const std::string strDirectory = strPattern.substr(0, strPattern.find_last_of('\\') + 1);
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(strPattern.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE) return paths;
    do {
        paths.push_back(strDirectory + data.cFileName);
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return paths;
}

TEST_F(Win32ChecksumTest, AgreesWithSystemOnPrefixFiles) {
    const std::string strSystem = SystemDirectory();
    std::vector<std::string> paths = PeFilesIn(strSystem + "\\*.dll");
    for (const std::string& strPath : PeFilesIn(strSystem + "\\drivers\\*.sys")) paths.push_back(strPath);
    int nFiles = 0;
    int nStored = 0;
    int nStoredMatching = 0;
    for (const std::string& strPath : paths) {
        std::vector<uint8_t> image = ReadRealFile(strPath);
        size_t nField = 0;
        if (!FindChecksumField(image.data(), image.size(), nField)) continue;
        ++nFiles;
        const uint32_t dwOurs = ComputeImageChecksum(image.data(), image.size());
        EXPECT_EQ(SystemChecksum(image), dwOurs) << strPath << ", " << image.size() << " bytes";
        const uint32_t dwStored = ReadLe32(&image[nField]);
        if (dwStored != 0) ++nStored;
        if (dwStored != 0 && dwStored == dwOurs) ++nStoredMatching;
    }
    std::cout << "prefix PE files: " << nFiles << ", with a stored checksum: " << nStored
              << ", of which match their content: " << nStoredMatching << std::endl;
    RecordProperty("PrefixPeFiles", nFiles);
    RecordProperty("PrefixStoredChecksums", nStored);
    RecordProperty("PrefixStoredChecksumsMatching", nStoredMatching);
    EXPECT_GT(nFiles, 0);
}

TEST_F(Win32ChecksumTest, AgreesWithSystemAndLinkerOnLinkedFiles) {
    const char* pszList = std::getenv("LINTRA_LINKED_PE_FILES");
    if (pszList == nullptr || *pszList == '\0') GTEST_SKIP() << "no linked PE files named";
    std::vector<std::string> paths;
    std::string strList = pszList;
    for (size_t nStart = 0; nStart <= strList.size();) {
        size_t nEnd = strList.find('|', nStart);
        if (nEnd == std::string::npos) nEnd = strList.size();
        std::string strPath = "Z:" + strList.substr(nStart, nEnd - nStart);
        for (char& ch : strPath) ch = ch == '/' ? '\\' : ch;
        if (nEnd > nStart) paths.push_back(strPath);
        nStart = nEnd + 1;
    }
    int nPe32 = 0;
    int nPe32Plus = 0;
    for (const std::string& strPath : paths) {
        std::vector<uint8_t> image = ReadRealFile(strPath);
        size_t nField = 0;
        ASSERT_TRUE(FindChecksumField(image.data(), image.size(), nField)) << strPath;
        const uint32_t dwStored = ReadLe32(&image[nField]);
        if (dwStored == 0) continue;
        (ReadLe16(&image[nField - 64]) == 0x10B ? nPe32 : nPe32Plus)++;
        const uint32_t dwOurs = ComputeImageChecksum(image.data(), image.size());
        EXPECT_EQ(dwStored, dwOurs) << strPath;
        EXPECT_EQ(SystemChecksum(image), dwOurs) << strPath;
    }
    std::cout << "linked PE files with a stored checksum: " << nPe32 << " PE32, " << nPe32Plus << " PE32+"
              << std::endl;
    RecordProperty("LinkedPe32", nPe32);
    RecordProperty("LinkedPe32Plus", nPe32Plus);
    EXPECT_GT(nPe32 + nPe32Plus, 0);
}

TEST_F(Win32ChecksumTest, PatchedImagesGetTheSystemsChecksum) {
    // Through the real binding: imagehlp.dll from the system directory.
    // case seed, names written into the table
    const struct {
        uint32_t dwSeed;
        const char16_t* pszName;
    } cases[] = {
        {1, u"\\Device\\VCP0"},    {2, u"\\Device\\Serial16"}, {3, u""},
        {4, u"\\Device\\Serial0"}, {5, u"\\\u00ff"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dwSeed);
        SDriverImageOptions options;
        options.dwSeed = c.dwSeed;
        for (int i = 0; i < 4; ++i) options.astrFirstCopy[i] = options.astrSecondCopy[i] = c.pszName;
        std::vector<uint8_t> image = MakeDriverImage(options);
        // The system takes the synthetic image for a PE image: it finds its headers.
        DWORD dwHeaderSum = 0;
        DWORD dwChecksum = 0;
        EXPECT_EQ(reinterpret_cast<uint8_t*>(image.data()) + 128,
                  reinterpret_cast<uint8_t*>(m_pfnCheckSum(image.data(), static_cast<DWORD>(image.size()),
                                                           &dwHeaderSum, &dwChecksum)));
        EXPECT_EQ(options.dwChecksumField, dwHeaderSum);
        ASSERT_TRUE(UpdateImageChecksum(image.data(), static_cast<uint32_t>(image.size())));
        const uint32_t dwStored = StoredChecksum(image);
        EXPECT_EQ(ComputeImageChecksum(image.data(), image.size()), dwStored);
        EXPECT_EQ(SystemChecksum(image), dwStored);
        EXPECT_NE(0x13385u, dwStored);
    }
}

TEST(Win32ChecksumBindingTest, MissingLibraryOrFunctionIsNoBinding) {
    IChecksumLibraryLoader& loader = ChecksumLibraryLoader();
    EXPECT_EQ(nullptr, loader.Load("no-such-library-here.dll"));
    std::unique_ptr<ILoadedLibrary> kernel = loader.Load("kernel32.dll");
    ASSERT_NE(nullptr, kernel);
    EXPECT_FALSE(kernel->FindChecksumFunction("CheckSumMappedFile"));
    std::unique_ptr<ILoadedLibrary> imagehlp = loader.Load("imagehlp.dll");
    ASSERT_NE(nullptr, imagehlp);
    EXPECT_TRUE(imagehlp->FindChecksumFunction("CheckSumMappedFile"));
}

}  // namespace
