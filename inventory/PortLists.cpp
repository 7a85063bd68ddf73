#include "inventory/PortLists.h"

CPortList<SSerialCommList> g_arSerialComm;
CPortList<SVirtualCommList> g_arVirtualComm;
