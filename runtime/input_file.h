#pragma once
// Opening a file the operator named for reading, without ever blocking: opening a named
// pipe that nothing writes to waits for a writer forever, and reading a device may never end.

#include <cstddef>
#include <cstdio>

// Opens path for reading. A folder, a device or a socket is refused before anything is
// opened; a named pipe (a FIFO, or the pipe of a shell's <(command)) is opened without
// waiting and refused when nothing is writing to it, else read as it comes. Returns the
// open file, which the caller closes with fclose; or null with the reason in words in
// reason (at most size bytes, NUL included): the system's ("No such file or directory",
// "Permission denied"), or "a folder, not a file", "a device, not a file", "a socket, not
// a file", "a named pipe that nothing is writing to".
std::FILE* OpenFileForReading(const char* path, char* reason, std::size_t size);
