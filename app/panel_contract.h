#pragma once
// What the program needs of the panel file: every control it addresses, with
// its kind, value type, callback and the label the operator sees.

#include <cstddef>

struct PanelControlEntry {
    int id;
    const char* constant;  // PANEL_ name
    int style;             // CTRL_ value
    int dataType;          // VAL_ value
    const char* callback;  // "" when unbound
    const char* label;     // the text that names it on screen
};

extern const PanelControlEntry g_mainPanelControls[];
extern const int g_mainPanelControlCount;

// Checks the loaded main panel against the table. Returns 1 when every control
// is there as described; otherwise 0, with the first difference in `why`.
int CheckMainPanel(int panel, char* why, std::size_t size);
