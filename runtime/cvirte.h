#pragma once
// Life of the run-time engine and its event loop; the clock and the one call the board's
// routines make into the event loop are runtime/clock.h's.
// Everything here runs on the one user-interface thread.

#include "runtime/clock.h"

// Reads the command line, before InitCVIRTE (with QCommandLineParser; needs no display).
// The program's own options: --port N=DEVICE (also --port=N=DEVICE; repeatable, the last one
// for N holds) maps COM port N to DEVICE for this run; --connect [N] (also --connect=N) asks
// for Connect at start-up (see GetStartupConnect); --help and --version print to stdout.
// Qt's standard options (-platform NAME, -style NAME, -stylesheet FILE, -reverse, -display
// and the others QApplication reads) are accepted and left in argv for InitCVIRTE, which
// gives them to Qt. Returns 1 when the program goes on; 0 when it should end with
// *exitStatus: 0 after --help or --version, 2 after a bad option or argument (its reason and
// a hint on stderr; no port is mapped then).
// program names the console in its messages and --version and gives its --help text.
struct ProgramText {
    const char* name;     // "tarvikdebug"
    const char* version;  // printed after the name by --version
    const char* help;     // printed as it stands by --help
};
int ParseCommandLine(char* argv[], const ProgramText& program, int* exitStatus);

// After ParseCommandLine: 1 when it found --connect, with *port (when given) the COM number
// named, or 0 for "the number the COM port box starts with"; else 0.
int GetStartupConnect(int* port);

// Starts the engine (the application object; ProcessSystemEvents dispatches its events). argv must
// be the program's NULL-terminated argument vector; Qt takes its own options out of it. Returns 1
// on success, 0 when the engine cannot start (no display: neither DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM nor -platform or -display given); then nothing else may be called.
// Calling it again while started returns 1 and changes nothing.
int InitCVIRTE(void* hInstance, char* argv[], void* reserved);

// Copies the folder the running program lies in into path (at most size bytes, NUL
// included). Returns 0, or -1 when it is not known or does not fit (path then "").
int GetProgramDir(char* path, int size);

// Ends the engine: discards every panel still loaded and closes every serial
// port. Safe to call when not started.
void CloseCVIRTE(void);

// Dispatches events until QuitUserInterface is called; returns the code given
// to it. A quit requested before the loop starts makes it return at once.
int RunUserInterface(void);

// Asks RunUserInterface to return `code` once the current callback has
// returned. Returns 0.
int QuitUserInterface(int code);
