#include "calibration/channel_select.h"

#include "panel/channels.h"

enum { ALL_CHANNELS = 0 };

int DacChannelSpan(int selector, int* first, int* count) {
    if (selector == ALL_CHANNELS) {
        *first = 0;
        *count = CHANNEL_COUNT;
        return 1;
    }
    if (selector < 1 || selector > CHANNEL_COUNT) return 0;
    *first = selector - 1;
    *count = 1;
    return 1;
}

int IsAdcChannelIndex(int n) {
    return n >= 0 && n < CHANNEL_COUNT;
}
