#pragma once
// Resource and control ids of the panel file Tarviktest.uir. The ids of the
// data controls are fixed; the command buttons' ids are ours.

#include "panel/panel_controls.h"

#define TARVIK_DATA_ID(name, id, style, type, label) name = id,
#define TARVIK_BOUND_ID(name, id, style, type, callback, label) name = id,
enum {
    PANEL = 1,  // resource id of the main panel
    TARVIK_MAIN_PANEL_CONTROLS(TARVIK_DATA_ID, TARVIK_BOUND_ID)
};
#undef TARVIK_DATA_ID
#undef TARVIK_BOUND_ID
