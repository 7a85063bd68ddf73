// The two port lists as text lines, so that tests compare whole lists with
// one expectation and a failure prints every record.
#pragma once

#include <string>
#include <vector>

/// The serial port list as "device=port" lines.
std::vector<std::string> SerialPorts();

/// The adapter port list as "key|port|device|friendly|found" lines.
std::vector<std::string> AdapterPorts();
