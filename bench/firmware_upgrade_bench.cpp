// A firmware upgrade must leave the pace to the wire. Against the virtual board without
// pacing, the console's own time for a 400,000-character HEX file should stay at most a tenth
// of what the same file takes on the wire at 38400 baud (its characters plus the three answer
// bytes of each line, 10 bits a byte). Against a board that keeps to the wire rate, the
// transfer of a file of about 40,000 characters should take at most 1.05 times its wire time:
// the progress shown and the events dispatched on the way must not slow it. Reported as
// `ratio`: with the presence test's fixed 2 s wait for the whole upgrade, without it for the
// transfer alone (the one the limits are for).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/shell.h"
#include "bench/bench_console.h"
#include "boardsim/board.h"
#include "firmware/bootloader_bytes.h"
#include "firmware/firmware_transfer.h"
#include "firmware/firmware_upgrade.h"
#include "firmware/hex_file_reader.h"
#include "link/connection.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "runtime/cvirte.h"
#include "runtime/popup_handler.h"
#include "runtime/rs232.h"
#include "runtime/userint.h"

namespace {

constexpr int kPort = 1;
constexpr double kWireBitsPerSecond = 38400.0;
constexpr double kBitsPerByte = 10.0;

constexpr std::size_t kPacedCharacters = 40000;

boardsim::Board* g_board = nullptr;

// A record of `length` zero data bytes at `address` (its low 16 bits), correctly summed.
std::string ZeroRecord(unsigned length, unsigned address) {
    char record[80];
    address &= 0xFFFF;
    const unsigned sum = length + (address >> 8) + (address & 0xFF);
    std::snprintf(record, sizeof record, ":%02X%04X00%s%02X", length, address,
                  std::string(2 * length, '0').c_str(), (0x100 - sum % 0x100) & 0xFF);
    return record;
}

// Exactly `characters` characters: 16-byte records, one shorter record to fill up, the end.
// A record line of n data bytes has 12 + 2n characters, its LF included.
std::string FirmwareImage(std::string::size_type characters) {
    constexpr unsigned kRecordOverhead = 12;
    const std::string end = ":00000001FF\n";
    const std::string::size_type fullLine = kRecordOverhead + 2 * 16;
    const std::string::size_type room = characters - end.size() - kRecordOverhead;
    std::string image;
    unsigned address = 0;
    for (std::string::size_type n = 0; n < room / fullLine; ++n, address += 16)
        image += ZeroRecord(16, address) + "\n";
    image += ZeroRecord((characters - end.size() - image.size() - kRecordOverhead) / 2, address) +
             "\n" + end;
    return image;
}

// A HEX file on disk and what the console reads from it.
struct HexFileImage {
    std::string path;
    std::vector<unsigned char> data = std::vector<unsigned char>(HEX_BUFFER_SIZE);
    HexImage image{};
};

HexFileImage g_fullImage, g_pacedImage;
const HexFileImage* g_chosen = nullptr;  // the file the dialog answers with

bool WriteImage(HexFileImage& file, const std::string& path, std::string::size_type characters) {
    file.path = path;
    std::ofstream(path, std::ios::binary) << FirmwareImage(characters);
    std::FILE* opened = std::fopen(path.c_str(), "r");
    if (!opened) return false;
    const HexReadResult read = ReadHexFile(opened, file.data.data(), HEX_BUFFER_SIZE, &file.image);
    std::fclose(opened);
    if (read == HEX_READ_OK) return true;
    std::fprintf(stderr, "the bench's own file is refused: %s\n", file.image.problem);
    return false;
}

struct FileChooser : tarvik::rt::PopupHandler {
    void messagePopup(const std::string& title, const std::string& message) override {
        std::fprintf(stderr, "popup %s: %s\n", title.c_str(), message.c_str());
    }
    std::optional<std::string> fileSelectPopup(const std::string&, const std::string&,
                                               const std::string&) override {
        return g_chosen->path;
    }
};

double WireSeconds(const HexFileImage& file) {
    return (file.image.count + BOOTLOADER_ANSWER_LENGTH * file.image.records) * kBitsPerByte /
           kWireBitsPerSecond;
}

void StartSession() {
    g_board->setBootloaderMode(true);
    g_board->clearRecording();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    g_iSerial_comm_cnt = 0;
}

template <typename Run>
void Measure(benchmark::State& state, const HexFileImage& file, bool paced, Run run) {
    const double wire = WireSeconds(file);
    g_chosen = &file;
    g_board->setPacing(paced);
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
    g_board->setPacing(false);
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = total / state.iterations() / wire;
}

bool WholeUpgrade() {
    Upgrade_firmware_cb(g_hmainPanel, PANEL_UPGRADE_FIRMWARE, EVENT_COMMIT, nullptr, 0, 0);
    char last[DISP_STR_SIZE] = "";
    GetTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, g_iSerial_comm_cnt - 1, last);
    return std::string(last) == "Data successfully sent";
}

bool TransferOf(const HexFileImage& file) {
    return SendFirmwareData(file.data.data(), file.image.count, file.image.records) ==
           TRANSFER_DONE;
}

void WholeUpgradeWithPresenceTest(benchmark::State& state) {
    Measure(state, g_fullImage, false, WholeUpgrade);
}
BENCHMARK(WholeUpgradeWithPresenceTest)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void TransferOnly(benchmark::State& state) {
    Measure(state, g_fullImage, false, [] { return TransferOf(g_fullImage); });
}
BENCHMARK(TransferOnly)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void PacedTransferOnly(benchmark::State& state) {
    Measure(state, g_pacedImage, true, [] { return TransferOf(g_pacedImage); });
}
BENCHMARK(PacedTransferOnly)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void PacedWholeUpgradeWithPresenceTest(benchmark::State& state) {
    Measure(state, g_pacedImage, true, WholeUpgrade);
}
BENCHMARK(PacedWholeUpgradeWithPresenceTest)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!StartBenchConsole(argv)) return 1;

    boardsim::Board board;
    if (!StartBenchBoard(board)) return 1;
    g_board = &board;
    g_iCom_port_num = kPort;
    if (OpenComConfig(kPort, board.devicePath().c_str(), 38400, 0, 8, 1, 512, 512) != 0) return 1;
    if (!WriteImage(g_fullImage, "firmware_upgrade_bench.hex", HEX_MOST_CHARACTERS) ||
        !WriteImage(g_pacedImage, "firmware_upgrade_bench_paced.hex", kPacedCharacters))
        return 1;
    FileChooser chooser;
    tarvik::rt::SetPopupHandler(&chooser);

    benchmark::RunSpecifiedBenchmarks();

    tarvik::rt::SetPopupHandler(nullptr);
    std::remove(g_fullImage.path.c_str());
    std::remove(g_pacedImage.path.c_str());
    CloseCom(kPort);
    board.stop();
    CloseCVIRTE();
    return 0;
}
