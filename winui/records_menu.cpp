#include "records_menu.h"

#include <windowsx.h>

#include <filesystem>
#include <memory>
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
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// TrackPopupMenu returns 0 when nothing was chosen.
enum Command : UINT { kCopy = 1, kSelectAll, kExport };

struct MenuDestroyer {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using Menu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

UINT Enabled(bool enabled) {
  return enabled ? MF_ENABLED : MF_GRAYED;
}

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
  if (!SetClipboardText(
          window_,
          wandlink::Widen(wandlink::LogRowsText(records_.Log(), rows, wandlink::kTabSeparatedCrlf)),
          wandlink::ClipboardHtmlFormat(wandlink::LogRowsHtml(records_.Log(), rows)))) {
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
  const wandlink::DownloadLog& log = records_.Log();
  const std::wstring path =
      ChooseExportPath(instance_, window_, wandlink::Widen(wandlink::SuggestedExportName(log)));
  if (path.empty()) {
    return;
  }
  // The workbook or the CSV file, as the name's extension says.
  const std::string failure = wandlink::ExportLog(log, std::filesystem::path(path));
  if (!failure.empty()) {
    presentMessage_(wandlink::Widen(wandlink::kExportFailedMessage) + L'\n' +
                    wandlink::Widen(failure));
  }
}

}  // namespace winui
