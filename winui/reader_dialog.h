// The program's one window (IDD_MAIN): the port list, the collect button, the progress bar,
// the count label and the records list, with its menu and keys (RecordsMenu).
//
// The window menu, the records list's menu and Ctrl+H (anywhere in the window, during a
// download too) open the history beside it, one at a time; the window runs its own message
// loop so that the history, modeless, gets its keys.
//
// A press of 采集数据 (or Enter while it is enabled) opens the chosen port and runs the download
// on a worker thread, which drives the controls through the window's thread. Escape and the
// close box cancel a running download and keep the window's messages flowing until its worker
// has ended, so the port is closed and nothing is left behind; only then does the window end.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "archive/archiving_controls.h"
#include "dialog_scale.h"
#include "gdi_owners.h"
#include "history_window.h"
#include "port_combo.h"
#include "records_list.h"
#include "records_menu.h"
#include "session/coalesced_controls.h"
#include "session/download_session.h"
#include "win32_window_thread.h"
#include "window_controls.h"

namespace winui {

class ReaderDialog {
 public:
  explicit ReaderDialog(HINSTANCE instance) : instance_(instance) {}
  ReaderDialog(const ReaderDialog&) = delete;
  ReaderDialog& operator=(const ReaderDialog&) = delete;

  // Shows the window and returns once it has closed.
  void DoModal();

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  BOOL OnInitDialog();
  // The records list's notifications; false for the default processing.
  bool OnRecordsNotify(NMHDR& header);
  // The history's entry and the About entry, below the system's own.
  void AddToSystemMenu() const;
  // The window's icons at the sizes the system uses at the scale.
  void SetIcons(UINT dpi);
  // WM_DPICHANGED: the window moved to a display of another scale.
  void OnDpiChanged(UINT dpi, const RECT& proposed);
  void OnCollect();
  void OnThreadState();
  // False for the default processing.
  bool OnCommand(int id, int notification);
  bool OnSysCommand(WPARAM id);
  // Draws the icon, centred, while the window is minimized; false otherwise.
  bool OnPaint();
  HICON OnQueryDragIcon() const { return bigIcon_.get(); }
  void OnClose();
  void OnDestroy();

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }
  void Present(const std::wstring& text);
  // Opens the history window, or brings the open one to the front.
  void OpenHistory();
  // Gives a message of the loops the keys it stands for: Ctrl+H, and the dialogs' own keys
  // (Tab, Enter, Escape) in the window and in the history; false when it is to be dispatched.
  bool TakeKeys(MSG& message) const;
  // Runs the window's messages until the condition holds; a worker's end wakes it.
  void RunEventsUntil(const std::function<bool()>& done);

  HINSTANCE instance_;
  HWND dialog_ = nullptr;
  // Set once the window is to close; the message loop then ends it.
  bool ended_ = false;
  UniqueAcceleratorTable accelerators_;
  std::unique_ptr<HistoryWindow> history_;
  // Not shared: a shared icon is the first size loaded, whatever size is asked for later.
  UniqueIcon bigIcon_;
  UniqueIcon smallIcon_;
  std::optional<DialogScale> scale_;

  std::optional<PortCombo> ports_;
  std::optional<RecordsList> records_;
  std::optional<RecordsMenu> recordsMenu_;
  std::unique_ptr<WindowControls> windowControls_;
  Win32WindowThread windowThread_;
  std::unique_ptr<wandlink::CoalescedControls> downloadControls_;
  // What the download drives: the window's controls, the archive after the rows.
  std::unique_ptr<archive::ArchivingControls> archivingControls_;
  // Last, so that it is closed before the controls its download drives are gone.
  wandlink::DownloadSession session_{
      [this](const std::function<bool()>& done) { RunEventsUntil(done); }};
};

}  // namespace winui
