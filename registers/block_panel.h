#pragma once
// The block section of the main panel.

int GetBLock_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int SetBlock_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
