#pragma once
// The panel's side of an upgrade in progress: which of its buttons the operator can use, and
// the operator's request to stop it.

// Marks an upgrade as running: dims "Upgrade firmware...", makes Cancel usable (the keyboard
// focus goes from the one to the other) and forgets any earlier request to cancel.
void BeginUpgradeSession(void);

// Marks the upgrade as over: Cancel dimmed again, "Upgrade firmware..." usable (and focused
// again when Cancel had the focus).
void EndUpgradeSession(void);

// Asks the running upgrade to stop once the bootloader has answered the line being sent.
// Does nothing when no upgrade runs.
void CancelFirmwareUpgrade(void);

// 1 when the running upgrade has been asked to stop, else 0.
int UpgradeCancelRequested(void);

// The Cancel button next to the progress bar: on commit, CancelFirmwareUpgrade. Returns 0.
int Cancel_upgrade_cb(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
