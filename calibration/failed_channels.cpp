#include "calibration/failed_channels.h"

#include "calibration/coefficient_transfer.h"
#include "panel/channels.h"
#include "panel/serial_monitor.h"

std::string ChannelListText(ChannelMask channels) {
    std::string text;
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        if (!(channels & ChannelBit(i))) continue;
        int last = i;
        while (last + 1 < CHANNEL_COUNT && (channels & ChannelBit(last + 1))) ++last;
        if (!text.empty()) text += ", ";
        text += "Ch" + std::to_string(i + 1);
        if (last > i) text += "-Ch" + std::to_string(last + 1);
        i = last;
    }
    return text;
}

RegisterResult TakeBoardCoefficients(int gainAddress, int offsetAddress, ChannelMask keep,
                                     float gains[], float offsets[]) {
    float boardGains[CHANNEL_COUNT], boardOffsets[CHANNEL_COUNT];
    const RegisterResult read =
        ReadCoefficientBlocks(gainAddress, offsetAddress, boardGains, boardOffsets);
    if (!read.ok()) return read;
    for (int i = 0; i < CHANNEL_COUNT; ++i) {
        if (!(keep & ChannelBit(i))) continue;
        gains[i] = boardGains[i];
        offsets[i] = boardOffsets[i];
    }
    return read;
}

ChannelMask ChannelSpan(int first, int count) {
    ChannelMask channels = 0;
    for (int i = first; i < first + count; ++i) channels |= ChannelBit(i);
    return channels;
}

void LogFailedChannelsOutcome(const char* what, ChannelMask calculated, const char* fallback,
                              ChannelMask fellBack, ChannelMask kept) {
    std::string line = std::string(what) + " coefficients:";
    const char* separator = " ";
    const auto part = [&](const char* words, ChannelMask channels) {
        if (!channels) return;
        line += separator + std::string(words) + " " + ChannelListText(channels);
        separator = "; ";
    };
    part("calculated", calculated);
    part(fallback, fellBack);
    part("the board's own kept for", kept);
    LogWarning(line.c_str());
}

std::string FallbackQuestion(const char* what, ChannelMask channels, const char* why,
                             const char* values) {
    return std::string(what) + " " + ChannelListText(channels) + ": " + why + ".\nWrite " + values +
           " to " + (channels & (channels - 1) ? "these channels" : "this channel") +
           "?\nNo keeps the board's own coefficients there.";
}
