// The program's callbacks by the names the panel file binds them with.

#include "app/serial_monitor.h"
#include "app/shell.h"
#include "link/connection.h"
#include "measure/measurements.h"
#include "runtime/callbacks.h"

const CallbackEntry g_callbackTable[] = {
    {"Close_CB", Close_CB},
    {"Clear_SerialWindow_cb", Clear_SerialWindow_cb},
    {"Timer_CB", Timer_CB},
    {"Connect_CB", Connect_CB},
    {"Temperature_meas_cb", Temperature_meas_cb},
    {"ReadAll_current_cb", ReadAll_current_cb},
};
const int g_callbackTableSize = sizeof g_callbackTable / sizeof g_callbackTable[0];
