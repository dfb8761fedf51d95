#pragma once
// The ADC calibration section of the main panel. A point of a channel is
// captured when its voltage box is dimmed (which also locks the typed
// voltage); a reset undims every box. Every command acts on the commit event
// only, works on the main panel and returns 0; all but the reset first check
// the connection (popup "Connection warning" / "Not connected" and nothing
// else when not connected).

// Capture one point of channel index n from PANEL_ADC_CHANNEL: reads the
// count (popup "Error message" / "Failed to get Adc counts" and no change on
// failure), then takes point 1 if its box is not dimmed, else point 2 if its
// box is not dimmed, else discards the count silently. Point 1 stays on the
// channel; point 2 moves the selector on to n + 1, except after the last
// channel, where it stays on 15 (there is no next channel, and the selector
// must never name one that does not exist). A selector outside 0 .. 15 does nothing.
// Every point taken, here and by ReadAll_Adc_cb, logs "ADC Ch<n> point <p>:
// count <c> at <v> V" with the voltage its box holds, and a warning when its
// count equals the channel's other point, once that has been taken this run.
int Get_AdcCounts_cb(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);

// Capture one point of all 16 channels in order. Channel 0's boxes decide
// for every channel: point 1 if its box 1 is not dimmed, else point 2 if its
// box 2 is not dimmed, else popup "Warning message" / "First reset all
// channels" after channel 0's read. A failed read shows "Failed to get Adc
// counts" and stops; the channels before it keep their new points. The
// selector is not changed.
int ReadAll_Adc_cb(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);

// Calculate all 16 channels from the captured counts and the voltages now in
// the boxes. When some channels' two counts are equal (never captured, say),
// first asks (popup "Warning message", default No) whether to write the
// default values (gain 0.001, offset 0) to them; No keeps the board's own
// coefficients for them. Then CalculateAdcCoefficients.
int Calculate_Adc_coeficients_cb(int panel, int control, int event, void* callbackData,
                                 int eventData1, int eventData2);

// Undims all 32 voltage boxes. No connection check, no board access; counts
// and coefficients are kept.
int Reset_AdcChannel_cb(int panel, int control, int event, void* callbackData, int eventData1,
                        int eventData2);

// Sends nothing (the board has no command to keep its coefficients); when
// connected, logs one line saying so and whether this session's last
// calculation wrote the coefficients to the board.
int Save_AdcCoeficients_cb(int panel, int control, int event, void* callbackData, int eventData1,
                           int eventData2);

// Reads the 16 gains and offsets back from the board and logs them with seven
// significant digits under "ADC coeficients"; nothing is shown when a read fails.
int Display_AdcCoef_cb(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
