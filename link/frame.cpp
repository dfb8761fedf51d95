#include "link/frame.h"

#include <bit>

unsigned int g_uiTx_word_buf[FRAME_MAX_WORDS];
unsigned int g_uiRx_word_buf[FRAME_MAX_WORDS];
int g_iTXCommand_id;

unsigned int AddressWord(int address) {
    return (static_cast<unsigned int>(address) & 0xFFFFu) << 16;
}

unsigned int WordFromBytes(const unsigned char* bytes) {
    return static_cast<unsigned int>(bytes[0]) << 24 | static_cast<unsigned int>(bytes[1]) << 16 |
           static_cast<unsigned int>(bytes[2]) << 8 | bytes[3];
}

unsigned int FloatToWord(float value) {
    return std::bit_cast<unsigned int>(value);
}

float WordToFloat(unsigned int word) {
    return std::bit_cast<float>(word);
}

unsigned int ReverseByteInWord32(unsigned int w) {
    return ((w & 0xFFu) << 24) | ((w & 0xFF00u) << 8) | ((w & 0xFF0000u) >> 8) |
           ((w & 0xFF000000u) >> 24);
}

unsigned char ChecksumCount(const unsigned int* words, int count) {
    unsigned char sum = 0;
    for (int i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            sum = static_cast<unsigned char>(sum + ((words[i] >> shift) & 0xFFu));
    return sum;
}
