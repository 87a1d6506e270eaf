#include "records_menu.h"

#include <windowsx.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "clipboard.h"
#include "export_dialog.h"
#include "load_string.h"
#include "logfile/log_export.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "res/resource.h"
#include "wandlink/messages.h"
#include "wandlink/unique_handle.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// TrackPopupMenu returns 0 when nothing was chosen.
enum Command : UINT { kCopy = 1, kSelectAll, kExport, kHistory };

struct MenuDestroyer {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

UINT Enabled(bool enabled) {
  return enabled ? MF_ENABLED : MF_GRAYED;
}

// How often the progress bar follows the export.
constexpr DWORD kProgressIntervalMs = 100;

bool ControlHeld() {
  return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0;
}

}  // namespace

void RecordsMenu::ShowMenu(LPARAM position) {
  const Menu menu(CreatePopupMenu());
  if (!menu) {
    return;
  }
  const auto add = [&](Command command, int textId, const wchar_t* keys, bool enabled) {
    const std::wstring text = LoadResourceString(instance_, textId) + keys;
    AppendMenuW(menu.get(), MF_STRING | Enabled(enabled), command, text.c_str());
  };
  add(kCopy, res::IDS_RECORDS_COPY, L"\tCtrl+C", MayHandOut());
  add(kSelectAll, res::IDS_RECORDS_SELECT_ALL, L"\tCtrl+A", HasRows());
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kExport, res::IDS_RECORDS_EXPORT, L"", MayHandOut());
  if (openHistory_) {
    // The text carries its keys already.
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    add(kHistory, res::IDS_HISTORY_MENU, L"", true);
  }

  // From the keyboard both coordinates are -1; a 64-bit LPARAM as a whole need not be.
  const POINT point = GET_X_LPARAM(position) == -1 && GET_Y_LPARAM(position) == -1
                          ? records_.KeyboardMenuPoint()
                          : POINT{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  const auto chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       point.x, point.y, 0, window_, nullptr));
  switch (chosen) {
    case kCopy:
      Copy();
      break;
    case kSelectAll:
      SelectAll();
      break;
    case kExport:
      Export();
      break;
    case kHistory:
      openHistory_();
      break;
    default:
      break;
  }
}

void RecordsMenu::OnKeyDown(WORD key) {
  if (!ControlHeld()) {
    return;
  }
  if (key == 'C') {
    Copy();
  } else if (key == 'A') {
    SelectAll();
  }
}

void RecordsMenu::Copy() {
  if (!MayHandOut()) {
    return;
  }
  const std::vector<std::size_t> rows = records_.SelectedRows();
  if (rows.empty()) {
    return;
  }
  // The text, and the table as HTML that keeps the wand and button numbers as written. A
  // program without a console has no stderr to read: the user is told of a failure.
  const CopiedRows copied = records_.Copy(rows);
  if (!SetClipboardText(window_, wandlink::Widen(copied.text),
                        wandlink::ClipboardHtmlFormat(copied.html))) {
    presentMessage_(wandlink::Widen(wandlink::kCopyFailedMessage));
  }
}

void RecordsMenu::SelectAll() {
  if (HasRows()) {
    records_.SelectAll();
  }
}

void RecordsMenu::Export() {
  if (!MayHandOut()) {
    return;
  }
  const wandlink::DownloadLog log = records_.ExportedLog();
  const std::wstring path =
      ChooseExportPath(instance_, window_, wandlink::Widen(wandlink::SuggestedExportName(log)));
  if (path.empty()) {
    return;
  }
  // The workbook or the CSV file, as the name's extension says.
  const wandlink::UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!done) {
    presentMessage_(wandlink::Widen(wandlink::kExportFailedMessage) + L'\n' +
                    wandlink::Widen(wandlink::SystemErrorText(::GetLastError())));
    return;
  }
  std::atomic<std::size_t> rows{0};
  std::atomic<std::size_t> total{log.RowCount()};
  std::string failure;
  // The window takes no input until the export ends: nothing is done twice meanwhile.
  EnableWindow(window_, FALSE);
  try {
    std::thread worker([&] {
      const std::filesystem::path target(path);
      failure = wandlink::ExportLog(log, target, wandlink::ExportTypeOf(target),
                                    [&](std::size_t written, std::size_t of) {
                                      rows = written;
                                      total = of;
                                    });
      ::SetEvent(done.get());
    });
    WaitForExport(done.get(), rows, total);
    worker.join();
  } catch (const std::system_error& error) {
    failure = error.code().message();
  }
  EnableWindow(window_, TRUE);
  if (!failure.empty()) {
    presentMessage_(wandlink::Widen(wandlink::kExportFailedMessage) + L'\n' +
                    wandlink::Widen(failure));
  }
}

void RecordsMenu::WaitForExport(HANDLE done, const std::atomic<std::size_t>& rows,
                                const std::atomic<std::size_t>& total) {
  if (progress_ == nullptr) {
    RunMessagesUntil(done, [] {});
    return;
  }
  const bool barShown = IsWindowVisible(progress_) != FALSE;
  const LRESULT barPosition = SendMessageW(progress_, PBM_GETPOS, 0, 0);
  PBRANGE range{};
  SendMessageW(progress_, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(range.iLow), 0);
  ShowWindow(progress_, SW_SHOW);
  RunMessagesUntil(done, [&] {
    const std::size_t of = std::max<std::size_t>(total, 1);
    const auto span = static_cast<std::size_t>(range.iHigh - range.iLow);
    SendMessageW(progress_, PBM_SETPOS,
                 static_cast<WPARAM>(range.iLow + static_cast<int>(rows * span / of)), 0);
  });
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(barPosition), 0);
  ShowWindow(progress_, barShown ? SW_SHOW : SW_HIDE);
}

void RecordsMenu::RunMessagesUntil(HANDLE done, const std::function<void()>& everyInterval) {
  std::optional<int> quit;
  while (MsgWaitForMultipleObjects(1, &done, FALSE, kProgressIntervalMs, QS_ALLINPUT) !=
         WAIT_OBJECT_0) {
    everyInterval();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // The program's end waits for the export: the worker reads the exported log.
      if (message.message == WM_QUIT) {
        quit = static_cast<int>(message.wParam);
        continue;
      }
      if (!IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  if (quit) {
    PostQuitMessage(*quit);
  }
}

}  // namespace winui
