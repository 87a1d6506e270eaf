// The history window (IDD_HISTORY): the archived readings with their guards and checkpoints,
// filtered by dates, guard and checkpoint, sorted by a click on a heading, copied and exported
// like the records list, and the names dialog behind 名称....
//
// Modeless beside the main window: the main window's message loop gives it its keys
// (IsDialogMessage), and the main window tells it when a download has been archived. Where the
// archive is off or cannot be read, the window still opens and says why in its status line,
// with everything that needs the archive disabled.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/history_table.h"
#include "dialog_scale.h"
#include "history_list.h"
#include "records_menu.h"

namespace winui {

class HistoryWindow {
 public:
  explicit HistoryWindow(HINSTANCE instance) : instance_(instance) {}
  HistoryWindow(const HistoryWindow&) = delete;
  HistoryWindow& operator=(const HistoryWindow&) = delete;
  ~HistoryWindow();

  // Creates the window and shows it; false when it could not be created.
  bool Open();
  // Until the user closes it.
  bool IsOpen() const { return dialog_ != nullptr; }
  // Restored if minimized, in front and active.
  void Raise() const;
  // The window's keys: true when the message was the window's and has been handled.
  bool TakeDialogMessage(MSG& message) const;
  // Reads the readings archived since, and the names anew.
  void Refresh();

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnInitDialog();
  bool OnCommand(int id, int notification);
  bool OnNotify(NMHDR& header);

  // Reads the archive into the table; false, with the status line saying why, when it cannot.
  bool Load();
  // The table's filter from the controls, and the rows and count it selects, shown from the
  // list's top or where the list was.
  void ApplyFilter(HistoryList::Place listPlace = HistoryList::Place::Top);
  void FillChoices();
  void SetLastNight();
  void OpenNames();
  // Without an archive to show: the reason in the status line, and nothing that needs it.
  void ShowUnavailable(const std::wstring& reason);
  void Present(const std::wstring& text) const;

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  HINSTANCE instance_;
  HWND dialog_ = nullptr;
  std::optional<DialogScale> scale_;
  std::optional<archive::Archive> archive_;
  archive::HistoryTable table_;
  std::vector<archive::FilterChoice> guardChoices_;
  std::vector<archive::FilterChoice> placeChoices_;
  std::optional<HistoryList> list_;
  std::optional<RecordsMenu> menu_;
};

}  // namespace winui
