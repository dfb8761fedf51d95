#pragma once
// A virtual test board on the far end of a pseudo-terminal. It answers the frame protocol over
// its address map with a simple physical model behind it, plays the bootloader's byte protocol,
// records every byte on the line and can be told to misbehave. One thread serves the line;
// every member function may be called from any other thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boardsim/faults.h"
#include "boardsim/wire.h"

namespace boardsim {

// A request left incomplete this long is dropped, so the next request is read from its start.
inline constexpr double kFrameStallSeconds = 0.100;

class Board {
  public:
    Board();
    ~Board();  // stops serving and closes the line
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // --- line ---
    // Creates the pseudo-terminal (raw 8N1 38400) and starts serving it. False with a message
    // in `error` when the line cannot be made or the board is already serving. After stop(), a
    // hang-up or a failure it may be called again; the new line has a new path. start() and
    // stop() may be called from different threads.
    bool start(std::string* error = nullptr);
    void stop();
    // The slave path the console opens (e.g. /dev/pts/5); empty before the first start().
    std::string devicePath() const;
    // True after a HangUp fault closed the line (until the next start()).
    bool hungUp() const;
    // True from start() until stop(), a hang-up or a failure of the line ends the serving.
    bool serving() const;
    // Why serving ended on its own, e.g. "ppoll: Bad file descriptor"; empty otherwise.
    std::string failure() const;

    // --- model ---
    void setFirmwareVersion(uint16_t version);  // register 0; 0x0012 until set
    // Register 1; fixes it (by default it wanders slowly around 500, that is 22 C).
    void setRawTemperature(uint16_t raw);
    // Registers 0x00 .. 0x3F as the board would answer them; 0 where the board has none.
    uint16_t reg(uint16_t address) const;
    // Sets a register as the bench would: the version, the temperature, a DAC code or an ADC
    // count (fixed until that input's voltage is set or cleared). Ignored elsewhere.
    void setReg(uint16_t address, uint16_t value);
    // 32-bit cells 0x40 .. 0x9F (floats as bit patterns); 0 elsewhere.
    uint32_t word(uint16_t address) const;
    // Writes a cell as the console would (a set-point also drives its DAC), except that a
    // current cell 0x50 .. 0x5F is fixed to `value` instead of being measured.
    void setWord(uint16_t address, uint32_t value);
    // Voltage a meter reads at DAC output `channel` (0..15); 0 for other channels.
    double outputVoltage(int channel) const;
    // Voltage applied to ADC input `channel` (0..15); by default input k sees DAC output k.
    void setInputVoltage(int channel, double volts);
    void clearInputVoltage(int channel);

    // --- faults (frame answers) ---
    // Adds a fault, replacing an active one of the same kind.
    void setFault(const Fault& fault);
    // Clears the frame faults and the bootloader faults.
    void clearFaults();

    // --- bootloader ---
    // Switching on starts a fresh session (line numbers from 1, no lines kept). The board also
    // enters the bootloader by itself on a lone CR where a frame would start (see
    // setAutoBootloader), and leaves it after acknowledging an end-of-file record.
    void setBootloaderMode(bool on);
    bool bootloaderMode() const;
    // Whether a lone CR followed by a quiet line (kFrameStallSeconds) switches the board into
    // the bootloader and is answered as its presence test. On by default.
    void setAutoBootloader(bool on);
    // The answer to line `line` (1-based; 0 = the CR presence test) gets `value` at byte
    // `byteIndex` (0..2).
    void setBootloaderBadAnswer(int line, int byteIndex, uint8_t value);
    // No answer to line `line` (0 = presence test) and to everything after it.
    void setBootloaderSilentFrom(int line);
    // CR-terminated lines of the current session, without the CR; presence tests excluded.
    std::vector<std::string> bootloaderLines() const;

    // --- wire ---
    // 38400 baud 8N1 both ways: bytes leave at most one per kByteSeconds, and an answer starts
    // no earlier than the request would have taken to arrive at that rate.
    void setPacing(bool on);
    std::vector<WireByte> recording() const;
    void clearRecording();
    // Bytes from the console in the recording, in order.
    std::vector<uint8_t> received() const;
    // True once the recording holds at least `count` bytes from the console.
    bool waitForReceived(std::size_t count, int timeoutMs) const;
    // Complete frame requests answered or (silence fault) dropped.
    std::size_t requestsServed() const;
    bool waitForRequestsServed(std::size_t count, int timeoutMs) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace boardsim
