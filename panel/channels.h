#pragma once
// How many channels the board has of each kind.

enum { CHANNEL_COUNT = 16 };  // DAC outputs, ADC inputs and currents alike
