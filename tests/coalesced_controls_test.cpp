#include "session/coalesced_controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <thread>

#include "support/recording_controls.h"

namespace wandlink {
namespace {

using testing::ElementsAre;
using testing_support::EventLog;
using testing_support::RecordingControls;

// A window's thread: runs each piece of work once it is due, in the order it was handed over.
// Work still queued when the window closes is dropped, as a real window's is.
class QueuedWindowThread final : public WindowThread {
 public:
  QueuedWindowThread() : thread_([this] { Loop(); }) {}
  ~QueuedWindowThread() override { Close(); }

  void Close() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) {
      thread_.join();
    }
  }

  void Run(const std::function<void()>& work) override {
    bool done = false;
    Queue(Clock::now(), [&] {
      work();
      std::lock_guard lock(mutex_);
      done = true;
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done; });
  }

  void RunLater(std::chrono::milliseconds delay, std::function<void()> work) override {
    Queue(Clock::now() + delay, std::move(work));
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Queue(Clock::time_point due, std::function<void()> work) {
    {
      std::lock_guard lock(mutex_);
      queue_.emplace(due, std::move(work));
    }
    changed_.notify_all();
  }

  void Loop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (queue_.empty()) {
        changed_.wait(lock);
        continue;
      }
      const auto next = queue_.begin();
      if (next->first > Clock::now()) {
        changed_.wait_until(lock, next->first);
        continue;
      }
      auto work = std::move(next->second);
      queue_.erase(next);
      lock.unlock();
      work();
      changed_.notify_all();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, std::function<void()>> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

// A download's worth of updates, far faster than a window repaints: the window sees only some of
// them, never an older value after a newer one, and exactly the last ones before anything the
// user sees the order of.
TEST(CoalescedControls, ShowTheLatestUpdatesAndEndOnTheLastOnes) {
  EventLog events;
  RecordingControls onWindow(events);
  QueuedWindowThread window;
  CoalescedControls controls(onWindow, window);

  controls.SetCountText("0");
  controls.ShowCount();
  constexpr int kUpdates = 20000;
  for (int count = 1; count <= kUpdates; ++count) {
    controls.SetCountText(std::to_string(count));
    controls.SetProgress(count % 99);
  }
  controls.SetProgress(99);
  controls.EnableCollect();
  window.Close();

  const auto recorded = events.Events();
  ASSERT_GE(recorded.size(), 5u);
  EXPECT_THAT(std::vector<std::string>(recorded.begin(), recorded.begin() + 2),
              ElementsAre("count 0", "show count"));
  EXPECT_THAT(std::vector<std::string>(recorded.end() - 3, recorded.end()),
              ElementsAre("count 20000", "progress 99", "enable collect"));

  const auto counts = events.Values("count ");
  EXPECT_LT(counts.size(), kUpdates / 10u) << "updates are coalesced";
  for (std::size_t i = 1; i < counts.size(); ++i) {
    EXPECT_LT(std::stoi(counts[i - 1]), std::stoi(counts[i]));
  }
}

// A download slower than the refresh: every update is shown while it runs, not only the first
// and the last.
TEST(CoalescedControls, ShowEachUpdateThatOutlastsTheRefreshInterval) {
  EventLog events;
  RecordingControls onWindow(events);
  QueuedWindowThread window;
  CoalescedControls controls(onWindow, window);

  for (int count = 1; count <= 3; ++count) {
    controls.SetCountText(std::to_string(count));
    controls.SetProgress(count);
    std::this_thread::sleep_for(CoalescedControls::kRefreshInterval * 8);
  }
  window.Close();

  EXPECT_THAT(events.Values("count "), ElementsAre("1", "2", "3"));
  EXPECT_THAT(events.Values("progress "), ElementsAre("1", "2", "3"));
}

}  // namespace
}  // namespace wandlink
