#pragma once
// Panels, controls, text boxes, timers and popups of the run-time engine.
// Every function returns 0 (or a handle/id > 0) on success and a negative
// UIE_ code on failure; a failure changes nothing. GetUILErrorDetail() then
// says in words what went wrong.

#include <cstddef>

#include "runtime/callbacks.h"

// Events delivered to control callbacks.
enum { EVENT_COMMIT = 1, EVENT_TIMER_TICK = 15 };

// Failures.
enum {
    UIE_NOT_STARTED = -1,
    UIE_BAD_PANEL = -2,
    UIE_BAD_CONTROL = -3,
    UIE_BAD_ATTRIBUTE = -4,
    UIE_BAD_TYPE = -5,
    UIE_FILE_NOT_FOUND = -6,
    UIE_BAD_FILE = -7,
    UIE_NO_RESOURCE = -8,
    UIE_UNKNOWN_CALLBACK = -9,
    UIE_BAD_VALUE = -10,
    UIE_BUFFER_TOO_SMALL = -11,
};

// Control styles, for NewCtrl and ATTR_CTRL_STYLE.
enum {
    CTRL_NUMERIC = 1,
    CTRL_STRING = 2,
    CTRL_TEXT_BOX = 3,
    CTRL_COMMAND_BUTTON = 4,
    CTRL_TEXT_MSG = 5,
    CTRL_TIMER = 6,
    CTRL_TOGGLE = 7,
    // Shows a whole number within its range (ATTR_MIN_VALUE, ATTR_MAX_VALUE); the operator
    // cannot change it.
    CTRL_PROGRESS_BAR = 8,
};

// Data types, for ATTR_DATA_TYPE.
enum { VAL_INTEGER = 1, VAL_FLOAT = 2, VAL_DOUBLE = 3, VAL_STRING = 4 };

// Attributes. 737 is a numeric box's display setting; it is kept and read
// back but does not change the look.
enum {
    ATTR_TOP = 1,
    ATTR_LEFT = 2,
    ATTR_HEIGHT = 3,
    ATTR_WIDTH = 4,
    ATTR_CTRL_TAB_POSITION = 5,
    ATTR_DATA_TYPE = 6,
    ATTR_LABEL_TEXT = 7,  // string
    ATTR_DIMMED = 8,
    ATTR_FIRST_VISIBLE_LINE = 9,
    ATTR_INTERVAL = 10,          // double, seconds (timer)
    ATTR_ENABLED = 11,           // timer running
    ATTR_CTRL_STYLE = 12,        // read only
    ATTR_CALLBACK_NAME = 13,     // string, read only
    ATTR_CONSTANT_NAME = 14,     // string, read only
    ATTR_MIN_VALUE = 15,         // double (numeric)
    ATTR_MAX_VALUE = 16,         // double (numeric)
    ATTR_MAX_ENTRY_LENGTH = 17,  // string controls
    ATTR_TITLE = 18,             // string, panels
    ATTR_CLOSE_CTRL = 19,        // panels: the control whose commit the title-bar close sends
    ATTR_ACCESSIBLE_NAME = 20,   // string: see below
    ATTR_SHORTCUT_KEY = 21,      // string: see below
    ATTR_RETURN_CTRL = 22,       // int: see below
    ATTR_NUM_DISPLAY_SETTING = 737,
};

// The keyboard and screen readers.
//
// ATTR_LABEL_TEXT of a command button or toggle is its text as the operator
// reads it. The panel file may mark one letter of it as the button's mnemonic
// ("&Connect": underlined, and Alt+C operates the button; when several buttons
// share a letter, Alt+letter moves the focus from one to the next instead).
// Reading the label gives the text without the mark ("Connect"); setting it
// puts the panel file's mnemonic on the first letter of the new text that is the
// same key ("Disconnect" shows as "Dis&connect"), or on none while the text lacks
// it (the key comes back with a text that has it). A '&' in a text set here is
// shown as it is. Screen readers are told every new label
// (a name-changed event), so a relabelled button that keeps the focus is heard.
//
// ATTR_ACCESSIBLE_NAME (string): the name screen readers give the control. By
// default a control is named by what the operator sees: a button's text, a box's
// label (the panel file's buddy label, or NewCtrl's label). Set it only for a
// control that nothing visible names on its own, such as one cell of a grid of
// boxes; "" gives the default back. Reading it gives what was set ("" for none).
// A label in the panel file whose "describes" property names a control makes its
// text that control's description for screen readers (a hint such as "0 = all").
//
// ATTR_SHORTCUT_KEY (string): a key that works anywhere in the panel's window
// while it is active, in Qt's portable form ("Ctrl+L", "Shift+F10"); "" removes
// it. On a command button or toggle it operates the control as a click does
// (nothing while the control is dimmed), beside its mnemonic; on a text box it
// opens the box's "Save log as..." dialog, and its context menu shows the key.
// Other controls refuse it (UIE_BAD_ATTRIBUTE); a text that is no key, UIE_BAD_VALUE.
// Reading it gives the key in the same form, "" for none.
//
// ATTR_RETURN_CTRL (int): on a string or numeric control, the id of the command
// button that Return (or Enter) in the control operates, as a click does, after
// the control's own commit; 0 for none (the default). Any other control, or an id
// that is no command button of the panel, is refused (UIE_BAD_ATTRIBUTE,
// UIE_BAD_CONTROL).

// Keyboard focus. SetActiveCtrl gives the control the panel's keyboard focus:
// at once when its window is the active one, else from when it becomes active.
// Returns 0; UIE_BAD_CONTROL for an unknown control, and UIE_BAD_VALUE for one that
// cannot take the focus (a text message, timer or progress bar) or is dimmed.
int SetActiveCtrl(int panel, int control);
// The id of the control that has (or will have, when its window becomes active)
// the panel's keyboard focus; 0 when no control of the panel has it. Negative
// (UIE_BAD_PANEL) for an unknown panel.
int GetActiveCtrl(int panel);

// Sizes the panel's window so that the part showing the panel is width x height
// pixels (at least 1 x 1), as when the operator resizes it: the stretch control
// and the controls around it follow. Returns 0, or UIE_BAD_PANEL.
int SetPanelSize(int panel, int height, int width);

// Last failure, in words ("unknown callback 'Foo_cb' on PANEL_BAR"). Never null.
const char* GetUILErrorDetail(void);

// Panels. LoadPanel returns a handle > 0; parent must be 0 (top level).
int LoadPanel(int parentPanel, const char* fileName, int resourceId);
int DisplayPanel(int panel);
int DiscardPanel(int panel);
int SetPanelAttribute(int panel, int attribute, const char* value);
int SetPanelAttribute(int panel, int attribute, int value);
int GetPanelAttribute(int panel, int attribute, int* value);
// Copies the panel's title into buffer (at most size-1 characters + NUL).
int GetPanelAttribute(int panel, int attribute, char* buffer, std::size_t size);
// Saves the whole panel as it is now into a PNG file, every control, whatever
// part of it its window shows. Returns 0, or UIE_BAD_FILE when it cannot be written.
int SavePanelImage(int panel, const char* pngPath);
// Saves the panel's window as it is on the screen (its size, the part of the
// panel in view, the scroll bars) into a PNG file. Returns as SavePanelImage.
int SavePanelWindowImage(int panel, const char* pngPath);

// Controls. NewCtrl returns the new control's id (> 0); CTRL_NUMERIC and
// CTRL_TEXT_MSG are supported. For a text message, label is its text.
int NewCtrl(int panel, int style, const char* label, int top, int left);

// Values. Numeric boxes convert to the type asked for (integers round to
// nearest); a progress bar holds a whole number, and a value outside its range
// is taken as the nearest end; string controls and text messages take and give
// text. A value set here never delivers an event.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* value);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, float* value);
int GetCtrlVal(int panel, int control, double* value);
// Copies at most size-1 characters and a NUL; a longer value is cut, never
// written past the buffer.
int GetCtrlValString(int panel, int control, char* buffer, std::size_t size);
template <std::size_t N>
int GetCtrlVal(int panel, int control, char (&buffer)[N]) {
    return GetCtrlValString(panel, control, buffer, N);
}

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, double* value);
int GetCtrlAttributeString(int panel, int control, int attribute, char* buffer, std::size_t size);
template <std::size_t N>
int GetCtrlAttribute(int panel, int control, int attribute, char (&buffer)[N]) {
    return GetCtrlAttributeString(panel, control, attribute, buffer, N);
}

// Timers: restart the current interval from now.
int ResetTimer(int panel, int control);

// Text boxes. index -1 appends; lines are counted from 0.
int InsertTextBoxLine(int panel, int control, int index, const char* text);
int ReplaceTextBoxLine(int panel, int control, int index, const char* text);
int ResetTextBox(int panel, int control, const char* text);
int GetNumTextBoxLines(int panel, int control, int* count);
int GetTextBoxLineString(int panel, int control, int index, char* buffer, std::size_t size);
template <std::size_t N>
int GetTextBoxLine(int panel, int control, int index, char (&buffer)[N]) {
    return GetTextBoxLineString(panel, control, index, buffer, N);
}
// Stores the note that the box's saved log names as its port, for example
// "COM1 (/dev/ttyUSB0)"; null or "" removes it (the log then says the port is
// not set). Returns 0, or UIE_BAD_CONTROL for an unknown panel or control or
// one that is not a text box.
int SetTextBoxSaveNote(int panel, int control, const char* note);
// Names the program in the saved log's first line ("<title> serial monitor log, saved ...")
// and gives the stem of the file name the save dialog suggests ("<stem>-20261208-073102.txt").
// Returns 0, or UIE_BAD_CONTROL as SetTextBoxSaveNote.
int SetTextBoxSaveTitle(int panel, int control, const char* title, const char* fileStem);

int SetWaitCursor(int on);

// Popups: modal dialogs, or answered by the installed popup handler.
int MessagePopup(const char* title, const char* message);
// Asks a yes/no question. No is the default button, and Escape or closing the dialog also
// answers No. Returns 1 for Yes, 0 for No.
int ConfirmPopup(const char* title, const char* message);
// Judges a picked or typed choice: returns 1 to take it; else 0 with the reason, in words,
// written into reason (at most size bytes, NUL included).
using ChoiceCheck = int (*)(const char* text, char* reason, std::size_t size);
// Offers a list to pick from, whose entry may also be typed over (an editable
// list); the item equal to current is preselected. With a check, a choice it
// refuses keeps the dialog open with the reason shown under the message.
// Returns 1 with the picked or typed text in response (cut to size-1
// characters and a NUL), 0 when cancelled or nothing was given (response then "").
int ChoicePopup(const char* title, const char* message, const char* const items[], int count,
                const char* current, char* response, std::size_t size, ChoiceCheck check = nullptr);
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
enum { VAL_OK_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_LOAD_BUTTON = 3 };
// Puts the chosen path into pathBuffer (NUL-terminated). Returns 1 when an
// existing file was chosen, 0 when cancelled; negative when the path does not
// fit the buffer (nothing written).
int FileSelectPopupEx(const char* defaultDirectory, const char* defaultFileSpec,
                      const char* fileTypeList, const char* title, int buttonLabel,
                      int restrictDirectory, int restrictExtension, int allowCancel,
                      int allowMakeDirectory, char* pathBuffer, std::size_t pathSize);
template <std::size_t N>
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char (&pathBuffer)[N]) {
    return FileSelectPopupEx(defaultDirectory, defaultFileSpec, fileTypeList, title, buttonLabel,
                             restrictDirectory, restrictExtension, allowCancel, allowMakeDirectory,
                             pathBuffer, N);
}
