#include "link/testing.h"

#include "link/serial_link.h"
#include "link/transaction.h"

void DropLinkForTest(void) {
    InitLinkState();
    SetReceiveWaitSeconds(0);
}
