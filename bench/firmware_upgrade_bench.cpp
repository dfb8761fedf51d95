// A firmware upgrade must leave the pace to the wire: against the virtual board without
// pacing, the console's own time for a 400,000-character HEX file should stay at most half
// of what the same file takes on the wire at 38400 baud (its characters plus the three
// answer bytes of each line, 10 bits a byte). Reported as `ratio`: with the presence test's
// fixed wait for the whole upgrade, without it for the transfer alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/Tarviktest.h"
#include "bench/bench_console.h"
#include "app/serial_monitor.h"
#include "app/shell.h"
#include "boardsim/board.h"
#include "firmware/bootloader_bytes.h"
#include "firmware/firmware_transfer.h"
#include "firmware/firmware_upgrade.h"
#include "firmware/hex_file_reader.h"
#include "link/connection.h"
#include "runtime/cvirte.h"
#include "runtime/popup_handler.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

constexpr int kPort = 1;
constexpr double kWireBitsPerSecond = 38400.0;
constexpr double kBitsPerByte = 10.0;

boardsim::Board* g_board = nullptr;
std::string g_hexPath;

// A record of `length` zero data bytes at `address` (its low 16 bits), correctly summed.
std::string ZeroRecord(unsigned length, unsigned address) {
    char record[80];
    address &= 0xFFFF;
    const unsigned sum = length + (address >> 8) + (address & 0xFF);
    std::snprintf(record, sizeof record, ":%02X%04X00%s%02X", length, address,
                  std::string(2 * length, '0').c_str(), (0x100 - sum % 0x100) & 0xFF);
    return record;
}

// Exactly HEX_BUFFER_SIZE characters: 16-byte records, one shorter record to fill up, the end.
// A record line of n data bytes has 12 + 2n characters, its LF included.
std::string FirmwareImage() {
    constexpr unsigned kRecordOverhead = 12;
    const std::string end = ":00000001FF\n";
    const std::string::size_type fullLine = kRecordOverhead + 2 * 16;
    const std::string::size_type room = HEX_BUFFER_SIZE - end.size() - kRecordOverhead;
    std::string image;
    unsigned address = 0;
    for (std::string::size_type n = 0; n < room / fullLine; ++n, address += 16)
        image += ZeroRecord(16, address) + "\n";
    image +=
        ZeroRecord((HEX_BUFFER_SIZE - end.size() - image.size() - kRecordOverhead) / 2, address) +
        "\n" + end;
    return image;
}

struct FileChooser : tarvik::rt::PopupHandler {
    void messagePopup(const std::string& title, const std::string& message) override {
        std::fprintf(stderr, "popup %s: %s\n", title.c_str(), message.c_str());
    }
    std::optional<std::string> fileSelectPopup(const std::string&, const std::string&) override {
        return g_hexPath;
    }
};

std::vector<unsigned char> ReadImage(int* count) {
    std::vector<unsigned char> data(HEX_BUFFER_SIZE);
    std::FILE* file = std::fopen(g_hexPath.c_str(), "r");
    ReadHexFile(file, data.data(), HEX_BUFFER_SIZE, count);
    std::fclose(file);
    return data;
}

double WireSeconds() {
    int count = 0;
    const std::vector<unsigned char> data = ReadImage(&count);
    long lines = 0;
    for (int i = 0; i < count; ++i) lines += data[i] == BOOTLOADER_CR;
    return (count + BOOTLOADER_ANSWER_LENGTH * lines) * kBitsPerByte / kWireBitsPerSecond;
}

void StartSession() {
    g_board->setBootloaderMode(true);
    g_board->clearRecording();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
}

template <typename Run>
void Measure(benchmark::State& state, Run run) {
    const double wire = WireSeconds();
    double total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StartSession();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const bool acknowledged = run();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!acknowledged) {
            state.SkipWithError("the board did not take the whole file");
            break;
        }
    }
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = total / state.iterations() / wire;
}

void WholeUpgradeWithPresenceTest(benchmark::State& state) {
    Measure(state, [] {
        Upgrade_firmware_cb(g_hmainPanel, PANEL_UPGRADE_FIRMWARE, EVENT_COMMIT, nullptr, 0, 0);
        char last[DISP_STR_SIZE] = "";
        GetTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, last);
        return std::string(last) == "Data successfully sent";
    });
}
BENCHMARK(WholeUpgradeWithPresenceTest)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void TransferOnly(benchmark::State& state) {
    int count = 0;
    const std::vector<unsigned char> data = ReadImage(&count);
    Measure(state, [&] { return SendFirmwareData(data.data(), count) == 1; });
}
BENCHMARK(TransferOnly)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!StartBenchConsole(argv)) return 1;

    boardsim::Board board;
    if (!StartBenchBoard(board)) return 1;
    g_board = &board;
    g_iCom_port_num = kPort;
    if (OpenComConfig(kPort, board.devicePath().c_str(), 38400, 0, 8, 1, 512, 512) != 0) return 1;
    g_hexPath = "firmware_upgrade_bench.hex";
    std::ofstream(g_hexPath, std::ios::binary) << FirmwareImage();
    FileChooser chooser;
    tarvik::rt::SetPopupHandler(&chooser);

    benchmark::RunSpecifiedBenchmarks();

    tarvik::rt::SetPopupHandler(nullptr);
    std::remove(g_hexPath.c_str());
    CloseCom(kPort);
    board.stop();
    CloseCVIRTE();
    return 0;
}
