#include "app/panel_contract.h"

#include <cstdio>
#include <cstring>

#include "panel/Tarviktest.h"
#include "runtime/userint.h"

#define TARVIK_DATA_ENTRY(name, id, style, type, label) {name, #name, style, type, "", label},
#define TARVIK_BOUND_ENTRY(name, id, style, type, callback, label) \
    {name, #name, style, type, #callback, label},
const PanelControlEntry g_mainPanelControls[] = {
    TARVIK_MAIN_PANEL_CONTROLS(TARVIK_DATA_ENTRY, TARVIK_BOUND_ENTRY)};
#undef TARVIK_DATA_ENTRY
#undef TARVIK_BOUND_ENTRY
const int g_mainPanelControlCount = sizeof g_mainPanelControls / sizeof g_mainPanelControls[0];

int CheckMainPanel(int panel, char* why, std::size_t size) {
    char text[256];
    for (int i = 0; i < g_mainPanelControlCount; ++i) {
        const PanelControlEntry& entry = g_mainPanelControls[i];
        int style = 0, type = 0;
        if (GetCtrlAttribute(panel, entry.id, ATTR_CTRL_STYLE, &style) < 0) {
            std::snprintf(why, size, "the panel has no control %s (id %d)", entry.constant,
                          entry.id);
            return 0;
        }
        GetCtrlAttribute(panel, entry.id, ATTR_DATA_TYPE, &type);
        if (style != entry.style || type != entry.dataType) {
            std::snprintf(why, size, "control %s (id %d) is not of the kind the program needs",
                          entry.constant, entry.id);
            return 0;
        }
        GetCtrlAttribute(panel, entry.id, ATTR_CALLBACK_NAME, text);
        if (std::strcmp(text, entry.callback) != 0) {
            std::snprintf(why, size, "control %s must have the callback '%s', not '%s'",
                          entry.constant, entry.callback, text);
            return 0;
        }
    }
    return 1;
}
