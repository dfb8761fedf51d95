#pragma once
// Channels a calculation cannot calculate (its two points are equal) and what is written
// to the board for them: the calculation's fall-back when the operator asks for it, else
// the board's own coefficients, so that recalibrating one channel never wipes the others.

#include <cstdint>
#include <string>

#include "registers/register_result.h"

// A set of channels: bit i stands for channel index i (channel i + 1).
using ChannelMask = std::uint32_t;

inline ChannelMask ChannelBit(int index) {
    return ChannelMask{1} << index;
}

// What a calculation writes for a channel it cannot calculate.
enum class FailedChannels {
    WriteDefaults,  // its fall-back values (the ADC's default pair, the DAC's zero gain)
    KeepBoards,     // the board's own coefficients, read first and written back unchanged
};

// The channels by number, runs joined: "Ch2", "Ch2, Ch5", "Ch4-Ch16". Empty for none.
std::string ChannelListText(ChannelMask channels);

// Reads the board's gains from gainAddress and offsets from offsetAddress (every channel)
// and puts those of the channels in `keep` into gains[] and offsets[] (index = channel
// index). Returns success, or the failed read's result with the arrays unchanged.
RegisterResult TakeBoardCoefficients(int gainAddress, int offsetAddress, ChannelMask keep,
                                     float gains[], float offsets[]);

// The channels first .. first+count-1.
ChannelMask ChannelSpan(int first, int count);

// After a write in which some channels could not be calculated, logs as a warning what each
// channel got: "<what> coefficients: calculated <list>; <fallback> <list>; the board's own
// kept for <list>", leaving out the parts whose list is empty. `fallback` says what the
// fall-back was, e.g. "defaults written to".
void LogFailedChannelsOutcome(const char* what, ChannelMask calculated, const char* fallback,
                              ChannelMask fellBack, ChannelMask kept);

// The question the console asks before it writes fall-back values: names the channels and
// the values, and says what No does. `why` says what the channels lack.
std::string FallbackQuestion(const char* what, ChannelMask channels, const char* why,
                             const char* values);
