// The thread a download runs on.
//
// The worker owns the download's context (and so the port) and runs RunDownload on a thread of
// its own from construction. Its end can be observed: Finished() turns true, and the optional
// callback runs on the worker's thread as its very last step. Destroying the worker cancels
// the download and waits for the thread, so no way out leaves a thread or a port behind.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "wandlink/download.h"

namespace wandlink {

class DownloadWorker {
 public:
  explicit DownloadWorker(DownloadContext context, std::function<void()> onFinished = {});
  ~DownloadWorker();
  DownloadWorker(const DownloadWorker&) = delete;
  DownloadWorker& operator=(const DownloadWorker&) = delete;

  // Asks the download to stop; it ends promptly without setting the wand's clock.
  void Cancel();

  bool Finished() const { return finished_.load(); }

  // Waits for the thread to end.
  void Wait();

  // How the download ended; valid once Finished().
  DownloadOutcome Outcome() const { return outcome_.load(); }

 private:
  DownloadContext context_;
  std::function<void()> onFinished_;
  std::atomic<bool> finished_{false};
  std::atomic<DownloadOutcome> outcome_{DownloadOutcome::Cancelled};
  std::thread thread_;
};

}  // namespace wandlink
