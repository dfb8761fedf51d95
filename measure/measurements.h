#pragma once
// The board's temperature and its 16 channel currents.

#include "registers/register_result.h"

// How they are logged: "Board temperature is <t>" with two decimals, and
// "Channel<k>: <i>mA" (k from 1) with three.
extern const char TEMPERATURE_FORMAT[];
extern const char CURRENT_FORMAT[];

// Reads the raw temperature r, computes r / 4 - 103 (integer division) and
// logs it. Returns success with *celsius set, or the read's failure (its
// lines logged, *celsius alone).
RegisterResult ReadBoardTemperature(float* celsius);

// Reads the 16 channel currents (mA) into milliamps and logs a line for each.
// Returns success, or the read's failure after logging "Error:Failed to get
// register" (milliamps then zero).
RegisterResult ReadChannelCurrents(float milliamps[]);
