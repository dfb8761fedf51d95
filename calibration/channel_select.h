#pragma once
// What the channel selectors of the calibration commands name. A selector's
// value comes from a control; it is checked here before it indexes an array
// or forms a board address.

// A DAC selector: 0 = all channels, 1 .. CHANNEL_COUNT = that one channel.
// Sets *first to the first array index and *count to the number of channels
// and returns 1; returns 0 and sets nothing for any other value.
int DacChannelSpan(int selector, int* first, int* count);

// 1 when n is an ADC channel index (0 .. CHANNEL_COUNT - 1), else 0.
int IsAdcChannelIndex(int n);
