#include "traced_port.h"

#include <string>
#include <utility>

namespace wandlink {

void TracedPort::SendFrame(std::span<const std::uint8_t> bytes) {
  trace_->Bytes("sent", bytes);
  port_->SendFrame(bytes);
}

std::size_t TracedPort::ReceiveFrame(WandRecord& reply) {
  const std::size_t count = port_->ReceiveFrame(reply);
  trace_->Bytes(count == reply.size() || count == 0 ? "received" : "received short",
                std::span(reply).first(count));
  return count;
}

std::size_t TracedPort::InputQueueCount() {
  const std::size_t count = port_->InputQueueCount();
  trace_->Note("queue count " + std::to_string(count));
  return count;
}

void TracedPort::Close() {
  port_->Close();
  if (!std::exchange(closed_, true)) {
    trace_->Note("port closed");
  }
}

}  // namespace wandlink
