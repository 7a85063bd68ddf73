#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "inventory/CommEnum.h"
#include "inventory/PortLists.h"
#include "strings/AssembledStrings.h"
#include "tests/support/FakeCodePage.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/PortListLines.h"

namespace {

using namespace std::string_literals;

const char kMap[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
const char kBus[] = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
const std::string kEnum = "SYSTEM\\CurrentControlSet\\Enum";

std::string Repeat(char ch, size_t n) { return std::string(n, ch); }

/// Every test runs over its own fake registry and starts from empty lists.
/// Whatever a test does, every key opened must be closed again, exactly
/// once, and every buffer handed over must be prepared.
class CommEnumTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
        SetRegistryReader(&m_registry);
    }
    void TearDown() override {
        EXPECT_EQ(0, m_registry.GetOpenKeyCount()) << "keys left open";
        EXPECT_EQ(0, m_registry.GetBadCloseCount()) << "closes of keys that were not open";
        EXPECT_EQ(0, m_registry.GetUnpreparedBufferCount()) << "buffers not zeroed or not 128 bytes";
        SetRegistryReader(nullptr);
        SetAnsiCodePage(nullptr);
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
    }

    /// A device below FTDIBUS with its first instance; null leaves a value out.
    void AddBusDevice(const std::string& strKey, const char* pszFriendlyName, const char* pszPortName) {
        const std::string strInstance = std::string(kBus) + "\\" + strKey + "\\0000";
        m_registry.AddKey(strInstance);
        if (pszFriendlyName != nullptr) m_registry.SetString(strInstance, "FriendlyName", pszFriendlyName);
        if (pszPortName != nullptr)
            m_registry.SetString(strInstance + "\\Device Parameters", "PortName", pszPortName);
    }

    CFakeRegistry m_registry;
};

// ---- the serial-port map

struct SMapValue {
    std::string strName;
    std::uint32_t dwType;
    std::string strBytes;
};

TEST_F(CommEnumTest, SerialCommMapTakesStringValuesInOrderUpToTheFirstUnreadable) {
    const std::string s127 = Repeat('n', 127), s128 = Repeat('n', 128);
    const std::string d127 = Repeat('C', 127), d128 = Repeat('C', 128);
    const struct {
        const char* pszCase;
        std::vector<SMapValue> arValues;
        std::vector<std::string> arExpected;
    } cases[] = {
        {"two ports",
         {{"\\Device\\Serial0", 1, "COM1\0"s}, {"\\Device\\Serial1", 1, "COM2\0"s}},
         {"\\Device\\Serial0=COM1", "\\Device\\Serial1=COM2"}},
        {"values of every other type are skipped and reading goes on",
         {{"none", CFakeRegistry::kNone, "COM9\0"s},
          {"expand", CFakeRegistry::kExpandString, "COM9\0"s},
          {"\\Device\\Serial0", 1, "COM1\0"s},
          {"binary", CFakeRegistry::kBinary, "COM9"},
          {"dword", CFakeRegistry::kDword, "\x01\0\0\0"s},
          {"multi", CFakeRegistry::kMultiString, "COM9\0\0"s},
          {"qword", CFakeRegistry::kQword, "\x01\0\0\0\0\0\0\0"s},
          {"\\Device\\Serial1", 1, "COM2\0"s}},
         {"\\Device\\Serial0=COM1", "\\Device\\Serial1=COM2"}},
        {"empty data, with and without its zero",
         {{"\\Device\\A", 1, ""}, {"\\Device\\B", 1, "\0"s}},
         {"\\Device\\A=", "\\Device\\B="}},
        {"data up to its first zero", {{"\\Device\\A", 1, "COM1\0junk\0"s}}, {"\\Device\\A=COM1"}},
        {"an empty value name", {{"", 1, "COM1\0"s}}, {"=COM1"}},
        {"a name of 127 characters fits", {{s127, 1, "COM1\0"s}}, {s127 + "=COM1"}},
        {"a name of 128 characters ends the enumeration",
         {{"\\Device\\A", 1, "COM1\0"s}, {s128, 1, "COM2\0"s}, {"\\Device\\C", 1, "COM3\0"s}},
         {"\\Device\\A=COM1"}},
        {"127 characters of data and the zero fit",
         {{"\\Device\\A", 1, d127 + '\0'}},
         {"\\Device\\A=" + d127}},
        {"128 bytes of data without a zero fit and end at the buffer",
         {{"\\Device\\A", 1, d128}, {"\\Device\\B", 1, "COM2\0"s}},
         {"\\Device\\A=" + d128, "\\Device\\B=COM2"}},
        {"129 bytes of data end the enumeration",
         {{"\\Device\\A", 1, "COM1\0"s}, {"\\Device\\B", 1, d128 + '\0'}, {"\\Device\\C", 1, "COM3\0"s}},
         {"\\Device\\A=COM1"}},
        {"a long value of another type ends it too",
         {{"\\Device\\A", 1, "COM1\0"s},
          {"binary", CFakeRegistry::kBinary, Repeat('x', 200)},
          {"\\Device\\C", 1, "COM3\0"s}},
         {"\\Device\\A=COM1"}},
        {"duplicate port names are all kept",
         {{"\\Device\\A", 1, "COM1\0"s}, {"\\Device\\B", 1, "COM1\0"s}},
         {"\\Device\\A=COM1", "\\Device\\B=COM1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeRegistry registry;
        SetRegistryReader(&registry);
        g_arSerialComm.RemoveAll();
        for (const SMapValue& v : c.arValues) registry.SetValue(kMap, v.strName, v.dwType, v.strBytes);
        ReadSerialCommMap();
        EXPECT_EQ(c.arExpected, SerialPorts());
        EXPECT_EQ(0, registry.GetOpenKeyCount());
        EXPECT_EQ(1, registry.GetCloseCount());
        EXPECT_EQ(0, registry.GetUnpreparedBufferCount());
    }
    SetRegistryReader(&m_registry);
}

TEST_F(CommEnumTest, SerialCommMapThatCannotBeOpenedAddsNothing) {
    // a map that is absent; one that is refused; its parent refused
    for (int nCase = 0; nCase < 3; ++nCase) {
        SCOPED_TRACE(nCase);
        CFakeRegistry registry;
        SetRegistryReader(&registry);
        g_arSerialComm.RemoveAll();
        if (nCase == 0) registry.SetString("HARDWARE\\DEVICEMAP\\OTHER", "\\Device\\Serial0", "COM1");
        if (nCase >= 1) registry.SetString(kMap, "\\Device\\Serial0", "COM1");
        if (nCase == 1) registry.DenyOpen(kMap);
        if (nCase == 2) registry.DenyOpen("HARDWARE\\DEVICEMAP");  // refusing a parent refuses nothing below
        ReadSerialCommMap();
        EXPECT_EQ(nCase == 2 ? 1 : 0, g_arSerialComm.GetCount());
        EXPECT_EQ(0, registry.GetOpenKeyCount());
    }
    SetRegistryReader(&m_registry);
}

// ---- the adapter bus

TEST_F(CommEnumTest, BusDevicesGiveOneRecordEachWithTheirFirstInstance) {
    const struct {
        const char* pszCase;
        void (*Build)(CFakeRegistry&, const std::string& strDevice);
        std::string strFriendlyName;
        std::string strPortName;
    } cases[] = {
        {"friendly name and port name",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra Port A (COM5)");
             r.SetString(d + "\\0000\\Device Parameters", "PortName", "COM5");
         },
         "Lintra Port A (COM5)", "COM5"},
        {"the port name comes from Device Parameters, not from the friendly name",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra (COM9)");
             r.SetString(d + "\\0000\\Device Parameters", "PortName", "COM5");
         },
         "Lintra (COM9)", "COM5"},
        {"only an instance other than 0000",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0001", "FriendlyName", "Lintra (COM5)");
             r.SetString(d + "\\0001\\Device Parameters", "PortName", "COM5");
         },
         "", ""},
        {"no FriendlyName: the port name is not read",
         [](CFakeRegistry& r, const std::string& d) {
             r.AddKey(d + "\\0000");
             r.SetString(d + "\\0000\\Device Parameters", "PortName", "COM5");
         },
         "", ""},
        {"no Device Parameters",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra (COM5)");
         },
         "Lintra (COM5)", ""},
        {"Device Parameters without PortName",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra");
             r.SetString(d + "\\0000\\Device Parameters", "Other", "COM5");
         },
         "Lintra", ""},
        {"instance key refused",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra");
             r.DenyOpen(d + "\\0000");
         },
         "", ""},
        {"Device Parameters refused",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", "Lintra");
             r.SetString(d + "\\0000\\Device Parameters", "PortName", "COM5");
             r.DenyOpen(d + "\\0000\\Device Parameters");
         },
         "Lintra", ""},
        {"a friendly name of 128 bytes and its zero counts as missing",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", Repeat('F', 128));
             r.SetString(d + "\\0000\\Device Parameters", "PortName", "COM5");
         },
         "", ""},
        {"names at the limit and data without its zero",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetString(d + "\\0000", "FriendlyName", Repeat('F', 127));
             r.SetValue(d + "\\0000\\Device Parameters", "PortName", CFakeRegistry::kString,
                        Repeat('P', 128));
         },
         Repeat('F', 127), Repeat('P', 128)},
        {"values of other types are taken as text up to their first zero",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetValue(d + "\\0000", "FriendlyName", CFakeRegistry::kBinary, "Lintra\0x"s);
             r.SetValue(d + "\\0000\\Device Parameters", "PortName", CFakeRegistry::kExpandString, "COM5\0"s);
         },
         "Lintra", "COM5"},
        {"empty values",
         [](CFakeRegistry& r, const std::string& d) {
             r.SetValue(d + "\\0000", "FriendlyName", CFakeRegistry::kString, "");
             r.SetValue(d + "\\0000\\Device Parameters", "PortName", CFakeRegistry::kDword, "");
         },
         "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeRegistry registry;
        SetRegistryReader(&registry);
        g_arVirtualComm.RemoveAll();
        const std::string strDevice = std::string(kBus) + "\\VID_0403+PID_6001+A1";
        registry.AddKey(strDevice);
        c.Build(registry, strDevice);
        ReadFtdiBusPorts();
        ASSERT_EQ(1, g_arVirtualComm.GetCount());
        const SVirtualCommList& r = g_arVirtualComm.ElementAt(0);
        EXPECT_EQ("VID_0403+PID_6001+A1", r.strDeviceKey);
        EXPECT_EQ(c.strFriendlyName, r.strFriendlyName);
        EXPECT_EQ(c.strPortName, r.strPortName);
        EXPECT_EQ("", r.strDeviceName);
        EXPECT_FALSE(r.bFound);
        EXPECT_EQ(0, registry.GetOpenKeyCount());
        EXPECT_EQ(0, registry.GetUnpreparedBufferCount());
    }
    SetRegistryReader(&m_registry);
}

TEST_F(CommEnumTest, BusDevicesKeepTheirOrderUpToTheFirstNameThatDoesNotFit) {
    AddBusDevice("Zeta", "Z (COM3)", "COM3");
    AddBusDevice("Alpha", "A (COM1)", "COM1");
    AddBusDevice(Repeat('k', 127), "K (COM2)", "COM2");
    AddBusDevice(Repeat('l', 128), "L (COM4)", "COM4");
    AddBusDevice("After", "After (COM6)", "COM6");
    ReadFtdiBusPorts();
    EXPECT_EQ((std::vector<std::string>{"Zeta|COM3||Z (COM3)|0", "Alpha|COM1||A (COM1)|0",
                                        Repeat('k', 127) + "|COM2||K (COM2)|0"}),
              AdapterPorts());
}

TEST_F(CommEnumTest, BusThatCannotBeOpenedAddsNothing) {
    AddBusDevice("A", "A (COM1)", "COM1");
    m_registry.DenyOpen(kBus);
    ReadFtdiBusPorts();
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
    m_registry.AddKey("SYSTEM\\CurrentControlSet\\Enum\\USB\\A\\0000");
    CFakeRegistry empty;
    SetRegistryReader(&empty);
    ReadFtdiBusPorts();
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
    EXPECT_EQ(0, empty.GetOpenCount());
    SetRegistryReader(&m_registry);
}

// ---- the single-device paths

TEST_F(CommEnumTest, SingleDevicePathStoresOneRecordWithThePortNameOfItsFriendlyName) {
    const std::string strPathA = kEnum + EnumKeyA;
    const struct {
        const char* pszCase;
        const char* pszInstanceWritten;  // null: no instance key
        const char* pszFriendlyName;     // null: no FriendlyName value
        bool bPathKey;
        bool bStored;
        const char* pszPortName;
    } cases[] = {
        {"friendly name with the port in parentheses", "0000", "Onboard (COM7)", true, true, "COM7"},
        {"friendly name without parentheses", "0000", "Onboard", true, true, ""},
        {"empty friendly name", "0000", "", true, true, ""},
        {"no FriendlyName", "0000", nullptr, true, false, ""},
        {"another instance only", "0001", "Onboard (COM7)", true, false, ""},
        {"no instance key", nullptr, nullptr, true, false, ""},
        {"no path key", nullptr, nullptr, false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeRegistry registry;
        SetRegistryReader(&registry);
        g_arVirtualComm.RemoveAll();
        g_arVirtualComm.Append().strDeviceKey = "earlier";
        if (c.bPathKey) registry.AddKey(strPathA);
        if (c.pszInstanceWritten != nullptr) {
            registry.AddKey(strPathA + "\\" + c.pszInstanceWritten);
            if (c.pszFriendlyName != nullptr)
                registry.SetString(strPathA + "\\" + c.pszInstanceWritten, "FriendlyName", c.pszFriendlyName);
        }
        ReadEnumPort(EnumKeyA, "0000", EnumDeviceNameA);
        if (c.bStored) {
            ASSERT_EQ(2, g_arVirtualComm.GetCount());
            EXPECT_EQ(std::string(EnumDeviceNameA) + "|" + c.pszPortName + "||" + c.pszFriendlyName + "|0",
                      AdapterPorts()[1]);
        } else {
            EXPECT_EQ(1, g_arVirtualComm.GetCount());
        }
        EXPECT_EQ(0, registry.GetOpenKeyCount());
        EXPECT_EQ(0, registry.GetUnpreparedBufferCount());
    }
    SetRegistryReader(&m_registry);
}

TEST_F(CommEnumTest, SingleDevicePathRejectsNullArguments) {
    EXPECT_THROW(ReadEnumPort(nullptr, "0000", "key"), CInvalidArgException);
    EXPECT_THROW(ReadEnumPort(EnumKeyA, nullptr, "key"), CInvalidArgException);
    EXPECT_THROW(ReadEnumPort(EnumKeyA, "0000", nullptr), CInvalidArgException);
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
}

// ---- the whole build

TEST_F(CommEnumTest, BuildReadsBusThenPathAThenPathBAndMatchesThem) {
    m_registry.SetString(kMap, "\\Device\\Serial0", "COM1");
    m_registry.SetString(kMap, "\\Device\\VCP0", "COM5");
    m_registry.SetString(kMap, "\\Device\\VCP1", "COM6");
    m_registry.SetString(kMap, "\\Device\\PathA", "COM7");
    m_registry.SetString(kMap, "\\Device\\PathB", "COM8");
    AddBusDevice("Dev2", "Lintra B (COM6)", "COM6");
    AddBusDevice("Dev1", "Lintra A (COM5)", "COM5");
    const std::string strPathA = kEnum + EnumKeyA, strPathB = kEnum + EnumKeyB;
    m_registry.SetString(strPathA + "\\0000", "FriendlyName", "Onboard (COM7)");
    // Path B is read at its instance 0002; its 0000 names another port.
    m_registry.SetString(strPathB + "\\0000", "FriendlyName", "Wrong (COM1)");
    m_registry.SetString(strPathB + "\\0002", "FriendlyName", "Virtual (COM8)");

    EnumerateCommPorts();

    EXPECT_EQ(
        (std::vector<std::string>{"\\Device\\Serial0=COM1", "\\Device\\VCP0=COM5", "\\Device\\VCP1=COM6",
                                  "\\Device\\PathA=COM7", "\\Device\\PathB=COM8"}),
        SerialPorts());
    EXPECT_EQ((std::vector<std::string>{
                  "Dev2|COM6|\\Device\\VCP1|Lintra B (COM6)|1",
                  "Dev1|COM5|\\Device\\VCP0|Lintra A (COM5)|1",
                  std::string(EnumDeviceNameA) + "|COM7|\\Device\\PathA|Onboard (COM7)|1",
                  std::string(EnumKeyB) + "|COM8|\\Device\\PathB|Virtual (COM8)|1",
              }),
              AdapterPorts());
}

TEST_F(CommEnumTest, MatchingTakesTheFirstEqualPortNameAndPrunesTheRest) {
    const struct {
        const char* pszCase;
        std::vector<std::pair<std::string, std::string>> arMap;      // device name, port name
        std::vector<std::pair<std::string, std::string>> arDevices;  // device key, port name
        std::vector<std::string> arExpected;                         // "key|device name"
    } cases[] = {
        {"the first of two serial records with the same port name",
         {{"\\Device\\First", "COM5"}, {"\\Device\\Second", "COM5"}},
         {{"D", "COM5"}},
         {"D|\\Device\\First"}},
        {"letter case counts", {{"\\Device\\A", "com5"}}, {{"D", "COM5"}}, {}},
        {"no trimming", {{"\\Device\\A", "COM5 "}}, {{"D", "COM5"}}, {}},
        {"pruning keeps the order of the rest",
         {{"\\Device\\A", "COM1"}, {"\\Device\\C", "COM3"}, {"\\Device\\E", "COM5"}},
         {{"A", "COM1"}, {"B", "COM2"}, {"C", "COM3"}, {"D", "COM4"}, {"E", "COM5"}},
         {"A|\\Device\\A", "C|\\Device\\C", "E|\\Device\\E"}},
        {"an empty port name is pruned",
         {{"\\Device\\A", "COM1"}},
         {{"A", ""}, {"B", "COM1"}},
         {"B|\\Device\\A"}},
        {"an empty port name stays when the map holds empty data",
         {{"\\Device\\A", "COM1"}, {"\\Device\\Empty", ""}},
         {{"A", ""}, {"B", "COM1"}},
         {"A|\\Device\\Empty", "B|\\Device\\A"}},
        {"two devices on one port both stay",
         {{"\\Device\\A", "COM1"}},
         {{"A", "COM1"}, {"B", "COM1"}},
         {"A|\\Device\\A", "B|\\Device\\A"}},
        {"no adapter port in the map", {{"\\Device\\A", "COM1"}}, {{"A", "COM2"}}, {}},
        {"no serial-port map at all", {}, {{"A", "COM1"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CFakeRegistry registry;
        SetRegistryReader(&registry);
        g_arSerialComm.RemoveAll();
        g_arVirtualComm.RemoveAll();
        for (const auto& v : c.arMap) registry.SetString(kMap, v.first, v.second);
        for (const auto& d : c.arDevices) {
            const std::string strInstance = std::string(kBus) + "\\" + d.first + "\\0000";
            registry.SetString(strInstance, "FriendlyName", "Lintra " + d.first);
            registry.SetString(strInstance + "\\Device Parameters", "PortName", d.second);
        }
        EnumerateCommPorts();
        EXPECT_EQ(static_cast<int>(c.arMap.size()), g_arSerialComm.GetCount());
        std::vector<std::string> arActual;
        for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
            const SVirtualCommList& r = g_arVirtualComm.ElementAt(i);
            EXPECT_TRUE(r.bFound);
            arActual.push_back(r.strDeviceKey + "|" + r.strDeviceName);
        }
        EXPECT_EQ(c.arExpected, arActual);
        EXPECT_EQ(0, registry.GetOpenKeyCount());
    }
    SetRegistryReader(&m_registry);
}

TEST_F(CommEnumTest, SamePortUnderTheBusAndAPathGivesTwoRecords) {
    m_registry.SetString(kMap, "\\Device\\Serial4", "COM4");
    AddBusDevice("Dev", "Lintra (COM4)", "COM4");
    m_registry.SetString(kEnum + EnumKeyA + "\\0000", "FriendlyName", "Onboard (COM4)");
    EnumerateCommPorts();
    EXPECT_EQ(
        (std::vector<std::string>{"Dev|COM4|\\Device\\Serial4|Lintra (COM4)|1",
                                  std::string(EnumDeviceNameA) + "|COM4|\\Device\\Serial4|Onboard (COM4)|1"}),
        AdapterPorts());
}

TEST_F(CommEnumTest, EmptyRegistryGivesEmptyLists) {
    EnumerateCommPorts();
    EXPECT_EQ(0, g_arSerialComm.GetCount());
    EXPECT_EQ(0, g_arVirtualComm.GetCount());
}

TEST_F(CommEnumTest, DoubleByteFriendlyNameOfAPath) {
    CFakeDoubleByteCodePage codePage;
    SetAnsiCodePage(&codePage);
    m_registry.SetString(kMap, "\\Device\\Serial3", "COM3");
    // A double-byte character whose trail byte is "(" comes before the real pair.
    m_registry.SetString(kEnum + EnumKeyB + "\\0002", "FriendlyName", "\x83(\x83) (COM3)");
    EnumerateCommPorts();
    EXPECT_EQ(std::vector<std::string>{std::string(EnumKeyB) + "|COM3|\\Device\\Serial3|\x83(\x83) (COM3)|1"},
              AdapterPorts());
}

// Whatever call fails or throws, the build ends normally or with the error,
// closes every key it opened, and leaves only matched adapter records.
TEST_F(CommEnumTest, EveryKeyIsClosedWhenAnyCallFailsOrThrows) {
    m_registry.SetString(kMap, "\\Device\\Serial0", "COM1");
    m_registry.SetString(kMap, "\\Device\\VCP0", "COM5");
    AddBusDevice("Dev1", "Lintra A (COM5)", "COM5");
    AddBusDevice("Dev2", "Lintra B (COM6)", "COM6");
    m_registry.SetString(kEnum + EnumKeyA + "\\0000", "FriendlyName", "Onboard (COM1)");
    m_registry.SetString(kEnum + EnumKeyB + "\\0002", "FriendlyName", "Virtual (COM5)");
    EnumerateCommPorts();
    const int nCalls = m_registry.GetCallCount();
    ASSERT_GT(nCalls, 10);
    EXPECT_EQ(m_registry.GetOpenCount(), m_registry.GetCloseCount());

    for (bool bThrow : {false, true}) {
        for (int nCall = 1; nCall <= nCalls; ++nCall) {
            SCOPED_TRACE((bThrow ? "throw at call " : "fail at call ") + std::to_string(nCall));
            g_arSerialComm.RemoveAll();
            g_arVirtualComm.RemoveAll();
            m_registry.ResetCounters();
            m_registry.FailCall(nCall, CFakeRegistry::kAccessDenied, bThrow);
            if (bThrow) {
                EXPECT_THROW(EnumerateCommPorts(), std::bad_alloc);
            } else {
                EnumerateCommPorts();
                for (int i = 0; i < g_arVirtualComm.GetCount(); ++i)
                    EXPECT_TRUE(g_arVirtualComm.ElementAt(i).bFound);
            }
            EXPECT_EQ(0, m_registry.GetOpenKeyCount());
            EXPECT_EQ(m_registry.GetOpenCount(), m_registry.GetCloseCount());
            EXPECT_EQ(0, m_registry.GetBadCloseCount());
        }
    }
}

// ---- the port-name rule

TEST_F(CommEnumTest, PortNameRule) {
    // friendly name, port name, with the double-byte code page
    const struct {
        const char* pszFriendlyName;
        const char* pszPortName;
        bool bDoubleByte;
    } cases[] = {
        {"Port A (COM7)", "COM7", false},
        {"Port A )COM7(", "", false},
        {"COM7) Port A", "COM7", false},
        {"Port (A) (COM7)", "A", false},
        {"Port A", "", false},
        {"", "", false},
        {"Port (COM7", "", false},
        {"()", "", false},
        {"(COM7)", "COM7", false},
        {")", "", false},
        {"(", "", false},
        {"a)b)c", "a", false},
        {"x((COM7))", "(COM7", false},
        // 0x83 is a lead byte only in the double-byte code page: there it takes
        // the "(" after it, which then is no parenthesis.
        {"\x83(COM7)", "COM7", false},
        {"\x83(COM7)", "\x83(COM7", true},
        {"Port \x83( (COM7)", "COM7", true},
        {"\x83)(COM7)", "COM7", true},
        {"(\x83\x40\x83\x41)", "\x83\x40\x83\x41", true},
        {"(COM7)\x83", "COM7", true},  // a lone lead byte at the end
        {"(COM7\x83)", "", true},      // the lead byte takes the ")"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pszFriendlyName) + (c.bDoubleByte ? " (double-byte)" : ""));
        CFakeDoubleByteCodePage codePage;
        SetAnsiCodePage(c.bDoubleByte ? &codePage : nullptr);
        EXPECT_EQ(c.pszPortName, PortNameFromFriendlyName(c.pszFriendlyName));
    }
}

}  // namespace
