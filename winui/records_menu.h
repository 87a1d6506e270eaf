// What the user can do with a list's rows (the records list's, the history's): copy the
// selected ones to the clipboard (Ctrl+C, tab-separated with the heading line first and CR LF
// line ends, so a spreadsheet pastes the columns, and as an HTML table that keeps the wand and
// button numbers as written), select all of them (Ctrl+A), and export the shown rows to an Excel
// workbook or a CSV file.
// The list's menu offers the three, and the history where the list is the main window's; copy
// and export are greyed while the list is empty or a download runs, select all while the list
// is empty.
//
// The export is written on a worker thread while the window, disabled as under a box, goes on
// drawing and its progress bar, where it has one, shows how far the export is; a failure of any
// kind (the disk, memory) is a box, and the list keeps its rows.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>

#include "list_rows.h"

namespace winui {

class RecordsMenu {
 public:
  // progress may be null; downloadRunning tells whether the rows may be handed out;
  // presentMessage shows a message and returns once the user has acknowledged it; openHistory,
  // unless empty, is the menu's entry of the history.
  RecordsMenu(HINSTANCE instance, HWND window, HWND progress, const ListRows& records,
              std::function<bool()> downloadRunning,
              std::function<void(const std::wstring& text)> presentMessage,
              std::function<void()> openHistory = {})
      : instance_(instance),
        window_(window),
        progress_(progress),
        records_(records),
        downloadRunning_(std::move(downloadRunning)),
        presentMessage_(std::move(presentMessage)),
        openHistory_(std::move(openHistory)) {}

  // WM_CONTEXTMENU from the list: the point on the screen, or -1 from the keyboard.
  void ShowMenu(LPARAM position);
  // LVN_KEYDOWN: Ctrl+C and Ctrl+A.
  void OnKeyDown(WORD key);

  void Copy();
  void SelectAll();
  // Returns once the export has ended, the window's messages running meanwhile.
  void Export();

 private:
  // Runs the window's messages, following the export on the progress bar, until it is done.
  void WaitForExport(HANDLE done, const std::atomic<std::size_t>& rows,
                     const std::atomic<std::size_t>& total);
  // Runs the window's messages until done is set, calling everyInterval now and then.
  void RunMessagesUntil(HANDLE done, const std::function<void()>& everyInterval);

  bool HasRows() const { return records_.RowCount() > 0; }
  bool MayHandOut() const { return HasRows() && !downloadRunning_(); }

  HINSTANCE instance_;
  HWND window_;
  HWND progress_;
  const ListRows& records_;
  std::function<bool()> downloadRunning_;
  std::function<void(const std::wstring& text)> presentMessage_;
  std::function<void()> openHistory_;
};

}  // namespace winui
