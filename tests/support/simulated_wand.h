// A simulated wand served on a thread of the test, on a pseudo-terminal of its own.
#pragma once

#include <mutex>
#include <thread>
#include <vector>

#include "wand_simulator.h"

namespace testing_support {

class SimulatedWand {
 public:
  explicit SimulatedWand(std::vector<wandlink::WandRecord> log,
                         wandsim::WandBehaviour behaviour = {})
      : SimulatedWand(
            [] {
              auto line = wandsim::PseudoTerminal::Create();
              if (!line) {
                std::abort();
              }
              return std::move(*line);
            }(),
            std::move(log), behaviour) {}

  // On a line of the caller's, such as an emulated device's terminal.
  SimulatedWand(wandsim::PseudoTerminal line, std::vector<wandlink::WandRecord> log,
                wandsim::WandBehaviour behaviour = {})
      : wand_(std::move(line), behaviour, std::move(log),
              [this](const wandlink::ClockFrame& frame) {
                std::lock_guard lock(mutex_);
                clockFrames_.push_back(frame);
              }),
        server_([this] { wand_.Serve(stop_); }) {}

  ~SimulatedWand() {
    stop_.Request();
    server_.join();
  }
  SimulatedWand(const SimulatedWand&) = delete;
  SimulatedWand& operator=(const SimulatedWand&) = delete;

  std::string Device() const { return wand_.Device().string(); }

  std::vector<wandlink::ClockFrame> ClockFrames() const {
    std::lock_guard lock(mutex_);
    return clockFrames_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<wandlink::ClockFrame> clockFrames_;
  wandlink::StopSignal stop_;
  wandsim::WandSimulator wand_;
  std::thread server_;
};

}  // namespace testing_support
