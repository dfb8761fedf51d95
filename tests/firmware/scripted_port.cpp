#include "tests/firmware/scripted_port.h"

#include <algorithm>

#include "link/connection.h"
#include "runtime/rs232.h"
#include "runtime/serial_backend.h"

namespace {

class ScriptedBackend : public tarvik::rt::SerialBackend {
  public:
    explicit ScriptedBackend(std::shared_ptr<ScriptedLine> line) : line_(std::move(line)) {}
    int configure(long, int, int, int) override { return 0; }
    int setHardwareHandshake(bool) override { return 0; }
    int inQueueLength() override { return static_cast<int>(line_->input.size()); }
    int outQueueLength() override { return line_->written.size() > line_->drainingBytes ? 1 : 0; }
    int write(const std::uint8_t* data, int count, double) override {
        for (int i = 0; i < count; ++i) {
            line_->written.push_back(data[i]);
            if (data[i] == 0x0D) answer();
        }
        return count;
    }
    int read(std::uint8_t* data, int count, double) override {
        const int n = std::min(count, inQueueLength());
        for (int i = 0; i < n; ++i, line_->input.pop_front()) data[i] = line_->input.front();
        return n;
    }
    int flushInput() override {
        line_->input.clear();
        return 0;
    }
    int flushOutput() override { return 0; }

  private:
    void answer() {
        std::vector<uint8_t> bytes{0x13, 0x06, 0x11};
        if (!line_->answers.empty()) {
            bytes = line_->answers.front();
            line_->answers.pop_front();
        }
        line_->input.insert(line_->input.end(), bytes.begin(), bytes.end());
    }
    std::shared_ptr<ScriptedLine> line_;
};

}  // namespace

std::shared_ptr<ScriptedLine> OpenScriptedPort(int port) {
    auto line = std::make_shared<ScriptedLine>();
    tarvik::rt::SetSerialBackendFactory([line](int, const std::string&, tarvik::rt::OpenFailure*) {
        return std::make_unique<ScriptedBackend>(line);
    });
    const bool opened = OpenLinkOn(port, 0).ok();
    tarvik::rt::SetSerialBackendFactory(nullptr);
    return opened ? line : nullptr;
}
