#pragma once
// Which device each COM number stands for. Internal to runtime/; rs232.h
// gives the order of the sources.

#include <string>

namespace tarvik::rt {

// The device path port n maps to; *source, when given, gets the COM_MAP_ source.
std::string ComPortPath(int port, int* source = nullptr);

// Maps port n to device for the rest of the run, above every other source; source
// (COM_MAP_CHOSEN or COM_MAP_COMMAND_LINE) is what ComPortPath reports for it.
void ChooseComPortDevice(int port, const std::string& device, int source);

// Stores the device as port n's in the settings file; false when the file
// cannot be written.
bool RememberComPortDevice(int port, const std::string& device);

}  // namespace tarvik::rt
