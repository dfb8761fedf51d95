#pragma once
// The check every board command makes first.

// 1 when connected; otherwise shows the "Connection warning" popup
// ("Not connected") and returns 0.
int ConnectedOrWarn(void);
