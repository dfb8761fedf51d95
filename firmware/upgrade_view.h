#pragma once
// What a window shows of an upgrade, told by the firmware core: the console's panel
// installs its own (firmware/upgrade_panel.h); a program without a window installs none.

struct UpgradeView {
    // An upgrade began (running 1) or ended (0): which buttons can be used now.
    void (*session)(int running);
    // `sent` of `records` records acknowledged, whenever the bar would be updated.
    void (*progress)(int sent, int records);
};

// Installs the view; null, the default, shows nothing.
void SetUpgradeView(const UpgradeView* view);
// The view installed, or null.
const UpgradeView* CurrentUpgradeView(void);
