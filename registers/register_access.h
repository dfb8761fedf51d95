#pragma once
// Single 16-bit registers.

// Reads the register at address (low 16 bits used) into *value.
// Returns 1 with the value; -1 busy (value untouched), no valid response or a
// response to another command (value 0); -2 the request could not be sent
// (value 0). While not connected nothing is sent and the result is -4 with value 0.
int GetRegister(int address, unsigned int* value);

// Writes value (low 16 bits) under mask to the register and reads back the
// register's resulting value. Same results as GetRegister; *readback is
// written only on success (the value) or after a receive failure (0).
int SetRegister(int address, int mask, int value, unsigned int* readback);

// Reads the firmware version register and logs "Firmware version is 0x<hhhh>".
// Returns GetRegister's result; only on 1 is the line logged.
int ReadFirmwareVersion(unsigned int* version);

// Result of a register or block routine called while not connected.
enum { LINK_NOT_CONNECTED = -4 };
