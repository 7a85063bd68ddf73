#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/PortLists.h"

namespace {

std::vector<std::string> Keys(const CPortList<SVirtualCommList>& list) {
    std::vector<std::string> arKeys;
    for (int i = 0; i < list.GetCount(); ++i) arKeys.push_back(list.ElementAt(i).strDeviceKey);
    return arKeys;
}

CPortList<SVirtualCommList> ListOf(const std::vector<std::string>& arKeys) {
    CPortList<SVirtualCommList> list;
    for (const std::string& strKey : arKeys) list.Append().strDeviceKey = strKey;
    return list;
}

void ExpectEmptyRecord(const SVirtualCommList& record) {
    EXPECT_EQ("", record.strDeviceKey);
    EXPECT_EQ("", record.strPortName);
    EXPECT_EQ("", record.strDeviceName);
    EXPECT_EQ("", record.strFriendlyName);
    EXPECT_FALSE(record.bFound);
}

TEST(PortList, NewRecordsAreEmpty) {
    ExpectEmptyRecord(SVirtualCommList());
    CPortList<SVirtualCommList> list;
    list.Append().bFound = true;  // a record that was used, then a new one after it
    ExpectEmptyRecord(list.Append());
    SSerialCommList serialPort;
    EXPECT_EQ("", serialPort.strDeviceName);
    EXPECT_EQ("", serialPort.strPortName);
}

TEST(PortList, AppendAddsAtTheEndAndGivesTheStoredRecord) {
    CPortList<SSerialCommList> list;
    EXPECT_EQ(0, list.GetCount());
    SSerialCommList& first = list.Append();
    first.strDeviceName = "\\Device\\Serial0";
    ASSERT_EQ(1, list.GetCount());
    EXPECT_EQ("\\Device\\Serial0", list.ElementAt(0).strDeviceName);
    list.Append().strDeviceName = "\\Device\\Serial1";
    ASSERT_EQ(2, list.GetCount());
    EXPECT_EQ("\\Device\\Serial0", list.ElementAt(0).strDeviceName);
    EXPECT_EQ("\\Device\\Serial1", list.ElementAt(1).strDeviceName);
}

TEST(PortList, StoreAtEndCopiesTheWholeRecord) {
    CPortList<SVirtualCommList> list = ListOf({"A"});
    SVirtualCommList record{"KEY", "COM7", "\\Device\\Serial7", "Port (COM7)", true};
    list.StoreAtEnd(record);
    record.strPortName = "COM8";  // the stored copy does not follow
    record.bFound = false;
    ASSERT_EQ(2, list.GetCount());
    const SVirtualCommList& stored = list.ElementAt(1);
    EXPECT_EQ("KEY", stored.strDeviceKey);
    EXPECT_EQ("COM7", stored.strPortName);
    EXPECT_EQ("\\Device\\Serial7", stored.strDeviceName);
    EXPECT_EQ("Port (COM7)", stored.strFriendlyName);
    EXPECT_TRUE(stored.bFound);
    // Writing through ElementAt changes the list's record.
    list.ElementAt(1).strFriendlyName = "Other";
    EXPECT_EQ("Other", list.ElementAt(1).strFriendlyName);
}

TEST(PortList, RemoveAtKeepsTheOrderOfTheOthers) {
    // position removed, remaining keys
    const struct {
        int nIndex;
        std::vector<std::string> arRemaining;
    } cases[] = {
        {0, {"B", "C"}},
        {1, {"A", "C"}},
        {2, {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nIndex);
        CPortList<SVirtualCommList> list = ListOf({"A", "B", "C"});
        list.RemoveAt(c.nIndex);
        EXPECT_EQ(c.arRemaining, Keys(list));
    }
    CPortList<SVirtualCommList> list = ListOf({"A"});
    list.RemoveAt(0);
    EXPECT_EQ(0, list.GetCount());
}

TEST(PortList, PositionsOutsideTheListRaiseInvalidArgument) {
    // list size, position
    const struct {
        int nCount;
        int nIndex;
    } cases[] = {{0, 0}, {0, -1}, {3, 3}, {3, -1}, {3, 1000}, {3, -2147483647 - 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nCount) + " records, position " + std::to_string(c.nIndex));
        std::vector<std::string> arKeys;
        for (int i = 0; i < c.nCount; ++i) arKeys.push_back(std::string(1, static_cast<char>('A' + i)));
        CPortList<SVirtualCommList> list = ListOf(arKeys);
        const CPortList<SVirtualCommList>& constList = list;
        EXPECT_THROW(list.ElementAt(c.nIndex), CInvalidArgException);
        EXPECT_THROW(constList.ElementAt(c.nIndex), CInvalidArgException);
        EXPECT_THROW(list.RemoveAt(c.nIndex), CInvalidArgException);
        EXPECT_EQ(arKeys, Keys(list)) << "a refused position changes nothing";
    }
}

TEST(PortList, RemoveAllEmptiesTheList) {
    CPortList<SVirtualCommList> list = ListOf({"A", "B"});
    list.RemoveAll();
    EXPECT_EQ(0, list.GetCount());
    list.Append().strDeviceKey = "C";
    EXPECT_EQ(std::vector<std::string>{"C"}, Keys(list));
}

}  // namespace
