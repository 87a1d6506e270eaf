// The rules every window keeps for its downloads, whatever it is built with.
//
// - One download at a time: a new one starts only once the last one's worker has ended whole
//   (it may still be giving the controls back after it has closed the port).
// - Once the window begins to close, no download starts again, by any path: a press of the
//   button, the Enter key, or a click that was already queued.
// - Closing cancels the running download and waits for exactly that worker. Meanwhile the
//   window keeps running its events, because the worker's last steps are carried out by them.
//
// The session runs on the window's thread only. Its waits run the window's events through the
// window's own loop, which must return once the worker's end callback has woken it.
#pragma once

#include <functional>
#include <memory>

#include "download_worker.h"

namespace wandlink {

class DownloadSession {
 public:
  // Runs the window's events until the condition holds.
  using RunEventsUntil = std::function<void(const std::function<bool()>& done)>;

  explicit DownloadSession(RunEventsUntil runEventsUntil);
  // Closes, if the window has not.
  ~DownloadSession();
  DownloadSession(const DownloadSession&) = delete;
  DownloadSession& operator=(const DownloadSession&) = delete;

  // True when a press may begin a download: the window is not closing, and no other press is
  // waiting for the last download to end.
  bool MayCollect() const { return !closing_ && !waitingToStart_; }

  bool Closing() const { return closing_; }

  // Waits for the last download to end. False when the window began to close before or during
  // the wait: nothing may start then.
  bool FinishPrevious();

  // Starts the download on a new worker; false (and the context dropped, closing its port)
  // once the window is closing. onFinished runs on the worker's thread as its very last step:
  // the window uses it to wake its loop.
  bool Start(DownloadContext context, std::function<void()> onFinished);

  // Begins the close: from here on nothing starts; the running download is cancelled and
  // waited for. Calling it again waits again for the same worker.
  void Close();

  // The last download started, or null before the first.
  const DownloadWorker* Worker() const { return worker_.get(); }

 private:
  // Runs the window's events until this very worker has ended, then joins it.
  void WaitFor(DownloadWorker& worker);

  RunEventsUntil runEventsUntil_;
  std::unique_ptr<DownloadWorker> worker_;
  bool closing_ = false;
  bool waitingToStart_ = false;
};

}  // namespace wandlink
