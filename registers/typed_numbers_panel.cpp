#include "registers/typed_numbers_panel.h"

#include <cstdio>

#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/panel_numbers.h"
#include "runtime/userint.h"

namespace {

constexpr int kTextSize = DISP_STR_SIZE / 2;
constexpr int kReasonSize = 80;
constexpr int kCountBase = 10;

// Logs "ERROR: <boxName> "<text>" refused: <reason>" and returns 0.
int refused(const char* boxName, const char* text, const char* reason) {
    std::snprintf(disp_str, sizeof disp_str, "ERROR: %s \"%s\" refused: %s", boxName, text, reason);
    LogToWindow(disp_str);
    return 0;
}

}  // namespace

int ReadTypedNumber(int control, const char* boxName, int base, unsigned int largest,
                    unsigned int* value) {
    char text[kTextSize];
    GetCtrlVal(g_hmainPanel, control, text);
    const int result = ReadUnsignedText(text, base, largest, value);
    if (result == NUMBER_TEXT_OK) return 1;
    char reason[kReasonSize];
    DescribeRefusal(result, base, largest, reason, kReasonSize);
    return refused(boxName, text, reason);
}

int ReadTypedCount(int control, const char* boxName, unsigned int largest, unsigned int* count) {
    char text[kTextSize];
    GetCtrlVal(g_hmainPanel, control, text);
    unsigned int n = 0;
    const int result = ReadUnsignedText(text, kCountBase, largest, &n);
    if (result == NUMBER_TEXT_OK && n >= 1) {
        *count = n;
        return 1;
    }
    char reason[kReasonSize];
    if (result == NUMBER_TEXT_NOT_A_NUMBER)
        DescribeRefusal(result, kCountBase, largest, reason, kReasonSize);
    else
        std::snprintf(reason, kReasonSize, "not 1 to %u", largest);
    return refused(boxName, text, reason);
}

int ReadTypedFloat(int control, const char* boxName, unsigned int* word) {
    char text[kTextSize];
    GetCtrlVal(g_hmainPanel, control, text);
    const int result = ReadFloatText(text, word);
    if (result == NUMBER_TEXT_OK) return 1;
    return refused(boxName, text, FloatRefusalReason(result));
}
