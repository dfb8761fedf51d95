#pragma once
// Ways the board can misbehave when it answers a frame request.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace boardsim {

struct Fault {
    enum class Kind {
        None,
        Silence,        // no answer at all
        Delay,          // answer after delayMs
        StatusBits,     // answer carries `status` (checksum still correct)
        WrongId,        // identifier replaced by `id`, or request + 0x81 when `id` is 0
        WrongCount,     // header word count replaced by `wordCount`, or the true count + 1 when 0
        BadChecksum,    // checksum byte off by one
        TrailingBytes,  // `bytes` stray bytes after the answer
        ShortAnswer,    // the answer's last `bytes` bytes are never sent
        HangUp,         // `bytes` bytes of the answer are sent, then the line is closed
        // No answer; a filler byte every `delayMs` (1 when 0) for as long as the fault is set
        // (so give it no count: it stops when cleared).
        Chatter
    };
    // Set with designated initialisers: {.kind = Fault::Kind::Delay, .delayMs = 250}.
    Kind kind = Kind::None;
    int delayMs = 0;
    uint8_t status = 0;
    // How many requests it applies to (after `after`); -1 = until cleared.
    int count = -1;
    uint8_t id = 0;
    uint16_t wordCount = 0;
    int bytes = 1;
    // Requests answered normally before the fault takes effect.
    int after = 0;
};

// The byte that fills TrailingBytes.
inline constexpr uint8_t kTrailingFiller = 0xEE;

// How one answer leaves the board once the active faults have had their way with it.
struct Delivery {
    bool silent = false;
    int delayMs = 0;
    std::vector<uint8_t> bytes;
    // Close the line after this many bytes of `bytes` have been sent.
    std::optional<std::size_t> hangUpAfter;
    // Start sending filler bytes this often, for as long as the fault stays set.
    std::optional<double> chatterSeconds;
};

// The active faults. At most one of each kind: setting a kind again replaces it.
class FaultSet {
  public:
    void set(const Fault& fault);
    void clear();
    bool empty() const { return faults_.empty(); }
    bool has(Fault::Kind kind) const;

    // Applies the faults due for this request to `answer` (a sealed frame, host order) and
    // counts the request against each fault's `after` and `count`.
    Delivery deliver(std::vector<uint32_t> answer);

  private:
    std::vector<Fault> faults_;
};

}  // namespace boardsim
