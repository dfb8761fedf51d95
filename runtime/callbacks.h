#pragma once
// The form of a control callback, and the table of callbacks by name that the
// program hands the engine when it starts.

// panel, control, event, callback data, two event-data words; returns an int.
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);

struct CallbackEntry {
    const char* name;
    CtrlCallbackPtr function;
};

// Gives the engine the program's callbacks: LoadPanel binds each control to
// the entry whose name the panel file gives, and a name missing from the table
// makes it fail. The table must outlive every panel; a later call replaces it.
void SetCallbackTable(const CallbackEntry* table, int size);
