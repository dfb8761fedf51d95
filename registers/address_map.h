#pragma once
// The board's addresses that the console's own commands use. Channel k
// (1..16) is at offset k - 1.

enum {
    ADDR_FIRMWARE_VERSION = 0x0000,  // 16-bit register
    ADDR_TEMPERATURE = 0x0001,       // 16-bit register, raw
    ADDR_DAC_CODE = 0x0020,          // 16-bit registers, raw DAC codes
    ADDR_ADC_COUNT = 0x0030,         // 16-bit registers, raw ADC counts
    ADDR_DAC_SETPOINT = 0x0040,      // float words, volts
    ADDR_CURRENT = 0x0050,           // float words, milliamperes
    ADDR_DAC_GAIN = 0x0060,          // float words
    ADDR_DAC_OFFSET = 0x0070,        // float words, volts
    ADDR_ADC_GAIN = 0x0080,          // float words, volts per count
    ADDR_ADC_OFFSET = 0x0090,        // float words, volts
};

enum { FULL_REGISTER_MASK = 0xFFFF };
