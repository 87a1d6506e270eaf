#include "download_worker.h"

namespace wandlink {

DownloadWorker::DownloadWorker(DownloadContext context, std::function<void()> onFinished)
    : context_(std::move(context)), onFinished_(std::move(onFinished)), thread_([this] {
        outcome_.store(RunDownload(context_));
        context_.port.reset();
        finished_.store(true);
        if (onFinished_) {
          onFinished_();
        }
      }) {}

DownloadWorker::~DownloadWorker() {
  Cancel();
  Wait();
}

void DownloadWorker::Cancel() {
  context_.stop->Request();
}

void DownloadWorker::Wait() {
  if (thread_.joinable()) {
    thread_.join();
  }
}

}  // namespace wandlink
