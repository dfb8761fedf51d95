// A response of any bytes, read through a stand-in port by the console's own
// receive: it never reads past its buffer, and whatever it accepts really has
// status 0, the right word count and a checksum that adds up, checked here on
// the raw bytes without the console's code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>

#include "link/connection.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"

namespace {

constexpr int kPort = 1;
std::deque<uint8_t> g_input;

// Serves the fuzzer's bytes as the port's input queue.
class FuzzPort : public tarvik::rt::SerialBackend {
  public:
    int configure(long, int, int, int) override { return 0; }
    int setHardwareHandshake(bool) override { return 0; }
    int inQueueLength() override { return static_cast<int>(g_input.size()); }
    int outQueueLength() override { return 0; }
    int write(const std::uint8_t*, int count, double) override { return count; }
    int read(std::uint8_t* data, int count, double) override {
        int n = 0;
        for (; n < count && !g_input.empty(); ++n) {
            data[n] = g_input.front();
            g_input.pop_front();
        }
        return n;
    }
    int flushInput() override {
        g_input.clear();
        return 0;
    }
    int flushOutput() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (InitCVIRTE(nullptr, *argv, nullptr) == 0) std::abort();
    DisableBreakOnLibraryErrors();
    tarvik::rt::SetSerialBackendFactory([](int, const std::string&, tarvik::rt::OpenFailure*) {
        return std::unique_ptr<tarvik::rt::SerialBackend>(new FuzzPort);
    });
    // Connected as a Connect leaves it, without a speed test: the receive wait is then 0 s,
    // so an answer must be whole at the first look, as all of the fuzzer's bytes are.
    if (!OpenLinkOn(kPort, 0).ok()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int words = 2 + data[0] % (FRAME_MAX_WORDS - 1);
    g_input.assign(data + 1, data + size);
    g_iBusy = 0;
    const int result = GetSerialResponse(4 * words);
    if (result == 1) {
        if (size < 1 + 4 * static_cast<size_t>(words)) std::abort();
        const uint8_t* frame = data + 1;
        unsigned sum = 0;
        for (int i = 0; i < 4 * words - 1; ++i) sum += frame[i];
        const uint8_t status = frame[4 * words - 2];
        const unsigned count = static_cast<unsigned>(frame[2]) << 8 | frame[3];
        if (status != 0 || count != static_cast<unsigned>(words) ||
            static_cast<uint8_t>(sum) != frame[4 * words - 1])
            std::abort();
    }
    if (g_iBusy != 0) std::abort();
    return 0;
}
