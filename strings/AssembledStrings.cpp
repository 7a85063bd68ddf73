// Assembles the constant texts from one character table at start-up.
#include "strings/AssembledStrings.h"

#include <iterator>

namespace {

// The table is written in two halves; every index below lies in 0 to 85.
const char kTable[kAssemblyTableSize + 1] =
    "s-}~Qpe=qm]HWFRPl4;d3VZ),kh%^C1Jua_#TYrL9oi"
    "M{S[.y\\!:A26c5nIEz&KxXj0bB(N@w*8vOUGf7D$tg+";

static_assert(sizeof(kTable) == kAssemblyTableSize + 1, "the table holds 86 characters");

char s_szDriverDirSuffix[8 + 1] = "\\\0\0\0\0\0\0\0";
const SAssembledChar kDriverDirSuffix[] = {{7, 0}, {6, 38}, {2, 38}, {1, 19}, {5, 6}, {4, 75}, {3, 42}};
char s_szStep5ModuleName[11 + 1] = {};
const SAssembledChar kStep5ModuleName[] = {{0, 45}, {5, 21}, {4, 56}, {10, 59}, {8, 59}, {7, 47}, {6, 80}, {1, 36}, {3, 15}, {9, 64}, {2, 59}};
char s_szChecksumLibraryName[12 + 1] = {};
const SAssembledChar kChecksumLibraryName[] = {{11, 16}, {9, 19}, {10, 16}, {3, 84}, {0, 42}, {2, 33}, {6, 16}, {5, 26}, {1, 9}, {7, 5}, {4, 6}, {8, 47}};
char s_szChecksumFunctionName[18 + 1] = {};
const SAssembledChar kChecksumFunctionName[] = {{17, 6}, {3, 55}, {6, 32}, {7, 9}, {0, 29}, {9, 33}, {13, 19}, {12, 6}, {15, 42}, {1, 26}, {8, 43}, {4, 25}, {5, 45}, {2, 6}, {14, 13}, {11, 5}, {16, 16}, {10, 5}};
char s_szDriverBaseName[7 + 1] = {};
const SAssembledChar kDriverBaseName[] = {{6, 30}, {5, 30}, {2, 52}, {4, 56}, {0, 45}, {1, 56}, {3, 45}};
char s_szDriverExtension[3 + 1] = {};
const SAssembledChar kDriverExtension[] = {{1, 48}, {2, 0}, {0, 0}};
char s_szBackupExtension[3 + 1] = {};
const SAssembledChar kBackupExtension[] = {{0, 67}, {1, 33}, {2, 25}};
char s_szSpareExtension[3 + 1] = {};
const SAssembledChar kSpareExtension[] = {{0, 41}, {2, 84}, {1, 38}};
char s_szDefaultDeviceNamePrefix[14 + 1] = "\\\0\0\0\0\0\0\0\0\0\0\0\0\0";
const SAssembledChar kDefaultDeviceNamePrefix[] = {{9, 6}, {4, 42}, {12, 33}, {5, 55}, {6, 6}, {2, 6}, {13, 16}, {8, 45}, {10, 38}, {1, 81}, {3, 75}, {7, 49}, {11, 42}};
char s_szPortPreset1[15 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kPortPreset1[] = {{5, 55}, {9, 6}, {11, 42}, {14, 66}, {10, 38}, {4, 42}, {12, 33}, {1, 81}, {13, 16}, {6, 6}, {8, 45}, {3, 75}, {2, 6}};
char s_szPortPreset2[15 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kPortPreset2[] = {{8, 45}, {14, 30}, {1, 81}, {2, 6}, {11, 42}, {4, 42}, {3, 75}, {5, 55}, {12, 33}, {6, 6}, {13, 16}, {9, 6}, {10, 38}};
char s_szPortPreset3[15 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kPortPreset3[] = {{14, 53}, {2, 6}, {8, 45}, {5, 55}, {11, 42}, {4, 42}, {1, 81}, {13, 16}, {6, 6}, {9, 6}, {12, 33}, {3, 75}, {10, 38}};
char s_szPortPreset4[15 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kPortPreset4[] = {{14, 20}, {8, 45}, {2, 6}, {4, 42}, {3, 75}, {9, 6}, {10, 38}, {6, 6}, {5, 55}, {1, 81}, {12, 33}, {11, 42}, {13, 16}};
char s_szEnumDeviceNameA[15 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kEnumDeviceNameA[] = {{10, 15}, {4, 42}, {2, 6}, {8, 15}, {14, 30}, {13, 66}, {5, 55}, {9, 70}, {1, 81}, {11, 66}, {3, 75}, {12, 56}, {6, 6}};
char s_szEnumKeyA[13 + 1] = "\\\0\0\0\0\\\0\0\0\0\0\0\0";
const SAssembledChar kEnumKeyA[] = {{9, 66}, {2, 29}, {1, 52}, {8, 15}, {4, 58}, {3, 15}, {12, 30}, {6, 15}, {11, 66}, {7, 70}, {10, 56}};
char s_szEnumKeyB[20 + 1] = "\\\0\0\0\0\\\0\0\0\0\0\0\0\0\0\0\0\0\0\0";
const SAssembledChar kEnumKeyB[] = {{1, 14}, {15, 6}, {18, 33}, {14, 45}, {19, 16}, {11, 38}, {16, 38}, {8, 16}, {2, 41}, {17, 42}, {9, 25}, {7, 6}, {4, 83}, {3, 41}, {10, 41}, {6, 21}, {12, 45}, {13, 56}};
char s_szEnumDeviceNameB[14 + 1] = "\\\0\0\0\0\0\0\\\0\0\0\0\0\0";
const SAssembledChar kEnumDeviceNameB[] = {{11, 6}, {12, 9}, {10, 19}, {8, 43}, {2, 6}, {6, 6}, {5, 55}, {9, 41}, {3, 75}, {4, 42}, {1, 81}, {13, 66}};
// Sets each assembled position of one buffer from the table. The
// terminating zero and the initial characters are already in the buffer.
struct CAssembler {
    template <std::size_t N, std::size_t M>
    CAssembler(char (&szBuffer)[N], const SAssembledChar (&chars)[M]) {
        for (const SAssembledChar& c : chars) szBuffer[c.nPosition] = kTable[c.nTableIndex];
    }
};

// One start-up routine per constant, run in this order during static
// initialisation of this file.
const CAssembler s_assembleDriverDirSuffix(s_szDriverDirSuffix, kDriverDirSuffix);
const CAssembler s_assembleStep5ModuleName(s_szStep5ModuleName, kStep5ModuleName);
const CAssembler s_assembleChecksumLibraryName(s_szChecksumLibraryName, kChecksumLibraryName);
const CAssembler s_assembleChecksumFunctionName(s_szChecksumFunctionName, kChecksumFunctionName);
const CAssembler s_assembleDriverBaseName(s_szDriverBaseName, kDriverBaseName);
const CAssembler s_assembleDriverExtension(s_szDriverExtension, kDriverExtension);
const CAssembler s_assembleBackupExtension(s_szBackupExtension, kBackupExtension);
const CAssembler s_assembleSpareExtension(s_szSpareExtension, kSpareExtension);
const CAssembler s_assembleDefaultDeviceNamePrefix(s_szDefaultDeviceNamePrefix, kDefaultDeviceNamePrefix);
const CAssembler s_assemblePortPreset1(s_szPortPreset1, kPortPreset1);
const CAssembler s_assemblePortPreset2(s_szPortPreset2, kPortPreset2);
const CAssembler s_assemblePortPreset3(s_szPortPreset3, kPortPreset3);
const CAssembler s_assemblePortPreset4(s_szPortPreset4, kPortPreset4);
const CAssembler s_assembleEnumDeviceNameA(s_szEnumDeviceNameA, kEnumDeviceNameA);
const CAssembler s_assembleEnumKeyA(s_szEnumKeyA, kEnumKeyA);
const CAssembler s_assembleEnumKeyB(s_szEnumKeyB, kEnumKeyB);
const CAssembler s_assembleEnumDeviceNameB(s_szEnumDeviceNameB, kEnumDeviceNameB);

}  // namespace

const char* const DriverDirSuffix = s_szDriverDirSuffix;
const char* const Step5ModuleName = s_szStep5ModuleName;
const char* const ChecksumLibraryName = s_szChecksumLibraryName;
const char* const ChecksumFunctionName = s_szChecksumFunctionName;
const char* const DriverBaseName = s_szDriverBaseName;
const char* const DriverExtension = s_szDriverExtension;
const char* const BackupExtension = s_szBackupExtension;
const char* const SpareExtension = s_szSpareExtension;
const char* const DefaultDeviceNamePrefix = s_szDefaultDeviceNamePrefix;
const char* const PortPreset1 = s_szPortPreset1;
const char* const PortPreset2 = s_szPortPreset2;
const char* const PortPreset3 = s_szPortPreset3;
const char* const PortPreset4 = s_szPortPreset4;
const char* const EnumDeviceNameA = s_szEnumDeviceNameA;
const char* const EnumKeyA = s_szEnumKeyA;
const char* const EnumKeyB = s_szEnumKeyB;
const char* const EnumDeviceNameB = s_szEnumDeviceNameB;

const char* const g_pszAssemblyTable = kTable;

const SAssembledString g_AssembledStrings[kAssembledStringCount] = {
    {"DriverDirSuffix", s_szDriverDirSuffix, 8, 0x1u, kDriverDirSuffix, std::size(kDriverDirSuffix)},
    {"Step5ModuleName", s_szStep5ModuleName, 11, 0x0u, kStep5ModuleName, std::size(kStep5ModuleName)},
    {"ChecksumLibraryName", s_szChecksumLibraryName, 12, 0x0u, kChecksumLibraryName, std::size(kChecksumLibraryName)},
    {"ChecksumFunctionName", s_szChecksumFunctionName, 18, 0x0u, kChecksumFunctionName, std::size(kChecksumFunctionName)},
    {"DriverBaseName", s_szDriverBaseName, 7, 0x0u, kDriverBaseName, std::size(kDriverBaseName)},
    {"DriverExtension", s_szDriverExtension, 3, 0x0u, kDriverExtension, std::size(kDriverExtension)},
    {"BackupExtension", s_szBackupExtension, 3, 0x0u, kBackupExtension, std::size(kBackupExtension)},
    {"SpareExtension", s_szSpareExtension, 3, 0x0u, kSpareExtension, std::size(kSpareExtension)},
    {"DefaultDeviceNamePrefix", s_szDefaultDeviceNamePrefix, 14, 0x1u, kDefaultDeviceNamePrefix, std::size(kDefaultDeviceNamePrefix)},
    {"PortPreset1", s_szPortPreset1, 15, 0x81u, kPortPreset1, std::size(kPortPreset1)},
    {"PortPreset2", s_szPortPreset2, 15, 0x81u, kPortPreset2, std::size(kPortPreset2)},
    {"PortPreset3", s_szPortPreset3, 15, 0x81u, kPortPreset3, std::size(kPortPreset3)},
    {"PortPreset4", s_szPortPreset4, 15, 0x81u, kPortPreset4, std::size(kPortPreset4)},
    {"EnumDeviceNameA", s_szEnumDeviceNameA, 15, 0x81u, kEnumDeviceNameA, std::size(kEnumDeviceNameA)},
    {"EnumKeyA", s_szEnumKeyA, 13, 0x21u, kEnumKeyA, std::size(kEnumKeyA)},
    {"EnumKeyB", s_szEnumKeyB, 20, 0x21u, kEnumKeyB, std::size(kEnumKeyB)},
    {"EnumDeviceNameB", s_szEnumDeviceNameB, 14, 0x81u, kEnumDeviceNameB, std::size(kEnumDeviceNameB)},
};
