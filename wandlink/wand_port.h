// What the download needs of the line to the wand: framed sends, 9-byte receives against a
// deadline, the count of bytes waiting, and an explicit close. The serial link is the real
// one; tests put scripted ports behind the same interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "record.h"

namespace wandlink {

class WandPort {
 public:
  virtual ~WandPort() = default;

  // Throws away whatever the wand sent and was not read, then sends the bytes. A failed or
  // timed-out write is not reported: it shows up as a short reply to the next receive.
  virtual void SendFrame(std::span<const std::uint8_t> bytes) = 0;

  // Receives one reply into the buffer and returns how many of its 9 bytes arrived (below 9
  // when the deadline passed, the line went dead or a stop was requested).
  virtual std::size_t ReceiveFrame(WandRecord& reply) = 0;

  // The number of received bytes not yet read.
  virtual std::size_t InputQueueCount() = 0;

  // Releases the line; later calls do nothing.
  virtual void Close() = 0;
};

}  // namespace wandlink
