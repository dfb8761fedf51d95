#pragma once
// The register section of the main panel and the value-format selectors.

int GetRegister_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int SetRegister_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int FormatRegChange_cb(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
