#include "wand_simulator.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>
#include <thread>

#include "wand_log.h"
#include "wandlink/poll_wait.h"

namespace wandsim {
namespace {

constexpr std::uint8_t kProbe = 0x30;
constexpr std::uint8_t kIdentify = 0x55;
constexpr std::uint8_t kFirstRecord = 0x04;
constexpr std::uint8_t kNextRecord = 0x00;

// The downloader sends the clock frame as soon as the end marker is in. Bytes that have not
// made up a whole frame by then belong to the next download (one that was cut short before
// setting the clock), and are taken as commands after all.
constexpr std::chrono::milliseconds kClockFrameWindow{400};

// One byte at 9600 baud: start bit, 8 data bits, stop bit.
constexpr std::chrono::microseconds kByteTime{1'000'000 * 10 / 9600};

}  // namespace

WandSimulator::WandSimulator(PseudoTerminal line, WandBehaviour behaviour,
                             std::vector<wandlink::WandRecord> log, ClockReport onClockFrame)
    : line_(std::move(line)),
      behaviour_(behaviour),
      log_(std::move(log)),
      onClockFrame_(std::move(onClockFrame)) {}

void WandSimulator::Serve(const wandlink::StopSignal& stop) {
  if (behaviour_.flood) {
    Flood(stop);
    return;
  }
  std::array<std::uint8_t, 256> input{};
  while (line_.Master() >= 0 && !stop.Requested()) {
    const auto deadline = awaitingClock_ ? clockDeadline_ : wandlink::Deadline::max();
    pollfd watch[2] = {{line_.Master(), POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
    if (wandlink::PollUntil(watch, deadline) == 0) {
      ReplayUnfinishedClockFrame(stop);
      continue;
    }
    if (watch[1].revents != 0) {
      return;
    }
    const ssize_t got = ::read(line_.Master(), input.data(), input.size());
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
      continue;
    }
    if (got <= 0) {
      return;
    }
    for (ssize_t i = 0; i < got && line_.Master() >= 0; ++i) {
      if (awaitingClock_) {
        clockBytes_.push_back(input[static_cast<std::size_t>(i)]);
        if (clockBytes_.size() == wandlink::kClockFrameSize) {
          awaitingClock_ = false;
          wandlink::ClockFrame frame;
          std::copy(clockBytes_.begin(), clockBytes_.end(), frame.begin());
          clockBytes_.clear();
          if (onClockFrame_) {
            onClockFrame_(frame);
          }
        }
        continue;
      }
      Handle(input[static_cast<std::size_t>(i)], stop);
    }
  }
}

void WandSimulator::Flood(const wandlink::StopSignal& stop) {
  std::mt19937 random(behaviour_.wandNumber);
  std::array<std::uint8_t, 64> noise{};
  std::array<std::uint8_t, 256> heard{};
  while (line_.Master() >= 0) {
    pollfd watch[2] = {{line_.Master(), POLLIN | POLLOUT, 0}, {stop.Fd(), POLLIN, 0}};
    if (::poll(watch, 2, -1) < 0 && errno != EINTR) {
      return;
    }
    if (watch[1].revents != 0 || (watch[0].revents & (POLLERR | POLLHUP)) != 0) {
      return;
    }
    if ((watch[0].revents & POLLIN) != 0) {
      [[maybe_unused]] const auto ignored = ::read(line_.Master(), heard.data(), heard.size());
    }
    if ((watch[0].revents & POLLOUT) != 0) {
      for (auto& byte : noise) {
        byte = static_cast<std::uint8_t>(random());
      }
      [[maybe_unused]] const auto ignored = ::write(line_.Master(), noise.data(), noise.size());
    }
  }
}

void WandSimulator::ReplayUnfinishedClockFrame(const wandlink::StopSignal& stop) {
  awaitingClock_ = false;
  const auto pending = std::exchange(clockBytes_, {});
  for (const std::uint8_t command : pending) {
    Handle(command, stop);
  }
}

void WandSimulator::Handle(std::uint8_t command, const wandlink::StopSignal& stop) {
  if (behaviour_.silent) {
    return;
  }
  switch (command) {
    case kProbe: {
      recordCommands_ = 0;
      std::vector<std::uint8_t> answer(behaviour_.probeAnswerLength);
      for (std::size_t i = 0; i < answer.size(); ++i) {
        answer[i] = static_cast<std::uint8_t>('0' + i % 10);
      }
      Answer(answer, stop);
      break;
    }
    case kIdentify:
      Answer(MakeIdentifyReply(behaviour_.wandNumber), stop);
      break;
    case kFirstRecord:
      nextRecord_ = 0;
      recordCommands_ = 0;
      AnswerRecordCommand(stop);
      break;
    case kNextRecord:
      AnswerRecordCommand(stop);
      break;
    default:
      break;
  }
}

void WandSimulator::AnswerRecordCommand(const wandlink::StopSignal& stop) {
  ++recordCommands_;
  if (behaviour_.hangUpAfter && recordCommands_ > *behaviour_.hangUpAfter) {
    line_.HangUp();
    return;
  }
  if (behaviour_.silentAfter && recordCommands_ > *behaviour_.silentAfter) {
    return;
  }
  const bool atEnd = nextRecord_ >= log_.size();
  const wandlink::WandRecord reply = atEnd ? MakeEndMarker() : log_[nextRecord_++];
  std::span<const std::uint8_t> bytes(reply);
  if (behaviour_.shortReplyAt == recordCommands_) {
    bytes = bytes.first(bytes.size() - 1);
  }
  Answer(bytes, stop);
  if (atEnd) {
    awaitingClock_ = true;
    clockDeadline_ = std::chrono::steady_clock::now() + kClockFrameWindow;
  }
}

void WandSimulator::Answer(std::span<const std::uint8_t> bytes, const wandlink::StopSignal& stop) {
  if (behaviour_.replyDelay.count() > 0 && !stop.SleepFor(behaviour_.replyDelay)) {
    return;
  }
  const bool held = behaviour_.adapterLatency.count() > 0;
  if (held) {
    const auto lineTime = behaviour_.paced ? kByteTime * static_cast<int>(bytes.size())
                                           : std::chrono::microseconds(0);
    if (!stop.SleepFor(std::chrono::ceil<std::chrono::milliseconds>(lineTime) +
                       behaviour_.adapterLatency)) {
      return;
    }
  }
  const std::size_t chunk = behaviour_.paced && !held ? 1 : bytes.size();
  std::size_t sent = 0;
  while (sent < bytes.size() && line_.Master() >= 0) {
    const ssize_t put =
        ::write(line_.Master(), bytes.data() + sent, std::min(chunk, bytes.size() - sent));
    if (put > 0) {
      sent += static_cast<std::size_t>(put);
      if (behaviour_.paced && !held) {
        std::this_thread::sleep_for(kByteTime);
      }
      continue;
    }
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put < 0 && errno != EAGAIN) {
      return;
    }
    pollfd watch[2] = {{line_.Master(), POLLOUT, 0}, {stop.Fd(), POLLIN, 0}};
    if (::poll(watch, 2, -1) < 0 && errno != EINTR) {
      return;
    }
    if (watch[1].revents != 0) {
      return;
    }
  }
}

}  // namespace wandsim
