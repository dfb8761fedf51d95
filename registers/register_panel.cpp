#include "registers/register_panel.h"

#include <cstdio>

#include "link/connection_panel.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/panel_numbers.h"
#include "registers/register_access.h"
#include "registers/typed_numbers_panel.h"
#include "runtime/userint.h"

namespace {

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
// Addresses, values and masks all travel in 16-bit fields of the frame.
constexpr unsigned int kLargestField = 0xFFFFu;
constexpr unsigned int kLargestWord = 0xFFFFFFFFu;
constexpr const char* kFailedText = "Err";

bool HexFormat() {
    int format = 0;
    GetCtrlVal(g_hmainPanel, PANEL_REG_FORMAT, &format);
    return format != 0;
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

// A box's text in one format, rewritten in another. Returns false (and says
// why) when the text is no number of the old format.
using Conversion = bool (*)(const char* from, char* to, char* why, int whySize);

// Switches a pair of selectors to `operated` and converts the box's text to
// its format. Committing the selector already on converts nothing: before the
// click it was on and its partner off, so the partner is still off now.
void SwitchFormat(int operated, int partner, int box, const char* boxName, Conversion convert) {
    int partnerWasOn = 0;
    GetCtrlVal(g_hmainPanel, partner, &partnerWasOn);
    SetCtrlVal(g_hmainPanel, partner, 0);
    SetCtrlVal(g_hmainPanel, operated, 1);
    if (!partnerWasOn) return;
    char text[DISP_STR_SIZE / 2], converted[DISP_STR_SIZE / 2], why[DISP_STR_SIZE / 4];
    GetCtrlVal(g_hmainPanel, box, text);
    if (IsBlankText(text)) return;  // nothing to convert, nothing to warn about
    if (!convert(text, converted, why, sizeof why)) {
        // "Err" must not become 0x0000, which the next write would send.
        std::snprintf(disp_str, sizeof disp_str, "WARNING: %s \"%s\" not converted: %s", boxName,
                      text, why);
        LogToWindow(disp_str);
        return;
    }
    SetCtrlVal(g_hmainPanel, box, converted);
}

// Reads from in base with the largest value given; describes a refusal.
bool ReadOld(const char* from, int base, unsigned int largest, unsigned int* value, char* why,
             int whySize) {
    const int result = ReadUnsignedText(from, base, largest, value);
    if (result != NUMBER_TEXT_OK) DescribeRefusal(result, base, largest, why, whySize);
    return result == NUMBER_TEXT_OK;
}

bool DecimalToHex(const char* from, char* to, char* why, int whySize) {
    unsigned int value = 0;
    if (!ReadOld(from, kDecimalBase, kLargestField, &value, why, whySize)) return false;
    std::snprintf(to, DISP_STR_SIZE / 2, "0x%.4X", value);
    return true;
}

bool HexToDecimal(const char* from, char* to, char* why, int whySize) {
    unsigned int value = 0;
    if (!ReadOld(from, kHexBase, kLargestField, &value, why, whySize)) return false;
    std::snprintf(to, DISP_STR_SIZE / 2, "%d", static_cast<int>(value));
    return true;
}

bool WordToFloatText(const char* from, char* to, char* why, int whySize) {
    unsigned int word = 0;
    if (!ReadOld(from, kHexBase, kLargestWord, &word, why, whySize)) return false;
    std::snprintf(to, DISP_STR_SIZE / 2, "%.3f", static_cast<double>(WordToFloat(word)));
    return true;
}

bool FloatToWordText(const char* from, char* to, char* why, int whySize) {
    unsigned int word = 0;
    const int result = ReadFloatText(from, &word);
    if (result != NUMBER_TEXT_OK) {
        std::snprintf(why, whySize, "%s", FloatRefusalReason(result));
        return false;
    }
    std::snprintf(to, DISP_STR_SIZE / 2, "0x%.8X", word);
    return true;
}

}  // namespace

int GetRegister_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    const bool hex = HexFormat();
    unsigned int address = 0, value = 0;
    if (ReadTypedNumber(PANEL_REG_ADDRESS, "Register address", hex ? kHexBase : kDecimalBase,
                        kLargestField, &address) &&
        GetRegister(static_cast<int>(address), &value) == 1) {
        ShowRegisterValue(value, hex);
    } else {
        SetCtrlVal(g_hmainPanel, PANEL_REG_VALUE, kFailedText);
    }
    return 0;
}

int SetRegister_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    const bool hex = HexFormat();
    const int base = hex ? kHexBase : kDecimalBase;
    unsigned int address = 0, value = 0, mask = 0, readback = 0;
    if (!ReadTypedNumber(PANEL_REG_ADDRESS, "Register address", base, kLargestField, &address) ||
        !ReadTypedNumber(PANEL_REG_VALUE, "Register value", base, kLargestField, &value) ||
        !ReadTypedNumber(PANEL_REG_MASK, "Write mask", kHexBase, kLargestField, &mask) ||
        SetRegister(static_cast<int>(address), static_cast<int>(mask), static_cast<int>(value),
                    &readback) != 1) {
        SetCtrlVal(g_hmainPanel, PANEL_REG_VALUE, kFailedText);
        return -1;
    }
    if (readback == value) ShowRegisterValue(value, hex);
    return 0;
}

int FormatRegChange_cb(int, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    switch (control) {
        case PANEL_REG_FORMAT:
            SwitchFormat(PANEL_REG_FORMAT, PANEL_REG_DECIMAL, PANEL_REG_VALUE, "Register value",
                         DecimalToHex);
            break;
        case PANEL_REG_DECIMAL:
            SwitchFormat(PANEL_REG_DECIMAL, PANEL_REG_FORMAT, PANEL_REG_VALUE, "Register value",
                         HexToDecimal);
            break;
        case PANEL_BLOCK_FLOAT:
            SwitchFormat(PANEL_BLOCK_FLOAT, PANEL_BLOCK_FORMAT, PANEL_BLOCK_VALUE, "Block value",
                         WordToFloatText);
            break;
        case PANEL_BLOCK_FORMAT:
            SwitchFormat(PANEL_BLOCK_FORMAT, PANEL_BLOCK_FLOAT, PANEL_BLOCK_VALUE, "Block value",
                         FloatToWordText);
            break;
        default:
            break;
    }
    return 0;
}
