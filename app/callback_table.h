#pragma once
// Every callback the panel file names, handed to the engine.

// Gives the engine the program's table of callbacks by name. Call once at
// start-up, before LoadPanel.
void InstallCallbackTable(void);
