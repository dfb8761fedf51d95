#pragma once
// How the routines that talk to the board say how a call ended: a value of their layer's
// closed error enum, and the reason in words. A program without the monitor (the command
// line companion) builds its messages from these, never from the monitor's lines.

#include <string>

// Error is an enum class whose first enumerator, None, means success.
template <typename Error>
struct Result {
    Error error{};
    // Empty on success; else one sentence, the words the monitor's line used for it,
    // without the line's "ERROR on <id>: " in front, e.g. "Timed out on GetInQLen".
    std::string reason;

    bool ok() const { return error == Error{}; }
    static Result Failure(Error why, std::string words) { return {why, std::move(words)}; }
};

// Every way a link call can fail, one meaning each.
enum class LinkError {
    None,
    Busy,           // a transaction or the firmware upgrade holds the link; nothing sent
    NotConnected,   // the link is down; nothing sent
    PortNotOpened,  // the port did not open; the reason names the device, why, and the fix
    LineNotQuiet,   // the line never went quiet after a failed answer; nothing sent
    WriteRefused,   // the port refused a byte of the request
    NotDrained,     // a byte did not leave the output queue in time
    PortFailed,     // a call on the open port failed while its device was still there
    DeviceGone,     // the port's device vanished (unplugged, hung up); the link was taken down
    NoAnswer,       // no complete answer within the receive wait
    ShortRead,      // the answer was there but could not be read whole
    StatusError,    // the answer's status byte reported errors on the board
    WordCount,      // the answer's word count is not the one expected
    Checksum,       // the answer's checksum is wrong
    WrongCommand,   // the answer is to another command
    BadRequest,     // a length the frame cannot carry; nothing sent
    Interrupted,    // InterruptLinkWaits: nothing sent, or the answer no longer waited for
};
using LinkResult = Result<LinkError>;
