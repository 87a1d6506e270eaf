// The window's thread as a download reaches it, against messages another program may post: a
// message that names work handed over must come from that work's own sender.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "winui/private_messages.h"
#include "winui/win32_window_thread.h"

namespace winui {
namespace {

using namespace std::chrono_literals;

Win32WindowThread* receiver = nullptr;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (receiver != nullptr && receiver->HandleMessage(message, wParam, lParam)) {
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class WindowThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{.lpfnWndProc = Procedure,
                          .hInstance = GetModuleHandleW(nullptr),
                          .lpszClassName = L"KorvantaWindowThreadTest"};
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    receiver = &thread_;
    thread_.Attach(window_);
  }
  void TearDown() override {
    thread_.Detach();
    receiver = nullptr;
    DestroyWindow(window_);
  }

  // Another program's message as the window's loop carries out a posted one, taken ahead of a
  // message the worker has sent but the loop has not yet taken.
  void DispatchForged(UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG forged{.hwnd = window_, .message = message, .wParam = wParam, .lParam = lParam};
    DispatchMessageW(&forged);
  }
  void TakeAllMessagesFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    MSG message;
    while (std::chrono::steady_clock::now() < end) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
      }
      std::this_thread::sleep_for(1ms);
    }
  }

  HWND window_ = nullptr;
  Win32WindowThread thread_;
};

// Tickets a forger would try: the first few a counter would give, in either parameter; then
// timer messages for the first timers.
TEST_F(WindowThreadTest, ForgedMessagesRunNothingAndTheSenderStillRunsItsWorkOnce) {
  std::atomic<int> runs{0};
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    thread_.Run([&] { ++runs; });
    returned = true;
  });
  // The worker's message is waiting behind the forged ones.
  std::this_thread::sleep_for(200ms);
  for (WPARAM ticket = 0; ticket < 16; ++ticket) {
    DispatchForged(kRunWorkMessage, ticket, 0);
    DispatchForged(kRunWorkMessage, ticket, static_cast<LPARAM>(ticket));
  }
  EXPECT_EQ(runs, 0) << "a posted message ran the work";
  EXPECT_FALSE(returned) << "the worker went on before its work ran";

  TakeAllMessagesFor(200ms);
  worker.join();
  EXPECT_EQ(runs, 1);

  std::atomic<int> later{0};
  thread_.RunLater(10s, [&] { ++later; });
  TakeAllMessagesFor(100ms);
  for (UINT_PTR timer = 0; timer < 16; ++timer) {
    PostMessageW(window_, WM_TIMER, timer, 0);
    PostMessageW(window_, kScheduleWorkMessage, timer, 0);
  }
  TakeAllMessagesFor(100ms);
  EXPECT_EQ(later, 0) << "forged timer messages ran the work before its time";
}

}  // namespace
}  // namespace winui
