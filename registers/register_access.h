#pragma once
// Single 16-bit registers. Each routine comes as a typed core, which the
// command line companion uses, and as the result code the panel has always
// read (register_result.h).

#include "registers/register_result.h"

// Reads the register at address (low 16 bits used) into *value: the value on
// success, 0 after any failure but Busy (value untouched then).
RegisterResult ReadRegister(int address, unsigned int* value);
// ReadRegister as a result code: 1; -1 busy, no valid response or a response
// to another command; -2 the request could not be sent; LINK_NOT_CONNECTED.
int GetRegister(int address, unsigned int* value);

// Writes value (low 16 bits) under mask to the register and reads back the
// register's resulting value into *readback, written only on success (the
// value) or after no valid answer came (0).
RegisterResult WriteRegister(int address, int mask, int value, unsigned int* readback);
// WriteRegister as a result code, as GetRegister's.
int SetRegister(int address, int mask, int value, unsigned int* readback);

// How the firmware version is logged: "Firmware version is 0x%.4X".
extern const char FIRMWARE_VERSION_FORMAT[];

// Reads the firmware version register and, on success only, logs it.
RegisterResult ReadFirmwareVersion(unsigned int* version);
