#include "session/download_session.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/recording_controls.h"

namespace wandlink {
namespace {

using namespace std::chrono_literals;

// A wand that stays silent until the test lets it answer (with nothing) or the download stops.
class HeldPort final : public WandPort {
 public:
  HeldPort(const std::atomic<bool>& released, std::shared_ptr<const StopSignal> stop,
           std::atomic<int>& destroyed)
      : released_(released), stop_(std::move(stop)), destroyed_(destroyed) {}
  ~HeldPort() override { ++destroyed_; }

  void SendFrame(std::span<const std::uint8_t>) override {}
  std::size_t ReceiveFrame(WandRecord&) override {
    while (!released_ && !stop_->Requested()) {
      std::this_thread::sleep_for(1ms);
    }
    return 0;
  }
  std::size_t InputQueueCount() override { return 0; }
  void Close() override {}

 private:
  const std::atomic<bool>& released_;
  std::shared_ptr<const StopSignal> stop_;
  std::atomic<int>& destroyed_;
};

class DownloadSessionTest : public testing::Test {
 protected:
  DownloadContext HeldDownload() {
    auto stop = std::make_shared<StopSignal>();
    return {.port = std::make_unique<HeldPort>(released_, stop, portsDestroyed_),
            .controls = &controls_,
            .stop = stop,
            .pause = [](std::chrono::milliseconds) { return true; }};
  }

  std::atomic<bool> released_{false};
  std::atomic<int> portsDestroyed_{0};
  testing_support::EventLog events_;
  testing_support::RecordingControls controls_{events_};
  DownloadSession session_{[](const std::function<bool()>& done) {
    while (!done()) {
      std::this_thread::sleep_for(1ms);
    }
  }};
};

// Windows wait with FinishPrevious before they start, so only the session itself shows that a
// start while the last worker runs is refused, and that the refused download's port is let go.
TEST_F(DownloadSessionTest, OneDownloadAtATimeAndNothingStartsOnceACloseIsAskedFor) {
  ASSERT_TRUE(session_.Start(HeldDownload(), {}));
  const DownloadWorker* first = session_.Worker();
  EXPECT_FALSE(session_.Start(HeldDownload(), {}));
  EXPECT_EQ(session_.Worker(), first);
  EXPECT_EQ(portsDestroyed_, 1);

  released_ = true;
  ASSERT_TRUE(session_.FinishPrevious());
  released_ = false;
  ASSERT_TRUE(session_.Start(HeldDownload(), {}));

  // A close behind a box: asked for at once, carried out once the box is gone.
  const bool closeDue = session_.ShowBox([&] {
    EXPECT_FALSE(session_.BeginClose()) << "the worker may be waiting for this very box";
    EXPECT_TRUE(session_.Closing());
    EXPECT_FALSE(session_.MayCollect());
    EXPECT_FALSE(session_.FinishPrevious());
    EXPECT_FALSE(session_.Start(HeldDownload(), {}));
    EXPECT_FALSE(session_.ShowBox([] { ADD_FAILURE() << "a box on a closing window"; }));
  });
  EXPECT_TRUE(closeDue);
  EXPECT_TRUE(session_.BeginClose());
  EXPECT_TRUE(session_.Worker()->Finished());
  EXPECT_EQ(session_.Worker()->Outcome(), DownloadOutcome::Cancelled);
}

// A close asked for when nothing runs (before any download, or after the last one ended) must
// still refuse what comes after: the worker's state cannot stand in for the close.
TEST_F(DownloadSessionTest, NothingStartsAfterACloseAskedForWhileIdle) {
  session_.AskToClose();
  EXPECT_FALSE(session_.Start(HeldDownload(), {}));
  EXPECT_EQ(session_.Worker(), nullptr);
  EXPECT_EQ(portsDestroyed_, 1);

  DownloadSession ended{[](const std::function<bool()>& done) {
    while (!done()) {
      std::this_thread::sleep_for(1ms);
    }
  }};
  released_ = true;
  ASSERT_TRUE(ended.Start(HeldDownload(), {}));
  ASSERT_TRUE(ended.FinishPrevious());
  ended.AskToClose();
  EXPECT_FALSE(ended.Start(HeldDownload(), {}));
  EXPECT_EQ(portsDestroyed_, 3);
}

}  // namespace
}  // namespace wandlink
