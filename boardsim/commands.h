#pragma once
// The board's side of one frame transaction: a complete request in, the answer frame out.

#include <cstdint>
#include <span>
#include <vector>

#include "boardsim/board_model.h"

namespace boardsim {

// Answers `request` (a whole frame, 2 .. 50 words, host order) against `model`, at board time
// `seconds`. The answer always carries the request's identifier + 0x80 and a correct checksum.
// Status and shape:
//  - bad request checksum: 0x01, two words, nothing executed;
//  - unknown command: 0x08, two words;
//  - address outside the map (for a block, any word of it): 0x10, nothing executed; a block
//    read still answers with its full length (data zero) so the console can read the status;
//  - a known command in a frame of the wrong length, or a block of 0 or more than 48 words:
//    0x20 ("other error"), two words, nothing executed.
// Writes to read-only registers or current cells have no effect and are not errors; a register
// write answers with the value the register holds afterwards.
std::vector<uint32_t> answerRequest(BoardModel& model, std::span<const uint32_t> request,
                                    double seconds);

}  // namespace boardsim
