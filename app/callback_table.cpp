// The program's callbacks by the names the panel file binds them with.

#include "app/callback_table.h"

#include "app/connect_command.h"
#include "app/port_choice.h"
#include "app/shell.h"
#include "calibration/adc_calibration_panel.h"
#include "calibration/dac_calibration_panel.h"
#include "firmware/upgrade_panel.h"
#include "link/connection_panel.h"
#include "measure/measurements_panel.h"
#include "panel/panel_controls.h"
#include "panel/serial_monitor_panel.h"
#include "registers/block_panel.h"
#include "registers/register_panel.h"
#include "runtime/callbacks.h"

namespace {
#define TARVIK_NO_CALLBACK(name, id, style, type, label)
#define TARVIK_CALLBACK(name, id, style, type, callback, label) {#callback, callback},
// A callback bound to several controls is listed once for each; the first is found.
const CallbackEntry kCallbacks[] = {
    TARVIK_MAIN_PANEL_CONTROLS(TARVIK_NO_CALLBACK, TARVIK_CALLBACK)};
#undef TARVIK_NO_CALLBACK
#undef TARVIK_CALLBACK
}  // namespace

void InstallCallbackTable(void) {
    SetCallbackTable(kCallbacks, static_cast<int>(sizeof kCallbacks / sizeof kCallbacks[0]));
}
