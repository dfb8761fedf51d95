#include "registers/register_panel.h"

#include <cstdio>

#include "app/Tarviktest.h"
#include "app/connection_check.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "registers/panel_numbers.h"
#include "registers/register_access.h"
#include "runtime/userint.h"

namespace {

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
constexpr const char* kReadFailedText = "0";
constexpr const char* kWriteFailedText = "Err";

bool HexFormat() {
    int format = 0;
    GetCtrlVal(g_hmainPanel, PANEL_REG_FORMAT, &format);
    return format != 0;
}

// The number typed into control, read through disp_str.
unsigned int TypedNumber(int control, int base) {
    GetCtrlVal(g_hmainPanel, control, disp_str);
    return ParsePanelNumber(disp_str, base);
}

// Shows value in PANEL_REG_VALUE in the register format.
void ShowRegisterValue(unsigned int value, bool hex) {
    if (hex) {
        std::snprintf(disp_str, sizeof disp_str, "0x%.4X", value);
    } else {
        std::snprintf(disp_str, sizeof disp_str, "%d", static_cast<int>(value));
    }
    SetCtrlVal(g_hmainPanel, PANEL_REG_VALUE, disp_str);
}

// Converts the text of box by convert and writes it back; the operated
// selector stays on and its partner goes off.
void ConvertBox(int operated, int partner, int box, void (*convert)(const char* from, char* to)) {
    SetCtrlVal(g_hmainPanel, partner, 0);
    SetCtrlVal(g_hmainPanel, operated, 1);
    GetCtrlVal(g_hmainPanel, box, disp_str);
    char converted[DISP_STR_SIZE];
    convert(disp_str, converted);
    SetCtrlVal(g_hmainPanel, box, converted);
}

void DecimalToHex(const char* from, char* to) {
    std::snprintf(to, DISP_STR_SIZE, "0x%.4X", ParsePanelNumber(from, kDecimalBase));
}

void HexToDecimal(const char* from, char* to) {
    std::snprintf(to, DISP_STR_SIZE, "%d", static_cast<int>(ParsePanelNumber(from, kHexBase)));
}

// A too-wide text converts with the bits the scan kept: the box is only
// reformatted here, and a write refuses such text anyway.
void WordToFloatText(const char* from, char* to) {
    unsigned int word = 0;
    ScanHexWord(from, &word);
    std::snprintf(to, DISP_STR_SIZE, "%.3f", static_cast<double>(WordToFloat(word)));
}

void FloatToWordText(const char* from, char* to) {
    unsigned int word = 0;
    ScanFloatWord(from, &word);
    std::snprintf(to, DISP_STR_SIZE, "0x%.8X", word);
}

}  // namespace

int GetRegister_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    const bool hex = HexFormat();
    const unsigned int address = TypedNumber(PANEL_REG_ADDRESS, hex ? kHexBase : kDecimalBase);
    unsigned int value = 0;
    if (GetRegister(static_cast<int>(address), &value) == 1) {
        ShowRegisterValue(value, hex);
    } else {
        SetCtrlVal(g_hmainPanel, PANEL_REG_VALUE, kReadFailedText);
    }
    return 0;
}

int SetRegister_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    const bool hex = HexFormat();
    const int base = hex ? kHexBase : kDecimalBase;
    const unsigned int address = TypedNumber(PANEL_REG_ADDRESS, base);
    const unsigned int value = TypedNumber(PANEL_REG_VALUE, base);
    const unsigned int mask = TypedNumber(PANEL_REG_MASK, kHexBase);
    unsigned int readback = 0;
    if (SetRegister(static_cast<int>(address), static_cast<int>(mask), static_cast<int>(value),
                    &readback) != 1) {
        SetCtrlVal(g_hmainPanel, PANEL_REG_VALUE, kWriteFailedText);
        return -1;
    }
    if (readback == value) ShowRegisterValue(value, hex);
    return 0;
}

int FormatRegChange_cb(int, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    switch (control) {
        case PANEL_REG_FORMAT:
            ConvertBox(PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_REG_VALUE, DecimalToHex);
            break;
        case PANEL_REG_DECIMAL:
            ConvertBox(PANEL_REG_DECIMAL, PANEL_REG_FORMAT, PANEL_REG_VALUE, HexToDecimal);
            break;
        case PANEL_BLOCK_FLOAT:
            ConvertBox(PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, WordToFloatText);
            break;
        case PANEL_BLOCK_FORMAT:
            ConvertBox(PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, FloatToWordText);
            break;
        default:
            break;
    }
    return 0;
}
