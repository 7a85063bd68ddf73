// Builds the serial port inventory (inventory/PortLists.h) from the registry
// below HKEY_LOCAL_MACHINE, read through the installed registry reader. The
// build reports nothing: the caller judges it by the counts of the two lists.
#pragma once

#include <string>

/// The build: reads the serial-port map, the adapter bus and the two
/// single-device paths, gives every adapter port the NT device name of the
/// first serial port with its port name, and drops the adapter ports that no
/// serial port names. Runs on the lists as they are; clears nothing.
void EnumerateCommPorts();

/// Appends one serial port record for each string value of
/// HARDWARE\DEVICEMAP\SERIALCOMM, in the registry's order, up to the first
/// value that cannot be read.
void ReadSerialCommMap();

/// Appends one adapter port record for each device key below
/// SYSTEM\CurrentControlSet\Enum\FTDIBUS, with the friendly name and port
/// name of the device's first instance, "0000".
void ReadFtdiBusPorts();

/// Reads one single-device path, SYSTEM\CurrentControlSet\Enum followed
/// directly by pszKeySuffix, and its instance subkey pszInstance; when that
/// has a friendly name, stores one adapter port record at the end, with
/// pszDeviceKey as its device key and the port name cut out of the friendly
/// name. Null arguments raise CInvalidArgException.
void ReadEnumPort(const char* pszKeySuffix, const char* pszInstance, const char* pszDeviceKey);

/// The port name within a friendly name: the text after the first "(" up to
/// the first ")", empty when there is no ")" after the "(". Without "(" it is
/// the text before the first ")". A byte of a double-byte character of the
/// ANSI code page never counts as a parenthesis.
std::string PortNameFromFriendlyName(const std::string& strFriendlyName);
