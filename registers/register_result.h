#pragma once
// How a register or block routine ended, as a value (link/result.h).

#include "link/result.h"

enum class RegisterError {
    None,
    Busy,          // a transaction or the upgrade holds the link; nothing sent
    NotConnected,  // the link is down; nothing sent
    BadCount,      // a block count outside 1..BLOCK_MAX_WORDS; nothing sent
    NotSent,       // the request could not be sent; the reason is the link's
    NoAnswer,      // no valid answer came; the reason is the link's
    WrongAnswer,   // the answer was to another command
};
using RegisterResult = Result<RegisterError>;

// The result code the register and block routines have always returned for
// it: 1 success; -1 busy, no valid answer or a wrong one; -2 not sent;
// LINK_NOT_CONNECTED; BLOCK_BAD_COUNT.
int RegisterResultCode(const RegisterResult& result);

// Result codes of a register or block routine beyond 1, -1 and -2.
enum { LINK_NOT_CONNECTED = -4, BLOCK_BAD_COUNT = -5 };
