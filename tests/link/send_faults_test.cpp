// A port that refuses bytes or never drains: the send gives up with -2 or -3,
// the drain wait timing out on elapsed ticks even though no events are processed.
#include <chrono>

#include "app/shell.h"
#include "link/connection.h"
#include "link/frame.h"
#include "link/serial_link.h"
#include "link/transaction.h"
#include "panel/Tarviktest.h"
#include "panel/serial_monitor.h"
#include "registers/register_access.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"

namespace {

// Wraps a real device and misbehaves on the way out.
class FaultyPort : public tarvik::rt::SerialBackend {
  public:
    FaultyPort(std::unique_ptr<tarvik::rt::SerialBackend> real, bool refuseWrites, bool neverDrain)
        : real_(std::move(real)), refuseWrites_(refuseWrites), neverDrain_(neverDrain) {}
    int configure(long b, int p, int d, int s) override { return real_->configure(b, p, d, s); }
    int setHardwareHandshake(bool on) override { return real_->setHardwareHandshake(on); }
    int inQueueLength() override { return real_->inQueueLength(); }
    int outQueueLength() override { return neverDrain_ ? 1 : real_->outQueueLength(); }
    int write(const std::uint8_t* data, int count, double timeout) override {
        return refuseWrites_ ? 0 : real_->write(data, count, timeout);
    }
    int read(std::uint8_t* data, int count, double timeout) override {
        return real_->read(data, count, timeout);
    }
    int flushInput() override { return real_->flushInput(); }
    int flushOutput() override { return real_->flushOutput(); }

  private:
    std::unique_ptr<tarvik::rt::SerialBackend> real_;
    bool refuseWrites_, neverDrain_;
};

class SendFaultsTest : public BoardTest {
  protected:
    void useFaultyPort(bool refuseWrites, bool neverDrain) {
        tarvik::rt::SetSerialBackendFactory([=](int, const std::string& path,
                                                tarvik::rt::OpenFailure* failure) {
            auto real = tarvik::rt::OpenTermiosBackend(path, failure);
            return real ? std::make_unique<FaultyPort>(std::move(real), refuseWrites, neverDrain)
                        : nullptr;
        });
        connectQuickly();
        tarvik::rt::SetSerialBackendFactory(nullptr);
    }
};

}  // namespace

TEST_F(SendFaultsTest, RefusedByteEndsTheSend) {
    useFaultyPort(true, false);
    unsigned int value = 3;
    EXPECT_EQ(GetRegister(1, &value), -2);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{"ERROR on 66: Failed to write output queue",
                                                        "ERROR:failed to send message"}));
    EXPECT_EQ(g_iBusy, 0);
}

TEST_F(SendFaultsTest, OutputQueueThatNeverEmptiesTimesOutOnTicks) {
    useFaultyPort(false, true);
    const double interval = 0.05;
    SetCtrlAttribute(g_hmainPanel, PANEL_TIMER, ATTR_INTERVAL, interval);
    auto start = std::chrono::steady_clock::now();
    unsigned int value = 0;
    g_iTXCommand_id = CMD_GET_REGISTER;
    g_uiTx_word_buf[0] = 0x42000002;
    g_uiTx_word_buf[1] = AddressWord(1);
    EXPECT_EQ(SendSerialMsg(g_uiTx_word_buf, 2), -3);
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // More than g_iTimeout_val (2) ticks must pass: the third tick ends the wait.
    EXPECT_GE(waited, (g_iTimeout_val + 1) * interval * 0.95);
    EXPECT_GT(g_iTimer_cnt, g_iTimeout_val);
    EXPECT_EQ(lastMonitorLine(), "ERROR on 66: Output queue was not emptied");
    EXPECT_EQ(g_iBusy, 0);
    // Only the first byte went out.
    EXPECT_TRUE(board.waitForReceived(1, 1000));
    EXPECT_FALSE(board.waitForReceived(2, 200));
    EXPECT_EQ(board.received().size(), 1u);
    (void)value;
}
