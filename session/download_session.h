// session: what every window follows around a download, whatever it is built with. When a
// download may start and how a close waits for it (DownloadSession), the worker thread it runs
// on, and progress that never holds the download back. Uses the wand; windows build on it.
//
// The rules every window keeps for its downloads, whatever it is built with.
//
// - One download at a time: a new one starts only once the last one's worker has ended whole
//   (it may still be giving the controls back after it has closed the port).
// - From the moment a close is asked for, no download starts again, by any path: a press of the
//   button, the Enter key, or a click that was already queued; even when the close itself must
//   wait behind a message box, or is asked for inside a wait.
// - Closing cancels the running download and waits for exactly that worker. Meanwhile the
//   window keeps running its events, because the worker's last steps are carried out by them.
// - A close asked for while a message box is up is put off until the box is gone: the worker
//   may be waiting for that very box, so waiting for the worker inside it would never end.
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

  // Marks the close as asked for: from here on nothing starts, and the running download is
  // cancelled. Waits for nothing.
  void AskToClose();

  // Asks for the close and waits for the running download. False, without waiting, while a
  // message box is up: the close is then owed, and ShowBox says when to carry it out.
  bool BeginClose();

  // Asks for the close and waits for the running download, box or not. Calling it again waits
  // again for the same worker.
  void Close();

  // Shows a message box (show returns once it is acknowledged), unless the window is closing.
  // True when a close was put off while it was up and is now due: the window carries it out
  // once the work that showed the box has returned to its loop.
  bool ShowBox(const std::function<void()>& show);

  // The last download started, or null before the first.
  const DownloadWorker* Worker() const { return worker_.get(); }

 private:
  // Runs the window's events until this very worker has ended, then joins it.
  void WaitFor(DownloadWorker& worker);

  RunEventsUntil runEventsUntil_;
  std::unique_ptr<DownloadWorker> worker_;
  bool closing_ = false;
  bool waitingToStart_ = false;
  int boxesOpen_ = 0;
  bool closeOwed_ = false;
};

}  // namespace wandlink
