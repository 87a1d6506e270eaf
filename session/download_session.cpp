#include "download_session.h"

#include <utility>

namespace wandlink {

DownloadSession::DownloadSession(RunEventsUntil runEventsUntil)
    : runEventsUntil_(std::move(runEventsUntil)) {}

DownloadSession::~DownloadSession() {
  Close();
}

bool DownloadSession::FinishPrevious() {
  if (closing_) {
    return false;
  }
  if (worker_) {
    waitingToStart_ = true;
    WaitFor(*worker_);
    waitingToStart_ = false;
  }
  return !closing_;
}

bool DownloadSession::Start(DownloadContext context, std::function<void()> onFinished) {
  if (closing_ || (worker_ && !worker_->Finished())) {
    return false;
  }
  worker_ = std::make_unique<DownloadWorker>(std::move(context), std::move(onFinished));
  return true;
}

void DownloadSession::AskToClose() {
  closing_ = true;
  if (worker_) {
    worker_->Cancel();
  }
}

bool DownloadSession::BeginClose() {
  AskToClose();
  if (boxesOpen_ > 0) {
    closeOwed_ = true;
    return false;
  }
  Close();
  return true;
}

void DownloadSession::Close() {
  AskToClose();
  if (worker_) {
    WaitFor(*worker_);
  }
}

bool DownloadSession::ShowBox(const std::function<void()>& show) {
  if (closing_) {
    return false;
  }
  ++boxesOpen_;
  show();
  --boxesOpen_;
  return boxesOpen_ == 0 && std::exchange(closeOwed_, false);
}

void DownloadSession::WaitFor(DownloadWorker& worker) {
  if (!worker.Finished()) {
    runEventsUntil_([&worker] { return worker.Finished(); });
  }
  worker.Wait();
}

}  // namespace wandlink
