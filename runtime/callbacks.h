#pragma once
// The form of a control callback and the program's table of callbacks by name.

// panel, control, event, callback data, two event-data words; returns an int.
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);

struct CallbackEntry {
    const char* name;
    CtrlCallbackPtr function;
};

// Defined by the program: LoadPanel binds each control to the entry whose name
// the panel file gives. A name missing from the table makes LoadPanel fail.
extern const CallbackEntry g_callbackTable[];
extern const int g_callbackTableSize;
