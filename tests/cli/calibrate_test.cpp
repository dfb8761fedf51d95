// Two-point calibrations through tarvikctl with a meter and an operator on
// standard input: the meter's readings are what the virtual board puts out,
// and once calibrated the board's outputs and inputs are right to within a
// millivolt, as the console's own calibration gets them.
#include <QJsonArray>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "boardsim/address_map.h"
#include "boardsim/physics.h"
#include "tests/cli/cli_fixture.h"

namespace address = boardsim::address;
using boardsim::physics::kChannels;

namespace {

constexpr double kMillivolt = 0.001;
// Uncalibrated outputs miss by tens of millivolts: a calibration that changed nothing would
// not pass for one.
constexpr double kUncalibratedMiss = 10 * kMillivolt;
constexpr int kDriveWaitMs = 20'000;
constexpr std::chrono::milliseconds kDrivePoll{2};
constexpr int kLastChannel = kChannels - 1;
// The board's coefficients before anyone calibrates it.
constexpr uint32_t kDefaultDacGain = Bits(1.0f);
constexpr uint32_t kNominalAdcGain =
    Bits(static_cast<float>(boardsim::physics::kAdcFullScaleVolts / boardsim::physics::kCodeMax));
const std::string kPrompt = "then press Enter";
constexpr int kTextSize = 32;
// The JSON gives 7 significant digits of what the board got.
constexpr double kJsonPrecision = 1e-6;

class CliCalibrate : public CliTest {
  protected:
    // Waits until the DAC code of channel is no longer `from`: the drive to the next point has
    // reached it. The channels are driven in order, so the span's last one tells for all.
    bool driven(int channel, uint16_t from) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kDriveWaitMs);
        while (board.reg(address::kDacCode + channel) == from) {
            if (std::chrono::steady_clock::now() > until) return false;
            std::this_thread::sleep_for(kDrivePoll);
        }
        return true;
    }

    // The meter's reading of outputs first .. first+count-1, one a line, to the microvolt.
    std::string readings(int first, int count) {
        std::string lines;
        char line[kTextSize];
        for (int k = first; k < first + count; ++k) {
            std::snprintf(line, sizeof line, "%.6f\n", board.outputVoltage(k));
            lines += line;
        }
        return lines;
    }

    // Calibrates the DAC outputs of channel (0: all) at v1 and v2 with the meter's readings;
    // returns the outcome, and in *worstMiss how far the uncalibrated outputs missed v1.
    CliOutcome calibrateDac(int channel, double v1, double v2, double* worstMiss = nullptr) {
        const int first = channel == 0 ? 0 : channel - 1;
        const int count = channel == 0 ? kChannels : 1;
        const int last = first + count - 1;
        std::vector<std::string> args{"calibrate", "dac",  "--json", "--v1",
                                      volts(v1),   "--v2", volts(v2)};
        if (channel != 0) args.insert(args.end(), {"--channel", std::to_string(channel)});
        // Read before the start, so that a drive cannot come between.
        uint16_t before = board.reg(address::kDacCode + last);
        CliProcess process(onBoard(args));
        for (double point : {v1, v2}) {
            EXPECT_TRUE(driven(last, before)) << "not driven to " << point << " V";
            // The program now waits for the readings, so the codes stay until they are written.
            before = board.reg(address::kDacCode + last);
            if (point == v1 && worstMiss) {
                *worstMiss = 0;
                for (int k = first; k <= last; ++k)
                    *worstMiss = std::max(*worstMiss, std::fabs(board.outputVoltage(k) - v1));
            }
            process.write(readings(first, count));
        }
        return process.finish();
    }

    static std::string volts(double value) {
        char text[kTextSize];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    // Every output of channel (0: all) at each set-point, as a meter reads it.
    void expectOutputsAt(int channel, const std::vector<double>& setPoints) {
        for (double setPoint : setPoints) {
            const CliOutcome set = run({"set-output", std::to_string(channel), volts(setPoint)});
            ASSERT_EQ(set.status, kCliOk) << Described(set);
            for (int k = 0; k < kChannels; ++k) {
                if (channel != 0 && k != channel - 1) continue;
                EXPECT_NEAR(board.outputVoltage(k), setPoint, kMillivolt)
                    << "channel " << k + 1 << " at " << setPoint << " V";
            }
        }
    }
};

TEST_F(CliCalibrate, DacFromTheMetersReadingsPutsEveryOutputWithinAMillivolt) {
    double worstMiss = 0;
    const CliOutcome outcome = calibrateDac(0, 5, 25, &worstMiss);
    ASSERT_EQ(outcome.status, kCliOk) << Described(outcome);
    EXPECT_GT(worstMiss, kUncalibratedMiss);

    const QJsonObject json = JsonOf(outcome);
    EXPECT_EQ(json["kind"].toString(), "dac");
    const QJsonArray channels = json["channels"].toArray();
    ASSERT_EQ(channels.size(), kChannels);
    for (int k = 0; k < kChannels; ++k) {
        const QJsonObject channel = channels[k].toObject();
        EXPECT_EQ(channel["channel"].toInt(), k + 1);
        const double gain = FloatOf(board.word(address::kDacGain + k));
        EXPECT_NEAR(channel["gain"].toDouble(), gain, kJsonPrecision * std::fabs(gain));
        EXPECT_NEAR(channel["offset"].toDouble(), FloatOf(board.word(address::kDacOffset + k)),
                    kJsonPrecision);
    }
    expectOutputsAt(0, {10, 0.5, 31});
}

TEST_F(CliCalibrate, OneChannelTakesOneReadingAPointAndLeavesTheOthers) {
    constexpr int kChannel = 7;
    const CliOutcome outcome = calibrateDac(kChannel, 2, 30);
    ASSERT_EQ(outcome.status, kCliOk) << Described(outcome);
    const QJsonArray channels = JsonOf(outcome)["channels"].toArray();
    ASSERT_EQ(channels.size(), 1);
    EXPECT_EQ(channels[0].toObject()["channel"].toInt(), kChannel);
    for (int k = 0; k < kChannels; ++k) {
        if (k == kChannel - 1)
            EXPECT_NE(board.word(address::kDacGain + k), kDefaultDacGain);
        else
            EXPECT_EQ(board.word(address::kDacGain + k), kDefaultDacGain) << "channel " << k + 1;
    }
    expectOutputsAt(kChannel, {12.345});
}

// Two equal points (a meter that read the same twice, an input that never changed) name the
// channel and exit 1; the board keeps its own pair there unless the fall-back is asked for.
TEST_F(CliCalibrate, EqualPointsKeepTheBoardsCoefficientsUnlessTheFallBackIsAsked) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        uint16_t gainAddress;
        uint32_t boards, fallBack;
        std::string why;
    };
    const Case cases[] = {
        {{"calibrate", "dac", "--v1", "5", "--v2", "25", "--channel", "2"},
         "5\n5\n",
         static_cast<uint16_t>(address::kDacGain + 1),
         kDefaultDacGain,
         0u,
         "Ch2: the two readings are equal; "},
        {{"calibrate", "adc", "--v1", "2", "--v2", "30", "--channel", "3"},
         "\n\n",
         static_cast<uint16_t>(address::kAdcGain + 2),
         kNominalAdcGain,
         Bits(0.001f),
         "Ch3: both points gave the same count; "},
    };
    for (const Case& c : cases) {
        for (const bool fallBack : {false, true}) {
            SCOPED_TRACE(c.args[1] + (fallBack ? " --defaults-for-failed" : ""));
            board.setWord(c.gainAddress, c.boards);
            std::vector<std::string> args = c.args;
            if (fallBack) args.push_back("--defaults-for-failed");
            CliProcess process(onBoard(args));
            process.write(c.input);
            const CliOutcome outcome = process.finish();
            EXPECT_EQ(outcome.status, kCliBoardFailed) << Described(outcome);
            EXPECT_NE(outcome.err.find(c.why + (fallBack ? "" : "the board's coefficients kept")),
                      std::string::npos)
                << outcome.err;
            EXPECT_EQ(board.word(c.gainAddress), fallBack ? c.fallBack : c.boards);
        }
    }
}

// The meter's readings may come from a file, "-" being standard input; the file is opened
// before anything is driven.
TEST_F(CliCalibrate, ReadingsComeFromAFileOrFromStandardInput) {
    const std::string readings = "5.1\n25.2\n";
    const std::vector<std::string> args{"calibrate", "dac", "--v1",      "5",
                                        "--v2",      "25",  "--channel", "1"};
    const auto withWord = [&](const std::string& word) {
        std::vector<std::string> all = args;
        all.push_back(word);
        return all;
    };
    const CliOutcome missing = run(withWord((folder / "missing.txt").string()));
    EXPECT_EQ(missing.status, kCliUsage) << Described(missing);
    EXPECT_NE(missing.err.find("missing.txt: No such file or directory"), std::string::npos);
    EXPECT_TRUE(board.received().empty());
    EXPECT_EQ(run({"calibrate", "adc", "--v1", "2", "--v2", "30", "points.txt"}).status, kCliUsage);

    const CliOutcome fromFile = run(withWord(writeFile("readings.txt", readings)));
    ASSERT_EQ(fromFile.status, kCliOk) << Described(fromFile);
    const uint32_t gain = board.word(address::kDacGain);
    EXPECT_NE(gain, kDefaultDacGain);
    board.setWord(address::kDacGain, kDefaultDacGain);
    const CliOutcome fromInput = run(withWord("-"), readings);
    ASSERT_EQ(fromInput.status, kCliOk) << Described(fromInput);
    EXPECT_EQ(board.word(address::kDacGain), gain);

    const CliOutcome cut = run(withWord(writeFile("cut.txt", "5.1\n")));
    EXPECT_EQ(cut.status, kCliUsage) << Described(cut);
    EXPECT_NE(cut.err.find("cut.txt ended before the reading of channel 1"), std::string::npos)
        << cut.err;
    const CliOutcome endless = run(withWord(writeFile("long.txt", "5" + std::string(5000, '0'))));
    EXPECT_EQ(endless.status, kCliUsage) << Described(endless);
}

TEST_F(CliCalibrate, ReadingThatIsNoNumberExitsTwoAndWritesNoCoefficients) {
    const uint16_t before = board.reg(address::kDacCode + kLastChannel);
    CliProcess process(onBoard({"calibrate", "dac", "--v1", "5", "--v2", "25"}));
    ASSERT_TRUE(driven(kLastChannel, before));
    process.write(readings(0, 1) + "five volts\n");
    const CliOutcome outcome = process.finish();
    EXPECT_EQ(outcome.status, kCliUsage) << Described(outcome);
    EXPECT_NE(outcome.err.find("\"five volts\" refused"), std::string::npos) << outcome.err;
    for (int k = 0; k < kChannels; ++k)
        EXPECT_EQ(board.word(address::kDacGain + k), kDefaultDacGain) << "channel " << k + 1;
}

TEST_F(CliCalibrate, AdcCapturesEachPointOnEnterAndThenReadsTrueVolts) {
    CliProcess process(onBoard({"calibrate", "adc", "--v1", "2", "--v2", "30", "--json"}));
    int prompts = 0;
    for (double applied : {2.0, 30.0}) {
        ASSERT_TRUE(process.waitForError(kPrompt, ++prompts)) << "no prompt for " << applied;
        for (int n = 0; n < kChannels; ++n) board.setInputVoltage(n, applied);
        process.write("\n");
    }
    const CliOutcome outcome = process.finish();
    ASSERT_EQ(outcome.status, kCliOk) << Described(outcome);
    EXPECT_NE(outcome.err.find("Apply 2 V to channels 1 to 16, " + kPrompt), std::string::npos);
    EXPECT_NE(outcome.err.find("Apply 30 V to channels 1 to 16, " + kPrompt), std::string::npos);
    EXPECT_EQ(JsonOf(outcome)["channels"].toArray().size(), kChannels);

    for (int n = 0; n < kChannels; ++n) {
        const uint32_t gainBits = board.word(address::kAdcGain + n);
        EXPECT_NE(gainBits, kNominalAdcGain) << "channel " << n + 1;
        const double gain = FloatOf(gainBits);
        const double offset = FloatOf(board.word(address::kAdcOffset + n));
        for (double volts : {0.3, 12.345, 32.0}) {
            board.setInputVoltage(n, volts);
            EXPECT_NEAR(gain * board.reg(address::kAdcCount + n) + offset, volts, kMillivolt)
                << "channel " << n + 1 << " at " << volts << " V";
        }
    }
}

TEST_F(CliCalibrate, AdcInputClosedBeforeEnterExitsTwoAndWritesNoCoefficients) {
    CliProcess process(onBoard({"calibrate", "adc", "--v1", "2", "--v2", "30"}));
    ASSERT_TRUE(process.waitForError(kPrompt));
    process.closeInput();
    const CliOutcome outcome = process.finish();
    EXPECT_EQ(outcome.status, kCliUsage) << Described(outcome);
    EXPECT_NE(outcome.err.find("standard input ended"), std::string::npos) << outcome.err;
    for (int n = 0; n < kChannels; ++n)
        EXPECT_EQ(board.word(address::kAdcGain + n), kNominalAdcGain) << "channel " << n + 1;
}

}  // namespace
