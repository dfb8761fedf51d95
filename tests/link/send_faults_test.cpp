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
#include "runtime/cvirte.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"
#include "runtime/userint.h"
#include "tests/support/board_fixture.h"

namespace {

// Wraps a real device and misbehaves on the way out: refuses bytes, never drains, or keeps
// each byte in its output queue for a while, as a slow UART does. Counts the looks at the queue.
class FaultyPort : public tarvik::rt::SerialBackend {
  public:
    FaultyPort(std::unique_ptr<tarvik::rt::SerialBackend> real, bool refuseWrites, bool neverDrain,
               double holdSeconds)
        : real_(std::move(real)),
          refuseWrites_(refuseWrites),
          neverDrain_(neverDrain),
          holdSeconds_(holdSeconds) {}
    int configure(long b, int p, int d, int s) override { return real_->configure(b, p, d, s); }
    int setHardwareHandshake(bool on) override { return real_->setHardwareHandshake(on); }
    int inQueueLength() override { return real_->inQueueLength(); }
    int waitForInput(int count, double timeout) override {
        return real_->waitForInput(count, timeout);
    }
    int outQueueLength() override {
        ++looks;
        if (neverDrain_ || Timer() < heldUntil_) return 1;
        return real_->outQueueLength();
    }
    int write(const std::uint8_t* data, int count, double timeout) override {
        heldUntil_ = Timer() + holdSeconds_;
        return refuseWrites_ ? 0 : real_->write(data, count, timeout);
    }
    int read(std::uint8_t* data, int count, double timeout) override {
        return real_->read(data, count, timeout);
    }
    int flushInput() override { return real_->flushInput(); }
    int flushOutput() override { return real_->flushOutput(); }

    static inline int looks = 0;

  private:
    std::unique_ptr<tarvik::rt::SerialBackend> real_;
    bool refuseWrites_, neverDrain_;
    double holdSeconds_;
    double heldUntil_ = 0;
};

class SendFaultsTest : public BoardTest {
  protected:
    void useFaultyPort(bool refuseWrites, bool neverDrain, double holdSeconds = 0) {
        FaultyPort::looks = 0;
        tarvik::rt::SetSerialBackendFactory(
            [=](int, const std::string& path, tarvik::rt::OpenFailure* failure) {
                auto real = tarvik::rt::OpenTermiosBackend(path, failure);
                return real ? std::make_unique<FaultyPort>(std::move(real), refuseWrites,
                                                           neverDrain, holdSeconds)
                            : nullptr;
            });
        connectQuickly();
        tarvik::rt::SetSerialBackendFactory(nullptr);
    }
};

}  // namespace

// Looks at the queue in a 0.15 s wait that sleeps a fraction of a character time (0.26 ms)
// between them, with room to spare; a wait that spun would make far more.
constexpr int kMostLooksWhileSleeping = 5000;

TEST_F(SendFaultsTest, ASlowOutputQueueIsWaitedForSleepingAndEveryByteFollowsItsPredecessor) {
    // Each byte stays 5 ms in the queue: the frame takes 40 ms, and every byte still goes.
    useFaultyPort(false, false, 0.005);
    unsigned int value = 0;
    ASSERT_EQ(GetRegister(1, &value), 1);
    EXPECT_EQ(value, 500u);
    EXPECT_EQ(board.received(),
              (std::vector<uint8_t>{0x42, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x45}));
    EXPECT_GT(FaultyPort::looks, 8);
    EXPECT_LT(FaultyPort::looks, kMostLooksWhileSleeping);
}

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
    // The wait slept between its looks at the queue: a spinning one looks millions of times.
    EXPECT_LT(FaultyPort::looks, kMostLooksWhileSleeping);
    // Only the first byte went out.
    EXPECT_TRUE(board.waitForReceived(1, 1000));
    EXPECT_FALSE(board.waitForReceived(2, 200));
    EXPECT_EQ(board.received().size(), 1u);
    (void)value;
}
