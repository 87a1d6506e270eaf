// What the user can do with the records list's rows: copy the selected ones to the clipboard
// (Ctrl+C, tab-separated with the heading line first and CR LF line ends, so a spreadsheet
// pastes four columns, and as an HTML table that keeps the wand and button numbers as
// written), select all of them (Ctrl+A), and export the whole log to an Excel workbook or a
// CSV file.
// The list's menu offers the three; copy and export are greyed while the list is empty or a
// download runs, select all while the list is empty.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "records_list.h"

namespace winui {

class RecordsMenu {
 public:
  // downloadRunning tells whether the rows may be handed out; presentMessage shows a message
  // and returns once the user has acknowledged it.
  RecordsMenu(HINSTANCE instance, HWND window, const RecordsList& records,
              std::function<bool()> downloadRunning,
              std::function<void(const std::wstring& text)> presentMessage)
      : instance_(instance),
        window_(window),
        records_(records),
        downloadRunning_(std::move(downloadRunning)),
        presentMessage_(std::move(presentMessage)) {}

  // WM_CONTEXTMENU from the list: the point on the screen, or -1 from the keyboard.
  void ShowMenu(LPARAM position);
  // LVN_KEYDOWN: Ctrl+C and Ctrl+A.
  void OnKeyDown(WORD key);

  void Copy();
  void SelectAll();
  void Export();

 private:
  bool HasRows() const { return records_.Log().RowCount() > 0; }
  bool MayHandOut() const { return HasRows() && !downloadRunning_(); }

  HINSTANCE instance_;
  HWND window_;
  const RecordsList& records_;
  std::function<bool()> downloadRunning_;
  std::function<void(const std::wstring& text)> presentMessage_;
};

}  // namespace winui
