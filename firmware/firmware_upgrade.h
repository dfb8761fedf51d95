#pragma once
// Re-flashing the board from a HEX file through its bootloader, which must already be running.

#include "firmware/upgrade_outcome.h"

// Steps 2 to 6 of the "Upgrade firmware..." button (upgrade_panel.h) for the file at path, for
// the button and the command line
// alike. It shows no popup: the outcome carries the one the console shows. port is the COM
// port the upgrade opens when the link is not connected (a board in its bootloader cannot be
// connected to); when connected it talks on g_iCom_port_num. sendIncomplete is asked whether
// to send a file without an end-of-file record (1 sends it); null sends no such file.
// Returns success; FileRefused; Busy; PortNotOpened; NoBootloader; TransferStopped; Cancelled.
UpgradeOutcome UpgradeFirmwareFile(const char* path, int port, int (*sendIncomplete)(void));
