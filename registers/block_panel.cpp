#include "registers/block_panel.h"

#include <cstdio>

#include "app/Tarviktest.h"
#include "app/connection_check.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "link/frame.h"
#include "registers/block_access.h"
#include "registers/panel_numbers.h"
#include "runtime/userint.h"

namespace {

constexpr int kAddressBase = 16;
constexpr const char* kErrorText = "Error";

static_assert(int{BLOCK_MAX_WORDS} <= int{BLOCK_READ_BUFFER_WORDS},
              "a full block read must fit the buffer");

struct BlockRequest {
    bool hex;
    int address;
    int count;
};

// Reads format and address, and the count when it lies in 1..limit.
// Returns false (the count is refused) otherwise.
bool ReadBlockRequest(int limit, BlockRequest* request) {
    int format = 0;
    GetCtrlVal(g_hmainPanel, PANEL_BLOCK_FORMAT, &format);
    request->hex = format != 0;
    GetCtrlVal(g_hmainPanel, PANEL_BLOCK_ADDRESS, disp_str);
    request->address = static_cast<int>(ParsePanelNumber(disp_str, kAddressBase));
    GetCtrlVal(g_hmainPanel, PANEL_BLOCK_COUNT, disp_str);
    return ParseWordCount(disp_str, limit, &request->count) == 1;
}

void ShowError() {
    SetCtrlVal(g_hmainPanel, PANEL_BLOCK_VALUE, kErrorText);
}

}  // namespace

int GetBLock_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    BlockRequest request{};
    unsigned int words[BLOCK_READ_BUFFER_WORDS] = {};
    if (!ReadBlockRequest(BLOCK_MAX_WORDS, &request) ||
        GetBlock(request.address, request.count, words) != 1) {
        ShowError();
        return 0;
    }
    const unsigned int last = words[request.count - 1];
    if (request.hex) {
        std::snprintf(disp_str, sizeof disp_str, "0x%.8X", last);
    } else {
        std::snprintf(disp_str, sizeof disp_str, "%0.3f", static_cast<double>(WordToFloat(last)));
    }
    SetCtrlVal(g_hmainPanel, PANEL_BLOCK_VALUE, disp_str);
    return 0;
}

int SetBlock_cb(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (!ConnectedOrWarn()) return 0;
    BlockRequest request{};
    if (!ReadBlockRequest(BLOCK_WRITE_BUFFER_WORDS, &request)) {
        ShowError();
        return -1;
    }
    GetCtrlVal(g_hmainPanel, PANEL_BLOCK_VALUE, disp_str);
    unsigned int word = 0;
    const int scanned = request.hex ? ScanHexWord(disp_str, &word) : ScanFloatWord(disp_str, &word);
    if (scanned != VALUE_TEXT_OK) {
        ShowError();
        return -1;
    }
    unsigned int words[BLOCK_WRITE_BUFFER_WORDS];
    for (int i = 0; i < request.count; ++i) words[i] = word;
    if (SetBlock(request.address, request.count, words) != 1) {
        ShowError();
        return -1;
    }
    return 0;
}
