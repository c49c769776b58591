// Which device COM n is. COM n is the n-th entry of the port list: the
// colon-separated device paths (on Windows, port names such as COM3) in
// QUELTER_PORTS when it is set; otherwise, on Windows, COM1 to COM254, and
// elsewhere the serial ports that really exist on this system, in natural order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> serialPortList();

// "a::b" has three entries; the empty one is a port that never opens.
std::vector<std::string> splitPortList(std::string_view paths);

// USB-serial (ttyUSB), ACM (ttyACM) and UARTs (ttyS, ttyAMA) listed under
// sysClassTty whose hardware is present (a device link, and a port type other
// than 0 where the driver reports one) and whose node exists in devDir.
// Virtual consoles and pseudo-terminals are never listed.
std::vector<std::string> systemSerialPorts(const std::string& sysClassTty,
                                           const std::string& devDir);

// The name CreateFile opens for a Windows port list entry: "COM12" becomes
// "\\.\COM12" (the only form that reaches ports past COM9); a name that is
// already a device path stays as it is.
std::string comDevicePath(std::string_view name);

// "ttyUSB2" before "ttyUSB10": digit runs compare as numbers.
bool naturalLess(std::string_view a, std::string_view b);
