#pragma once
// Start-up shared by the benchmarks: the engine on Qt's offscreen platform and
// the main panel as main() prepares it.

#include <string>

// Returns false, with the reason on stderr, when the engine or the panel
// cannot be had (run benchmarks from the build folder, next to the panel file).
bool StartBenchConsole(char** argv);

namespace boardsim {
class Board;
}
// Starts the virtual board; false with the reason on stderr.
bool StartBenchBoard(boardsim::Board& board);

// A benchmark program's start: the benchmark library takes its options from the command
// line, then StartBenchConsole and StartBenchBoard. False when either fails.
bool StartBenchWithBoard(int* argc, char** argv, boardsim::Board& board);
// Its end: the port given back (ShutdownLink), the board stopped, the engine closed.
void EndBench(boardsim::Board& board);

// Opens COM `port` on the board's line as the console's Connect does, less the speed test,
// as the upgrade benchmarks need it. False, with the reason on
// stderr, when it does not open; ShutdownLink() gives the line back (and its lock, which
// another program opening it needs).
bool OpenBenchPort(int port, const boardsim::Board& board);
// The same on any device the console takes: a path, or a tcp:// or rfc2217:// URL.
bool OpenBenchDevice(int port, const std::string& device);

// The monitor grows with every frame: clears it once it holds thousands of lines, so that only
// the link is timed.
void KeepBenchMonitorSmall();

// The median time of `count` register reads on the open link, in microseconds; the monitor is
// cleared on the way so that only the link is timed. Negative when a read fails.
double MedianRegisterReadMicros(int count);
