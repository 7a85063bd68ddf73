// The serial port inventory: the ports that the system's serial-port map
// names, and the ports of the adapter among them. Both lists exist once per
// process, are filled once by EnumerateCommPorts and are only read after that.
#pragma once

#include <climits>
#include <new>
#include <string>
#include <vector>

#include "framework/FrameworkErrors.h"

/// One port as the serial-port map names it.
struct SSerialCommList {
    std::string strDeviceName;  ///< NT device name, the value's name, e.g. "\Device\Serial0"
    std::string strPortName;    ///< DOS name, the value's data, e.g. "COM1"
};

/// One port of the adapter.
struct SVirtualCommList {
    std::string strDeviceKey;     ///< where the port was found: device key name or fixed path text
    std::string strPortName;      ///< DOS name, as the device's own registry entries give it
    std::string strDeviceName;    ///< NT device name of the matching serial port; empty until matched
    std::string strFriendlyName;  ///< display name, shown in the port combos
    bool bFound = false;          ///< true once a serial port with the same port name was found
};

/// An ordered list of records, stored by value. Positions count from 0; a
/// position outside the list raises CInvalidArgException, out of memory
/// std::bad_alloc (the records stored before stay).
template <class TRecord>
class CPortList {
public:
    /// The number of records, never negative.
    int GetCount() const { return static_cast<int>(m_arRecords.size()); }

    TRecord& ElementAt(int nIndex) {
        CheckIndex(nIndex);
        return m_arRecords[static_cast<size_t>(nIndex)];
    }
    const TRecord& ElementAt(int nIndex) const {
        CheckIndex(nIndex);
        return m_arRecords[static_cast<size_t>(nIndex)];
    }

    /// Adds a new record with empty texts at the end and returns it for the
    /// caller to fill. The reference is good until the list changes again.
    TRecord& Append() {
        CheckRoom();
        m_arRecords.emplace_back();
        return m_arRecords.back();
    }

    /// Copies a whole record to the end of the list.
    void StoreAtEnd(const TRecord& record) {
        CheckRoom();
        m_arRecords.push_back(record);
    }

    /// Removes the record at nIndex; the later ones move down in their order.
    void RemoveAt(int nIndex) {
        CheckIndex(nIndex);
        m_arRecords.erase(m_arRecords.begin() + nIndex);
    }

    /// Empties the list. The program builds its lists once; tests start afresh.
    void RemoveAll() { m_arRecords.clear(); }

private:
    void CheckIndex(int nIndex) const {
        if (nIndex < 0 || nIndex >= GetCount()) throw CInvalidArgException("port list position out of range");
    }
    // The count is an int, so the list stops growing where it could no longer
    // be counted, as it would when memory ran out.
    void CheckRoom() const {
        if (m_arRecords.size() >= static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    }

    std::vector<TRecord> m_arRecords;
};

/// Every serial port of the serial-port map, in the registry's order.
extern CPortList<SSerialCommList> g_arSerialComm;
/// The adapter's ports that the serial-port map also names.
extern CPortList<SVirtualCommList> g_arVirtualComm;
