#pragma once
// The board's frame: 32-bit words, header first, last word with the address
// (request) or result (response), status byte and checksum.

enum {
    FRAME_MAX_WORDS = 50,
    FRAME_MAX_BYTES = FRAME_MAX_WORDS * 4,
    BLOCK_MAX_WORDS = FRAME_MAX_WORDS - 2,  // data words of a block frame
};

enum {
    CMD_SET_REGISTER = 0x41,
    CMD_GET_REGISTER = 0x42,
    CMD_SET_BLOCK = 0x43,
    CMD_GET_BLOCK = 0x44,
    CMD_RESPONSE_FLAG = 0x80,  // a response's identifier is the request's plus this
};

// The frame being sent and the frame just received, in host order.
extern unsigned int g_uiTx_word_buf[FRAME_MAX_WORDS];
extern unsigned int g_uiRx_word_buf[FRAME_MAX_WORDS];
// Identifier of the command in progress.
extern int g_iTXCommand_id;

// The last word of a request: the address's low 16 bits in bits 31-16.
unsigned int AddressWord(int address);

// The word whose bytes, most significant first, are bytes[0..3]: the order of the wire.
unsigned int WordFromBytes(const unsigned char* bytes);

// The same 32 bits seen as the other type (IEEE 754 single precision): how
// floats cross the link.
unsigned int FloatToWord(float value);
float WordToFloat(unsigned int word);

// w with its four bytes in reverse order; its own inverse.
unsigned int ReverseByteInWord32(unsigned int w);

// The 8-bit sum (mod 256) of all bytes of count words; 0 for count <= 0.
unsigned char ChecksumCount(const unsigned int* words, int count);
