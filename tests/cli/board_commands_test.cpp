// Each of tarvikctl's one-shot commands against the virtual board: what it
// prints for people, what it prints as JSON, and what it leaves on the board.
#include <QJsonArray>
#include <cstdio>
#include <string>
#include <vector>

#include "boardsim/address_map.h"
#include "boardsim/physics.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/ser2net_server.h"

namespace address = boardsim::address;
using boardsim::physics::kChannels;
using Lines = std::vector<std::string>;

namespace {

constexpr int kDefaultVersion = 0x0012;
constexpr uint16_t kVersion = 0x0123;
// The console shows raw / 4 - 103 degrees, the division an integer one.
constexpr uint16_t kRawTemperature = 613;
constexpr int kCelsius = 50;
constexpr uint16_t kRawRoomTemperature = 500;
constexpr int kRoomCelsius = 22;
constexpr uint16_t kFlippedBit = 0x0100;
constexpr unsigned int kRegisterBits = 0xFFFF;

// A value of channel k that no other channel shares.
float perChannel(int k, float first, float step) {
    return first + step * static_cast<float>(k);
}

std::string hex4(unsigned int value) {
    char text[sizeof "FFFF"];
    std::snprintf(text, sizeof text, "%04X", value & kRegisterBits);
    return text;
}

using CliCommands = CliTest;

TEST_F(CliCommands, InfoReportsTheFirmwareVersionAndTheTemperature) {
    board.setRawTemperature(kRawRoomTemperature);
    const CliOutcome json = run({"info", "--json"});
    ASSERT_EQ(json.status, kCliOk) << Described(json);
    const QJsonObject info = JsonOf(json);
    EXPECT_EQ(info["command"].toString(), "info");
    EXPECT_EQ(info["firmware_version"].toInt(), kDefaultVersion);
    EXPECT_EQ(info["temperature"].toDouble(), kRoomCelsius);
    EXPECT_EQ(info["device"].toString().toStdString(), board.devicePath());
    EXPECT_EQ(info["port"].toInt(), 1);
    EXPECT_GT(info["receive_wait_seconds"].toDouble(), 0.0);
    EXPECT_EQ(info["status"].toInt(), kCliOk);
    EXPECT_FALSE(info.contains("error"));

    board.setFirmwareVersion(kVersion);
    board.setRawTemperature(kRawTemperature);
    const CliOutcome plain = run({"info"});
    ASSERT_EQ(plain.status, kCliOk) << Described(plain);
    EXPECT_EQ(LinesOf(plain.out),
              (Lines{"Firmware version is 0x0123", "Board temperature is 50.00"}));
}

TEST_F(CliCommands, ReadShowsARegisterAsFourHexDigits) {
    board.setReg(address::kDacCode + 3, 0xBEEF);
    const CliOutcome plain = run({"read", "0x23"});
    ASSERT_EQ(plain.status, kCliOk) << Described(plain);
    EXPECT_EQ(plain.out, "0xBEEF\n");

    board.setReg(address::kDacCode + 4, 0x00A5);
    const CliOutcome json = run({"--json", "read", "0x24"});
    ASSERT_EQ(json.status, kCliOk) << Described(json);
    const QJsonObject read = JsonOf(json);
    EXPECT_EQ(read["address"].toInt(), 0x24);
    EXPECT_EQ(read["value"].toInt(), 0x00A5);
}

// A number is read as other Linux tools read it: 0x or 0X makes it hexadecimal, anything else
// is decimal, a leading 0 included (never octal); what is printed stays hexadecimal.
TEST_F(CliCommands, NumbersAreDecimalUnlessTheyStartWith0x) {
    struct Case {
        std::vector<std::string> args;
        uint16_t reg;
        uint16_t value;  // what the register holds afterwards
    };
    const Case cases[] = {
        {{"write", "33", "4660"}, address::kDacCode + 1, 0x1234},
        {{"write", "0X21", "0XABCD"}, address::kDacCode + 1, 0xABCD},
        {{"write", "033", "010"}, address::kDacCode + 1, 10},
        {{"write", "0x21", "65535", "0x0F0F"}, address::kDacCode + 1, 0x0F0F},
        {{"write", "0x21", "0", "255"}, address::kDacCode + 1, 0x0F00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        const CliOutcome outcome = run(c.args);
        ASSERT_EQ(outcome.status, kCliOk) << Described(outcome);
        EXPECT_EQ(board.reg(c.reg), c.value);
        EXPECT_EQ(outcome.out, "0x" + hex4(c.value) + "\n");
    }
    EXPECT_EQ(run({"read", "35"}).out, run({"read", "0x23"}).out);
    const CliOutcome word = run({"block-write", "112", "1065353216"});
    ASSERT_EQ(word.status, kCliOk) << Described(word);
    EXPECT_EQ(board.word(address::kDacOffset), Bits(1.0f));
}

TEST_F(CliCommands, WriteMergesUnderTheMaskAndShowsTheReadBack) {
    const CliOutcome full = run({"write", "0x21", "0x1234"});
    ASSERT_EQ(full.status, kCliOk) << Described(full);
    EXPECT_EQ(full.out, "0x1234\n");
    EXPECT_EQ(board.reg(address::kDacCode + 1), 0x1234);

    const CliOutcome masked = run({"write", "0x21", "0xABCD", "0x00FF", "--json"});
    ASSERT_EQ(masked.status, kCliOk) << Described(masked);
    EXPECT_EQ(board.reg(address::kDacCode + 1), 0x12CD);
    const QJsonObject write = JsonOf(masked);
    EXPECT_EQ(write["address"].toInt(), 0x21);
    EXPECT_EQ(write["value"].toInt(), 0xABCD);
    EXPECT_EQ(write["mask"].toInt(), 0x00FF);
    EXPECT_EQ(write["readback"].toInt(), 0x12CD);
    EXPECT_TRUE(write["matches"].toBool());
    EXPECT_EQ(JsonOf(run({"write", "0x21", "5", "--json"}))["mask"].toInt(), 0xFFFF);
}

TEST_F(CliCommands, ReadBackThatDiffersUnderTheMaskExitsOne) {
    // An ADC count is a measurement: the board keeps it whatever is written.
    const uint16_t count = board.reg(address::kAdcCount + 2);
    const std::string value = "0x" + hex4(count ^ kFlippedBit);

    const CliOutcome plain = run({"write", "0x32", value});
    EXPECT_EQ(plain.status, kCliBoardFailed) << Described(plain);
    EXPECT_EQ(plain.out, "0x" + hex4(count) + "\n");
    EXPECT_NE(plain.err.find("read back"), std::string::npos) << plain.err;
    // Outside the mask the difference does not count.
    EXPECT_EQ(run({"write", "0x32", value, "0x" + hex4(~kFlippedBit)}).status, kCliOk);

    const QJsonObject json = JsonOf(run({"write", "0x32", value, "--json"}));
    EXPECT_EQ(json["status"].toInt(), kCliBoardFailed);
    EXPECT_EQ(json["readback"].toInt(), count);
    EXPECT_FALSE(json["matches"].toBool());
    EXPECT_FALSE(json["error"].toString().isEmpty());
}

TEST_F(CliCommands, BlockReadShowsWordsInHexOrAsFloats) {
    for (int k = 0; k < 4; ++k) board.setWord(address::kCurrent + k, Bits(perChannel(k, 1.25f, 2)));
    // Options may follow the command's own words.
    const CliOutcome floats = run({"block-read", "0x50", "4", "--float"});
    ASSERT_EQ(floats.status, kCliOk) << Described(floats);
    EXPECT_EQ(LinesOf(floats.out), (Lines{"1.25", "3.25", "5.25", "7.25"}));

    board.setWord(address::kDacOffset, 0xDEADBEEF);
    const CliOutcome hex = run({"block-read", "0x70", "2"});
    ASSERT_EQ(hex.status, kCliOk) << Described(hex);
    EXPECT_EQ(LinesOf(hex.out), (Lines{"0xDEADBEEF", "0x00000000"}));

    const QJsonObject words = JsonOf(run({"block-read", "0x70", "2", "--json"}));
    EXPECT_EQ(words["address"].toInt(), address::kDacOffset);
    EXPECT_EQ(words["count"].toInt(), 2);
    EXPECT_EQ(NumbersOf(words["words"]), (std::vector<double>{0xDEADBEEF, 0}));

    const QJsonObject asFloats = JsonOf(run({"block-read", "0x50", "2", "--json", "--float"}));
    EXPECT_EQ(NumbersOf(asFloats["floats"]), (std::vector<double>{1.25, 3.25}));
}

TEST_F(CliCommands, BlockWriteLeavesItsWordsOnTheBoard) {
    const CliOutcome hex = run({"block-write", "0x70", "0x3F800000", "1078530011"});
    ASSERT_EQ(hex.status, kCliOk) << Described(hex);
    EXPECT_EQ(board.word(address::kDacOffset), 0x3F800000u);
    EXPECT_EQ(board.word(address::kDacOffset + 1), 0x40490FDBu);

    // A negative number is a word, not an option.
    const CliOutcome floats = run({"block-write", "--float", "0x74", "1.5", "-0.25", "--json"});
    ASSERT_EQ(floats.status, kCliOk) << Described(floats);
    EXPECT_EQ(board.word(address::kDacOffset + 4), Bits(1.5f));
    EXPECT_EQ(board.word(address::kDacOffset + 5), Bits(-0.25f));
    const QJsonObject json = JsonOf(floats);
    EXPECT_EQ(json["address"].toInt(), address::kDacOffset + 4);
    EXPECT_EQ(json["count"].toInt(), 2);
}

TEST_F(CliCommands, TemperatureAndCurrentsPrintTheConsolesLines) {
    board.setRawTemperature(kRawTemperature);
    EXPECT_EQ(run({"temperature"}).out, "Board temperature is 50.00\n");
    EXPECT_EQ(JsonOf(run({"temperature", "--json"}))["temperature"].toDouble(), kCelsius);

    for (int k = 0; k < kChannels; ++k)
        board.setWord(address::kCurrent + k, Bits(perChannel(k, 0.5f, 1.125f)));
    const CliOutcome plain = run({"currents"});
    ASSERT_EQ(plain.status, kCliOk) << Described(plain);
    const Lines lines = LinesOf(plain.out);
    ASSERT_EQ(lines.size(), std::size_t{kChannels});
    EXPECT_EQ(lines.front(), "Channel1: 0.500mA");
    EXPECT_EQ(lines[1], "Channel2: 1.625mA");
    EXPECT_EQ(lines.back(), "Channel16: 17.375mA");

    const QJsonArray currents = JsonOf(run({"currents", "--json"}))["currents_mA"].toArray();
    ASSERT_EQ(currents.size(), kChannels);
    for (int k = 0; k < kChannels; ++k)
        EXPECT_EQ(currents[k].toDouble(), perChannel(k, 0.5f, 1.125f)) << "channel " << k + 1;
}

TEST_F(CliCommands, CoefficientsShowEachChannelsGainAndOffset) {
    for (int k = 0; k < kChannels; ++k) {
        board.setWord(address::kDacGain + k, Bits(perChannel(k, 0.98f, 0.0025f)));
        board.setWord(address::kDacOffset + k, Bits(perChannel(k, -0.04f, 0.005f)));
    }
    const CliOutcome dac = run({"coefficients", "dac"});
    ASSERT_EQ(dac.status, kCliOk) << Described(dac);
    const Lines lines = LinesOf(dac.out);
    ASSERT_EQ(lines.size(), std::size_t{kChannels});
    EXPECT_EQ(lines.front(), "Ch1: GCF: 0.98, OCF: -0.04");
    EXPECT_EQ(lines.back(), "Ch16: GCF: 1.0175, OCF: 0.035");

    board.setWord(address::kAdcGain + 5, Bits(0.0005f));
    board.setWord(address::kAdcOffset + 5, Bits(-0.0125f));
    const QJsonObject adc = JsonOf(run({"coefficients", "adc", "--json"}));
    EXPECT_EQ(adc["kind"].toString(), "adc");
    const QJsonArray channels = adc["channels"].toArray();
    ASSERT_EQ(channels.size(), kChannels);
    const QJsonObject sixth = channels[5].toObject();
    EXPECT_EQ(sixth["channel"].toInt(), 6);
    EXPECT_FLOAT_EQ(sixth["gain"].toDouble(), 0.0005f);
    EXPECT_FLOAT_EQ(sixth["offset"].toDouble(), -0.0125f);
}

TEST_F(CliCommands, SetOutputSendsTheSetPointOfOneChannelOrAll) {
    const CliOutcome one = run({"set-output", "3", "12.5", "--json"});
    ASSERT_EQ(one.status, kCliOk) << Described(one);
    EXPECT_EQ(board.word(address::kSetPoint + 2), Bits(12.5f));
    EXPECT_EQ(board.word(address::kSetPoint + 3), 0u) << "its neighbour stays";
    const QJsonObject json = JsonOf(one);
    EXPECT_EQ(json["channel"].toInt(), 3);
    EXPECT_EQ(json["volts"].toDouble(), 12.5);

    // A comma stands for the point, as in the console's boxes.
    const CliOutcome all = run({"set-output", "0", "7,25"});
    ASSERT_EQ(all.status, kCliOk) << Described(all);
    for (int k = 0; k < kChannels; ++k)
        EXPECT_EQ(board.word(address::kSetPoint + k), Bits(7.25f)) << "channel " << k + 1;
}

TEST(CliPorts, ListsTheSerialDevicesWithoutABoard) {
    const CliOutcome ports = RunCli({"ports", "--json"});
    ASSERT_EQ(ports.status, kCliOk) << Described(ports);
    const QJsonObject json = JsonOf(ports);
    ASSERT_TRUE(json["ports"].isArray());
    for (const QJsonValue& port : json["ports"].toArray()) {
        EXPECT_TRUE(port["path"].isString());
        EXPECT_TRUE(port["kind"].isString());
    }
    // Plain, each line is a device and its kind, as the JSON gives them.
    const CliOutcome plain = RunCli({"ports"});
    EXPECT_EQ(plain.status, kCliOk) << Described(plain);
    Lines expected;
    for (const QJsonValue& port : json["ports"].toArray())
        expected.push_back(port["path"].toString().toStdString() + "\t" +
                           port["kind"].toString().toStdString());
    EXPECT_EQ(LinesOf(plain.out), expected);
}

}  // namespace

// A production line runs one command after another on a board behind ser2net, each a new
// process: each finds the server free again, and info names the URL.
TEST_F(CliCommands, ABoardBehindSer2netTakesOneCommandAfterAnother) {
    if (!Ser2netServer::Installed()) GTEST_SKIP() << "ser2net is not installed";
    for (const auto accepter :
         {Ser2netServer::Accepter::RawTcp, Ser2netServer::Accepter::Rfc2217}) {
        Ser2netServer server;
        std::string error;
        ASSERT_TRUE(server.start(board.devicePath(), accepter, &error)) << error;
        SCOPED_TRACE(server.url());
        // info's speed test costs half a second: one accepter is enough for it.
        if (accepter == Ser2netServer::Accepter::Rfc2217) {
            const CliOutcome info = RunCli({"--device", server.url(), "--json", "info"});
            ASSERT_EQ(info.status, kCliOk) << Described(info);
            EXPECT_EQ(JsonOf(info)["device"].toString().toStdString(), server.url());
        }
        const CliOutcome write = RunCli({"--device", server.url(), "write", "0x20", "0xFF0D"});
        ASSERT_EQ(write.status, kCliOk) << Described(write);
        const CliOutcome read = RunCli({"--device", server.url(), "read", "0x20"});
        ASSERT_EQ(read.status, kCliOk) << Described(read);
        EXPECT_EQ(LinesOf(read.out), Lines{"0xFF0D"});
    }
}
