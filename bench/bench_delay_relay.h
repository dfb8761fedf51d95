#pragma once
// A stand-in for a network with delay where the kernel has no netem: a relay on 127.0.0.1
// that takes one connection and passes every chunk on to a server's port only after a fixed
// delay, each way. What a real network does beside the delay (loss, reordering, acknowledgements
// delayed with the data) is not modelled.

#include <chrono>
#include <string>
#include <thread>

class DelayRelay {
  public:
    ~DelayRelay();  // ends the relay and its connection

    // Listens on a free port of 127.0.0.1; the first connection there is relayed to
    // 127.0.0.1:targetPort with `delay` each way. False, with the reason in *error, when it
    // cannot listen.
    bool start(int targetPort, std::chrono::microseconds delay, std::string* error);
    int port() const { return port_; }

  private:
    void run();
    void relay(int client, int server);
    int listener_ = -1, port_ = 0, targetPort_ = 0;
    int stop_[2] = {-1, -1};
    std::chrono::microseconds delay_{0};
    std::thread thread_;
};
