// Work handed from a download's thread to the window's thread.
//
// Qt's own cross-thread calls synchronise inside Qt, out of sight of the thread checker the
// tests run under; these hand over through a standard mutex as well, so that every access the
// work makes is visibly ordered after the caller's.
#pragma once

#include <QObject>
#include <functional>

#include "session/coalesced_controls.h"

namespace ui {

// Runs the work on the window's thread and returns once it is done (at once when called on
// that thread). The window's thread must be running its events, and the window must outlive
// the call.
void RunOnWindowThread(QObject* window, const std::function<void()>& work);

// Queues the work for the window's thread and returns at once. Dropped if the window is gone
// before its events run.
void PostToWindowThread(QObject* window, std::function<void()> work);

// The window's thread as the download's controls reach it.
class QtWindowThread final : public wandlink::WindowThread {
 public:
  explicit QtWindowThread(QObject* window) : window_(window) {}

  void Run(const std::function<void()>& work) override { RunOnWindowThread(window_, work); }
  void RunLater(std::chrono::milliseconds delay, std::function<void()> work) override;

 private:
  QObject* window_;
};

}  // namespace ui
