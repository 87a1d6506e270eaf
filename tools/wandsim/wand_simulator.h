// A data wand at the far end of a pseudo-terminal, for tests, demonstrations and users
// without a wand.
//
// It answers every download until stopped: the probe (0x30) with ProbeAnswerLength bytes,
// which tells the downloader what kind of wand this is; identify (0x55) with the wand number;
// first record (0x04) and next record (0x00) with one record each and then the end marker;
// and it takes the 5 bytes that follow the end marker as the clock frame. Faults make it
// misbehave on purpose, counted per download in record commands (0x04 is the first).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "pseudo_terminal.h"
#include "wandlink/record.h"
#include "wandlink/stop_signal.h"

namespace wandsim {

struct WandBehaviour {
  std::uint16_t wandNumber = 0x120A;
  // 25 or fewer: a wand that keeps the month in the low digit; 26 or more: a BCD month.
  std::size_t probeAnswerLength = 30;
  bool silent = false;                      // answers nothing at all
  bool flood = false;                       // sends random bytes without pause, whatever it hears
  std::optional<std::size_t> shortReplyAt;  // this record command gets 8 bytes of 9
  std::optional<std::size_t> silentAfter;   // record commands past this one get no answer
  std::optional<std::size_t> hangUpAfter;   // the next record command hangs the line up
  bool paced = false;                       // bytes leave at 9600 baud, one at a time
  std::chrono::milliseconds replyDelay{0};  // every answer waits this long first
  // A USB adapter's latency timer: a reply reaches the computer whole, this long after its last
  // byte came off the line.
  std::chrono::milliseconds adapterLatency{0};
};

class WandSimulator {
 public:
  using ClockReport = std::function<void(const wandlink::ClockFrame&)>;

  WandSimulator(PseudoTerminal line, WandBehaviour behaviour, std::vector<wandlink::WandRecord> log,
                ClockReport onClockFrame = {});

  // The path a program opens to reach this wand.
  const std::filesystem::path& Device() const { return line_.SlavePath(); }

  // Serves downloads until the stop signal is raised or the line has been hung up.
  void Serve(const wandlink::StopSignal& stop);

 private:
  void Flood(const wandlink::StopSignal& stop);
  void Handle(std::uint8_t command, const wandlink::StopSignal& stop);
  void AnswerRecordCommand(const wandlink::StopSignal& stop);
  void Answer(std::span<const std::uint8_t> bytes, const wandlink::StopSignal& stop);
  void ReplayUnfinishedClockFrame(const wandlink::StopSignal& stop);

  PseudoTerminal line_;
  WandBehaviour behaviour_;
  std::vector<wandlink::WandRecord> log_;
  ClockReport onClockFrame_;

  std::size_t nextRecord_ = 0;
  std::size_t recordCommands_ = 0;
  bool awaitingClock_ = false;
  std::chrono::steady_clock::time_point clockDeadline_;
  std::vector<std::uint8_t> clockBytes_;
};

}  // namespace wandsim
