// PLACEHOLDER: replaced by the issue that builds these commands.
#include "registers/block_panel.h"

int GetBLock_cb(int, int, int, void*, int, int) { return 0; }
int SetBlock_cb(int, int, int, void*, int, int) { return 0; }
