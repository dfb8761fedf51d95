#pragma once
// The register section of the main panel and the value-format selectors of
// the register and block sections. All three are control callbacks: they act
// on EVENT_COMMIT only (anything else returns 0 and changes nothing) and work
// on g_hmainPanel whatever panel they are given.

// "Read register": when not connected, the "Connection warning" popup and
// nothing else. Otherwise reads PANEL_REG_ADDRESS (hexadecimal while
// PANEL_REG_FORMAT is on, else decimal; strtoul's stopping rule) and shows the
// register as "0x%.4X" or "%d" in PANEL_REG_VALUE, or "0" when the read
// failed (the monitor holds the reason). Returns 0.
int GetRegister_cb(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);

// "Write register": connection check as above. Writes PANEL_REG_VALUE to the
// register at PANEL_REG_ADDRESS (both in the register format) under
// PANEL_REG_MASK (always hexadecimal). When the board reads back the value
// written, the box shows it as "0x%.4X" or "%d"; a different read-back leaves
// the typed text. Returns -1 with "Err" in the box when the write failed, else 0.
int SetRegister_cb(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);

// The four format selectors, by control:
//   PANEL_REG_FORMAT   register value, decimal text -> "0x%.4X"
//   PANEL_REG_DECIMAL  register value, hexadecimal text -> "%d"
//   PANEL_BLOCK_FLOAT  block value, "%X" word reinterpreted as float -> "%.3f"
//   PANEL_BLOCK_FORMAT block value, "%f" float reinterpreted as word -> "0x%.8X"
// Every commit converts from the partner's format, even when the operated
// selector was already on, so a second commit converts again. The partner is
// switched off and the operated selector left on, so the selectors always
// name the form the box shows. Text without a number converts as 0. Any other
// control does nothing. Returns 0.
int FormatRegChange_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
