#include "link/connection_check.h"

#include "link/serial_link.h"
#include "runtime/userint.h"

int ConnectedOrWarn(void) {
    if (g_iConnection_status == 1) return 1;
    MessagePopup("Connection warning", "Not connected");
    return 0;
}
