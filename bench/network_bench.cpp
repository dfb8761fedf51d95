// A board on another machine must cost no more than its network. Through a real ser2net on
// 127.0.0.1 (its raw tcp accepter and its telnet(rfc2217) one), a paced register read should
// take at most 1.1 times the same read on the local pseudo-terminal, and a paced transfer of
// about 40,000 characters at most 1.05 times its wire time. Both ratios come from the same
// run as their reference. Each is measured with ser2net's "chardelay" off, as the README
// configures it, and with the server's default, which holds every answer at least 1 ms.
// Across a network with 1 ms of delay each way, the transfer should take at most its wire
// time plus one round trip a record, plus 5 %. The kernels these run on may lack netem, so
// the delay is a relay's on loopback (bench_delay_relay.h).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_console.h"
#include "bench/bench_delay_relay.h"
#include "bench/bench_upgrade.h"
#include "boardsim/board.h"
#include "firmware/firmware_transfer.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "tests/support/ser2net_server.h"

namespace {

using Accepter = Ser2netServer::Accepter;
using CharDelay = Ser2netServer::CharDelay;

constexpr int kPort = 1;
constexpr std::size_t kPacedCharacters = 40000;
constexpr int kReads = 300;
constexpr auto kOneWayDelay = std::chrono::microseconds(1000);
// tarvikctl's receive wait: the benchmark opens the port without the speed test.
constexpr double kReceiveWaitSeconds = 3.0;

boardsim::Board* g_board = nullptr;
HexFileImage g_pacedImage;

std::string NameOf(Accepter accepter, CharDelay charDelay) {
    return std::string(accepter == Accepter::Rfc2217 ? "rfc2217" : "tcp") +
           (charDelay == CharDelay::Off ? ", chardelay off" : ", server's default chardelay");
}

// ser2net on the board's line, COM1 open on its URL (or through relay, when given); false
// with the reason on stderr. The console gives the line back first: ser2net opens it itself.
bool ServeBoard(Ser2netServer& server, Accepter accepter, CharDelay charDelay,
                DelayRelay* relay = nullptr) {
    ShutdownLink();
    g_board->setBootloaderMode(false);
    std::string error;
    if (!server.start(g_board->devicePath(), accepter, &error, charDelay) ||
        (relay && !relay->start(server.port(), kOneWayDelay, &error))) {
        std::fprintf(stderr, "no ser2net: %s\n", error.c_str());
        return false;
    }
    if (!relay) return OpenBenchDevice(kPort, server.url());
    const std::string url = server.url();
    return OpenBenchDevice(kPort,
                           url.substr(0, url.rfind(':') + 1) + std::to_string(relay->port()));
}

bool PacedTransfer() {
    return SendFirmwareData(g_pacedImage.data.data(), g_pacedImage.image.count,
                            g_pacedImage.image.records)
        .ok();
}

void SkipAll(benchmark::State& state) {
    state.SkipWithError("ser2net did not serve the board");
    for (auto _ : state) {
    }
}

void PacedTransferThroughSer2net(benchmark::State& state) {
    const auto accepter = static_cast<Accepter>(state.range(0));
    const auto charDelay = static_cast<CharDelay>(state.range(1));
    state.SetLabel(NameOf(accepter, charDelay));
    Ser2netServer server;
    if (!ServeBoard(server, accepter, charDelay)) return SkipAll(state);
    MeasureUpgrade(state, *g_board, g_pacedImage, true, PacedTransfer);
    ShutdownLink();
}
BENCHMARK(PacedTransferThroughSer2net)
    ->ArgsProduct({{static_cast<int>(Accepter::RawTcp), static_cast<int>(Accepter::Rfc2217)},
                   {static_cast<int>(CharDelay::Off), static_cast<int>(CharDelay::ServersDefault)}})
    ->Unit(benchmark::kSecond)
    ->Iterations(2)
    ->UseRealTime();

// Reported as bound_ratio: the mean time over the wire time plus a round trip a record.
void PacedTransferAcrossADelay(benchmark::State& state) {
    const auto accepter = static_cast<Accepter>(state.range(0));
    state.SetLabel(NameOf(accepter, CharDelay::Off) + ", 1 ms each way");
    Ser2netServer server;
    DelayRelay relay;
    if (!ServeBoard(server, accepter, CharDelay::Off, &relay)) return SkipAll(state);
    const std::vector<double> seconds =
        MeasureUpgrade(state, *g_board, g_pacedImage, true, PacedTransfer);
    ShutdownLink();
    double total = 0;
    for (const double s : seconds) total += s;
    const double roundTrip = 2 * std::chrono::duration<double>(kOneWayDelay).count();
    const double bound = WireSeconds(g_pacedImage) + g_pacedImage.image.records * roundTrip;
    state.counters["bound_s"] = bound;
    if (!seconds.empty()) state.counters["bound_ratio"] = total / seconds.size() / bound;
}
BENCHMARK(PacedTransferAcrossADelay)
    ->Arg(static_cast<int>(Accepter::RawTcp))
    ->Arg(static_cast<int>(Accepter::Rfc2217))
    ->Unit(benchmark::kSecond)
    ->Iterations(2)
    ->UseRealTime();

// The paced read's median through ser2net over the same read on the local line.
void CompareRegisterReads() {
    g_board->setBootloaderMode(false);
    g_board->setPacing(true);
    SetReceiveWaitSeconds(kReceiveWaitSeconds);
    if (!OpenBenchDevice(kPort, g_board->devicePath())) return;
    const double local = MedianRegisterReadMicros(kReads);
    for (const CharDelay charDelay : {CharDelay::Off, CharDelay::ServersDefault}) {
        for (const Accepter accepter : {Accepter::RawTcp, Accepter::Rfc2217}) {
            Ser2netServer server;
            if (!ServeBoard(server, accepter, charDelay)) return;
            const double remote = MedianRegisterReadMicros(kReads);
            ShutdownLink();
            std::printf(
                "paced register read, %s: %.0f us, local %.0f us: ratio %.3f (goal <= 1.1)\n",
                NameOf(accepter, charDelay).c_str(), remote, local, remote / local);
        }
    }
    g_board->setPacing(false);
}

}  // namespace

int main(int argc, char** argv) {
    boardsim::Board board;
    if (!StartBenchWithBoard(&argc, argv, board)) return 1;
    g_board = &board;
    if (!Ser2netServer::Installed()) {
        std::fprintf(stderr, "ser2net is not installed (scripts/install-deps.sh --tests)\n");
        return 1;
    }
    if (!WriteImage(g_pacedImage, "network_bench_paced.hex", kPacedCharacters)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    CompareRegisterReads();
    AnswerFileDialogsWith(nullptr);
    std::remove(g_pacedImage.path.c_str());
    EndBench(board);
    return 0;
}
