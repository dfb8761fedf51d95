#pragma once
// Hooks for the tests alone: no program's code calls them.

// Shortens the bootloader's answer wait, for a virtual board that answers within
// milliseconds; a value that is not a positive number restores BOOTLOADER_ANSWER_SECONDS.
void SetBootloaderAnswerWait(double seconds);
