#include "registers/block_panel.h"

#include <cstdio>

#include "link/connection_panel.h"
#include "link/frame.h"
#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "panel/serial_monitor.h"
#include "registers/block_access.h"
#include "registers/panel_numbers.h"
#include "registers/typed_numbers_panel.h"
#include "runtime/userint.h"

namespace {

constexpr int kAddressBase = 16;
constexpr int kWordBase = 16;
constexpr unsigned int kLargestAddress = 0xFFFFu;  // the frame's address field
constexpr unsigned int kLargestWord = 0xFFFFFFFFu;
constexpr const char* kErrorText = "Error";

static_assert(int{BLOCK_MAX_WORDS} <= int{BLOCK_READ_BUFFER_WORDS},
              "a full block read must fit the buffer");

struct BlockRequest {
    bool hex;
    int address;
    int count;
};

// Reads format, address and a count of 1..limit. Returns false, with the
// refusal logged, when a text does not fit.
bool ReadBlockRequest(int limit, BlockRequest* request) {
    int format = 0;
    GetCtrlVal(g_hmainPanel, PANEL_BLOCK_FORMAT, &format);
    request->hex = format != 0;
    unsigned int address = 0, count = 0;
    if (!ReadTypedNumber(PANEL_BLOCK_ADDRESS, "Block address", kAddressBase, kLargestAddress,
                         &address) ||
        !ReadTypedCount(PANEL_BLOCK_COUNT, "Word count", static_cast<unsigned>(limit), &count))
        return false;
    request->address = static_cast<int>(address);
    request->count = static_cast<int>(count);
    return true;
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
    unsigned int word = 0;
    if (!ReadBlockRequest(BLOCK_WRITE_BUFFER_WORDS, &request) ||
        !(request.hex
              ? ReadTypedNumber(PANEL_BLOCK_VALUE, "Block value", kWordBase, kLargestWord, &word)
              : ReadTypedFloat(PANEL_BLOCK_VALUE, "Block value", &word))) {
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
