// A port that writes every exchange with the wand into a download trace on its way through.
#pragma once

#include <memory>

#include "wandlink/download_trace.h"
#include "wandlink/wand_port.h"

namespace wandlink {

class TracedPort final : public WandPort {
 public:
  TracedPort(std::unique_ptr<WandPort> port, std::shared_ptr<DownloadTrace> trace)
      : port_(std::move(port)), trace_(std::move(trace)) {}

  void SendFrame(std::span<const std::uint8_t> bytes) override;
  std::size_t ReceiveFrame(WandRecord& reply) override;
  std::size_t InputQueueCount() override;
  void Close() override;

 private:
  std::unique_ptr<WandPort> port_;
  std::shared_ptr<DownloadTrace> trace_;
  bool closed_ = false;
};

}  // namespace wandlink
