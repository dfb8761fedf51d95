#pragma once
// Everything the board does with the bytes it receives, apart from moving them: frames or
// bootloader lines in, planned transmissions out. Not thread-safe: the owner serialises access.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "boardsim/board_model.h"
#include "boardsim/bootloader.h"
#include "boardsim/faults.h"
#include "boardsim/frame.h"

namespace boardsim {

// One answer as it is to leave the board.
struct Transmission {
    std::vector<uint8_t> bytes;
    double notBeforeSeconds = 0.0;
    bool silent = false;
    std::optional<std::size_t> hangUpAfter;
    bool isFrameAnswer = false;  // counts as a served request once it is out (or dropped)
};

class Engine {
  public:
    explicit Engine(double stallSeconds);

    // Takes one byte from the console, received at `seconds`; appends what it causes to `out`.
    void receive(uint8_t byte, double seconds, std::vector<Transmission>& out);
    // Lets a stalled line time out at `seconds`; appends what that causes to `out`.
    void expire(double seconds, std::vector<Transmission>& out);
    // Next time expire() has work to do, if any.
    std::optional<double> nextDeadline() const;

    BoardModel& model() { return model_; }
    const BoardModel& model() const { return model_; }
    FaultSet& faults() { return faults_; }
    Bootloader& bootloader() { return bootloader_; }
    const Bootloader& bootloader() const { return bootloader_; }

    void setBootloaderMode(bool on);
    bool bootloaderMode() const { return bootMode_; }
    void setAutoBootloader(bool on) { autoBoot_ = on; }
    void setPacing(bool on) { pacing_ = on; }
    bool pacing() const { return pacing_; }

  private:
    void answerFrame(const frame::FrameAssembler::Frame& f, double seconds,
                     std::vector<Transmission>& out);
    void answerLine(const Bootloader::Reply& reply, double seconds, std::vector<Transmission>& out);

    BoardModel model_;
    FaultSet faults_;
    Bootloader bootloader_;
    frame::FrameAssembler assembler_;
    bool bootMode_ = false;
    bool autoBoot_ = true;
    bool pacing_ = false;
    // A chattering board: the next filler byte's time and the spacing; it stops once the fault
    // is no longer set.
    std::optional<double> nextChatter_;
    double chatterSeconds_ = 0;
};

}  // namespace boardsim
