#include "tests/support/PortListLines.h"

#include "inventory/PortLists.h"

std::vector<std::string> SerialPorts() {
    std::vector<std::string> arLines;
    for (int i = 0; i < g_arSerialComm.GetCount(); ++i)
        arLines.push_back(g_arSerialComm.ElementAt(i).strDeviceName + "=" +
                          g_arSerialComm.ElementAt(i).strPortName);
    return arLines;
}

std::vector<std::string> AdapterPorts() {
    std::vector<std::string> arLines;
    for (int i = 0; i < g_arVirtualComm.GetCount(); ++i) {
        const SVirtualCommList& r = g_arVirtualComm.ElementAt(i);
        arLines.push_back(r.strDeviceKey + "|" + r.strPortName + "|" + r.strDeviceName + "|" +
                          r.strFriendlyName + "|" + (r.bFound ? "1" : "0"));
    }
    return arLines;
}
