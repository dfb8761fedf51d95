#include "panel/serial_monitor_panel.h"

#include <cstddef>

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "runtime/userint.h"

namespace {

void appendLine(const char* line) {
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, line);
    // The line about to be counted is the newest: keep it in view.
    SetCtrlAttribute(g_hmainPanel, PANEL_SERIAL_WINDOW, ATTR_FIRST_VISIBLE_LINE,
                     g_iSerial_comm_cnt);
}

int replaceLine(int index, const char* line) {
    return ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, index, line);
}

int readLine(int index, char* line, int size) {
    if (size <= 0) return -1;
    return GetTextBoxLineString(g_hmainPanel, PANEL_SERIAL_WINDOW, index, line,
                                static_cast<std::size_t>(size));
}

const SerialMonitor kPanelMonitor = {appendLine, replaceLine, readLine};

}  // namespace

void InstallSerialMonitor(void) {
    SetSerialMonitor(&kPanelMonitor);
}

int Clear_SerialWindow_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
    return 0;
}
