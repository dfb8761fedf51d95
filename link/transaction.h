#pragma once
// One request frame out, one response frame in.

// 1 while a frame is being sent and for the whole firmware upgrade.
extern int g_iBusy;
