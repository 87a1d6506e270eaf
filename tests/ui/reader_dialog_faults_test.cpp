// The window against wands that misbehave and operators who close it at any moment.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include "reader_dialog.h"
#include "serial/serial_link.h"
#include "support/process_counts.h"
#include "support/scratch_ports.h"
#include "support/simulated_wand.h"
#include "wand_log.h"

namespace ui {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing_support::OpenDescriptorCount;
using testing_support::SimulatedWand;
using testing_support::ThreadCount;

std::vector<wandlink::WandRecord> Log(std::size_t records) {
  return wandsim::GeneratePatrolLog(records, 9, wandlink::SystemLocalTime(),
                                    wandlink::MonthMode::Bcd);
}

// A window whose messages are written down, on ports of the test's own.
struct Window {
  Window() {
    dialog.SetMessagePresenter([this](QWidget*, const QString& text) { messages.push_back(text); });
  }
  QPushButton* Collect() { return dialog.findChild<QPushButton*>("IDC_COLLECT"); }
  int Rows() { return dialog.findChild<QTableView*>("IDC_RECORDS")->model()->rowCount(); }
  bool CollectAndWait() {
    QSignalSpy finished(&dialog, &ReaderDialog::WorkerFinished);
    QTest::mouseClick(Collect(), Qt::LeftButton);
    return !finished.isEmpty() || finished.wait(20000);
  }

  ReaderDialog dialog;
  std::vector<QString> messages;
};

class ReaderDialogFaultTest : public testing::Test {
 protected:
  void LinkPort(const char* port, const std::string& device) { ports_.Link(port, device); }

  testing_support::ScratchPorts ports_;
};

TEST_F(ReaderDialogFaultTest, AWandUnpluggedMidDownloadFailsAtOnce) {
  SimulatedWand wand(Log(40), {.hangUpAfter = 5});
  LinkPort("COM4", wand.Device());
  Window window;
  // Counted with the window open: it keeps its watch on the ports, but not the port.
  const int descriptors = OpenDescriptorCount();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(window.CollectAndWait());
  // The wait after the probe and the pause before the close, but no deadline waited out.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1800ms);
  EXPECT_THAT(window.messages, ElementsAre("读取数据失败"));
  EXPECT_EQ(window.Rows(), 0);
  EXPECT_TRUE(window.Collect()->isEnabled());
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(ReaderDialogFaultTest, ASecondWindowCannotTakeAPortInUse) {
  SimulatedWand wand(Log(5), {.replyDelay = 150ms});
  LinkPort("COM4", wand.Device());
  Window first;
  Window second;
  QSignalSpy finished(&first.dialog, &ReaderDialog::WorkerFinished);
  QTest::mouseClick(first.Collect(), Qt::LeftButton);
  QTest::mouseClick(second.Collect(), Qt::LeftButton);
  EXPECT_THAT(second.messages, ElementsAre("串口設置不存在或被占用!"));
  EXPECT_TRUE(second.Collect()->isEnabled());
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_TRUE(first.messages.empty());
  EXPECT_EQ(first.Rows(), 5);
}

// The button comes back before the failing download lets go of the port.
TEST_F(ReaderDialogFaultTest, APressWhileAFailedDownloadStillHoldsThePortIsRefused) {
  SimulatedWand wand(Log(10), {.shortReplyAt = 2});
  LinkPort("COM4", wand.Device());
  Window window;
  QSignalSpy finished(&window.dialog, &ReaderDialog::WorkerFinished);
  QTest::mouseClick(window.Collect(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.Collect()->isEnabled(); }, 10000));
  QTest::mouseClick(window.Collect(), Qt::LeftButton);
  ASSERT_TRUE(!finished.isEmpty() || finished.wait(10000));
  EXPECT_THAT(window.messages, ElementsAre("串口設置不存在或被占用!", "读取数据失败"));
}

TEST_F(ReaderDialogFaultTest, AFloodingWandEndsTheDownloadOneWayOrTheOther) {
  SimulatedWand wand({}, {.flood = true});
  LinkPort("COM4", wand.Device());
  Window window;
  ASSERT_TRUE(window.CollectAndWait());
  EXPECT_TRUE(window.Collect()->isEnabled());
  EXPECT_TRUE(window.Rows() > 0 || !window.messages.empty());
}

// Closing the window at random moments of downloads: each ends at once, shows nothing more,
// and leaves no descriptor and no thread behind.
TEST_F(ReaderDialogFaultTest, ClosingAtAnyMomentLeavesNothingBehind) {
  SimulatedWand wand(Log(30), {.replyDelay = 20ms});
  LinkPort("COM4", wand.Device());
  {
    // Qt starts threads of its own for the first window shown, and keeps them.
    Window warmUp;
    warmUp.dialog.show();
    ASSERT_TRUE(warmUp.CollectAndWait());
  }
  std::thread([] {}).join();
  const int descriptors = OpenDescriptorCount();
  const int threads = ThreadCount();
  std::mt19937 random(20261208);
  std::uniform_int_distribution<int> moment(0, 1600);

  constexpr int kCloses = 12;
  for (int i = 0; i < kCloses; ++i) {
    const int closeAfter = moment(random);
    {
      Window window;
      window.dialog.show();
      QTest::mouseClick(window.Collect(), Qt::LeftButton);
      QTest::qWait(closeAfter);
      const auto messagesBefore = window.messages;
      const auto start = std::chrono::steady_clock::now();
      window.dialog.close();
      EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms) << "closed after " << closeAfter;
      EXPECT_TRUE(window.dialog.Worker()->Finished());
      EXPECT_FALSE(window.dialog.isVisible());
      EXPECT_EQ(window.messages, messagesBefore) << "closed after " << closeAfter;
      // Rows only from a download that completed before the close could cancel it.
      const bool completed =
          window.dialog.Worker()->Outcome() == wandlink::DownloadOutcome::Complete;
      EXPECT_EQ(window.Rows(), completed ? 30 : 0) << "closed after " << closeAfter;
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "closed after " << closeAfter;
    EXPECT_EQ(ThreadCount(), threads) << "closed after " << closeAfter;
  }
}

// Presses keys on the window, queued as keys the user pressed, whenever the collect button
// comes back: the moment a download gives it back, cancelled or not.
class PressWhenTheButtonComesBack : public QObject {
 public:
  PressWhenTheButtonComesBack(QPushButton* button, QWidget* window, std::vector<Qt::Key> keys)
      : button_(button), window_(window), keys_(std::move(keys)) {
    button_->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::EnabledChange && button_->isEnabled()) {
      for (const Qt::Key key : keys_) {
        Press(window_, key);
      }
    }
    return false;
  }

  static void Press(QWidget* window, Qt::Key key) {
    for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QCoreApplication::postEvent(window, new QKeyEvent(type, key, Qt::NoModifier));
    }
  }

 private:
  QPushButton* button_;
  QWidget* window_;
  std::vector<Qt::Key> keys_;
};

// Ends the test run if a close never returns, rather than hanging it.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
            std::fprintf(stderr, "the window never finished closing\n");
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

// An impatient close: Escape, then Enter again and again, at several moments of a download and
// at the moment the cancelled download gives the button back. No download starts on a closing
// window, and each close ends at once, sends no clock frame and frees the port.
TEST_F(ReaderDialogFaultTest, EnterPressedWhileClosingStartsNothing) {
  SimulatedWand wand(Log(30), {.replyDelay = 20ms});
  LinkPort("COM4", wand.Device());
  for (const int closeAfter : {0, 30, 400, 700, 1000}) {
    {
      Window window;
      window.dialog.show();
      PressWhenTheButtonComesBack impatient(window.Collect(), &window.dialog, {Qt::Key_Return});
      QTest::keyClick(&window.dialog, Qt::Key_Return);
      const wandlink::DownloadWorker* download = window.dialog.Worker();
      ASSERT_NE(download, nullptr);
      QTest::qWait(closeAfter);

      PressWhenTheButtonComesBack::Press(&window.dialog, Qt::Key_Return);
      const Watchdog watchdog(std::chrono::seconds(10));
      const auto start = std::chrono::steady_clock::now();
      QTest::keyClick(&window.dialog, Qt::Key_Escape);
      EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "closed after " << closeAfter;
      PressWhenTheButtonComesBack::Press(&window.dialog, Qt::Key_Return);
      QCoreApplication::processEvents();

      EXPECT_FALSE(window.dialog.isVisible());
      EXPECT_EQ(window.dialog.Worker(), download) << "closed after " << closeAfter;
      EXPECT_TRUE(window.dialog.Worker()->Finished());
    }
    EXPECT_TRUE(wand.ClockFrames().empty()) << "closed after " << closeAfter;
    EXPECT_NE(wandlink::SerialLink::Open(wand.Device()), nullptr) << "closed after " << closeAfter;
  }
}

// Enter at the moment a finished download gives the button back starts the next download once
// that one has ended; an Escape that comes while it waits wins, and nothing starts.
TEST_F(ReaderDialogFaultTest, AClosePendingBehindAPressStartsNothing) {
  SimulatedWand wand(Log(5));
  LinkPort("COM4", wand.Device());
  Window window;
  window.dialog.show();
  PressWhenTheButtonComesBack impatient(window.Collect(), &window.dialog,
                                        {Qt::Key_Return, Qt::Key_Escape});
  QTest::keyClick(&window.dialog, Qt::Key_Return);
  const wandlink::DownloadWorker* download = window.dialog.Worker();
  const Watchdog watchdog(std::chrono::seconds(20));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.dialog.isVisible(); }, 15000));
  QCoreApplication::processEvents();
  EXPECT_EQ(window.dialog.Worker(), download);
  EXPECT_EQ(window.Rows(), 5);
  EXPECT_EQ(wand.ClockFrames().size(), 1u);
  EXPECT_NE(wandlink::SerialLink::Open(wand.Device()), nullptr);
}

// Escape, then Enter, while the box of a failed download is up: the download is waiting for
// the box, so the close is put off until the box is acknowledged, and the Enter that comes
// behind the close (the button is back by then) starts nothing.
TEST_F(ReaderDialogFaultTest, ACloseBehindADownloadsBoxWaitsForTheBoxAndStartsNothing) {
  SimulatedWand wand(Log(40), {.hangUpAfter = 5});
  LinkPort("COM4", wand.Device());
  Window window;
  bool closedWhileTheBoxWasUp = false;
  window.dialog.SetMessagePresenter([&](QWidget*, const QString& text) {
    window.messages.push_back(text);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
      PressWhenTheButtonComesBack::Press(&window.dialog, key);
    }
    // A box runs the window's events until it is acknowledged.
    QTest::qWait(300);
    closedWhileTheBoxWasUp = !window.dialog.isVisible();
  });
  window.dialog.show();
  const Watchdog watchdog(std::chrono::seconds(10));
  QTest::keyClick(&window.dialog, Qt::Key_Return);
  const wandlink::DownloadWorker* download = window.dialog.Worker();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.dialog.isVisible(); }, 5000));
  QCoreApplication::processEvents();
  EXPECT_FALSE(closedWhileTheBoxWasUp);
  EXPECT_THAT(window.messages, ElementsAre("读取数据失败"));
  EXPECT_EQ(window.dialog.Worker(), download);
  EXPECT_TRUE(window.dialog.Worker()->Finished());
}

}  // namespace
}  // namespace ui
