#include "window_thread.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>

namespace ui {
namespace {

// One lock for every hand-over. The caller holds it while it queues the work; the window's
// thread takes it before it touches the queued work, which orders everything the caller did
// before. It is never held while the work runs, so work may run nested event loops.
std::mutex handoverMutex;
std::condition_variable handoverDone;

void TakeOver() {
  std::lock_guard ordered(handoverMutex);
}

}  // namespace

void RunOnWindowThread(QObject* window, const std::function<void()>& work) {
  if (QThread::currentThread() == window->thread()) {
    work();
    return;
  }
  bool done = false;
  std::unique_lock lock(handoverMutex);
  QMetaObject::invokeMethod(
      window,
      [&] {
        TakeOver();
        work();
        {
          std::lock_guard finished(handoverMutex);
          done = true;
        }
        handoverDone.notify_all();
      },
      Qt::QueuedConnection);
  handoverDone.wait(lock, [&] { return done; });
}

void PostToWindowThread(QObject* window, std::function<void()> work) {
  std::lock_guard lock(handoverMutex);
  QMetaObject::invokeMethod(
      window,
      [work = std::move(work)] {
        TakeOver();
        work();
      },
      Qt::QueuedConnection);
}

void QtWindowThread::RunLater(std::chrono::milliseconds delay, std::function<void()> work) {
  PostToWindowThread(window_, [window = window_, delay, work = std::move(work)] {
    QTimer::singleShot(delay, window, work);
  });
}

}  // namespace ui
