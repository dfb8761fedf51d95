// PLACEHOLDER: replaced by the issue that builds these commands.
#include "registers/register_panel.h"

int GetRegister_cb(int, int, int, void*, int, int) { return 0; }
int SetRegister_cb(int, int, int, void*, int, int) { return 0; }
int FormatRegChange_cb(int, int, int, void*, int, int) { return 0; }
