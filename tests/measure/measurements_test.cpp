// Temperature and currents as the operator reads them.
#include "link/connection.h"
#include "link/serial_link.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/address_map.h"
#include "tests/support/board_fixture.h"

namespace {
class MeasurementsTest : public BoardTest {
  protected:
    void SetUp() override {
        BoardTest::SetUp();
        connectQuickly();
    }
};
}  // namespace

TEST_F(MeasurementsTest, TemperatureDropsTheRemainderOfTheRawQuarter) {
    for (auto [raw, shown] :
         {std::pair{500, "22.00"}, {503, "22.00"}, {504, "23.00"}, {0, "-103.00"}}) {
        board.setRawTemperature(static_cast<uint16_t>(raw));
        click(PANEL_TEMPERATURE_MEAS);
        EXPECT_EQ(text(PANEL_TEMPERATURE), shown);
        EXPECT_EQ(lastMonitorLine(), std::string("Board temperature is ") + shown);
    }
}

TEST_F(MeasurementsTest, FailedTemperatureReadShowsErr) {
    shortenReceiveWait();
    board.setFault(boardsim::Fault{.kind = boardsim::Fault::Kind::BadChecksum});
    click(PANEL_TEMPERATURE_MEAS);
    EXPECT_EQ(text(PANEL_TEMPERATURE), "Err");
    EXPECT_EQ(lastMonitorLine(), "ERROR:failed to get a response");
}

TEST_F(MeasurementsTest, CurrentsAreLoggedFromChannelOne) {
    board.setWord(ADDR_CURRENT, FloatBits(1.5f));
    board.setWord(ADDR_CURRENT + 15, FloatBits(-0.25f));
    click(PANEL_READ_CURRENTS);
    std::vector<std::string> lines = monitorLines();
    ASSERT_EQ(lines.size(), 3u + 18u + 16u);  // 3-word request, 18-word answer, 16 current lines
    EXPECT_EQ(framesSent().at(0).at(1), 16u);
    EXPECT_EQ(lines[21], "Channel1: 1.500mA");
    EXPECT_EQ(lines[36], "Channel16: -0.250mA");
}

TEST_F(MeasurementsTest, FailedCurrentReadSaysSo) {
    board.setFault(boardsim::Fault{.kind = boardsim::Fault::Kind::StatusBits, .status = 0x10});
    click(PANEL_READ_CURRENTS);
    EXPECT_EQ(lastMonitorLine(), "Error:Failed to get register");
}
