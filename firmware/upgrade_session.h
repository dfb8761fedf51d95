#pragma once
// An upgrade in progress and the operator's request to stop it.

// Marks an upgrade as running, forgets any earlier request to cancel, and tells the
// upgrade's view (upgrade_view.h; the console dims "Upgrade firmware..." and makes Cancel
// usable).
void BeginUpgradeSession(void);

// Marks the upgrade as over and tells the view.
void EndUpgradeSession(void);

// Asks the running upgrade to stop once the bootloader has answered the line being sent.
// Does nothing when no upgrade runs.
void CancelFirmwareUpgrade(void);

// 1 when the running upgrade has been asked to stop (CancelFirmwareUpgrade, or the link's
// InterruptLinkWaits, as a signal to the command line companion does), else 0.
int UpgradeCancelRequested(void);
