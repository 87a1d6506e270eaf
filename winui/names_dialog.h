// The names dialog (IDD_NAMES), modal over the history: the guards' names of the wands and the
// checkpoints' names of the buttons, each list with the numbers the archive has readings of and
// no name for; a row chosen fills the number and name, 保存 adds or changes a name, 删除 removes
// it, and the names are imported from a CSV list (its unusable rows shown, nothing kept before
// the user agrees) or exported to one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "archive/names.h"

namespace winui {

class NamesDialog {
 public:
  NamesDialog(HINSTANCE instance, archive::Archive archive)
      : instance_(instance), archive_(std::move(archive)) {}
  NamesDialog(const NamesDialog&) = delete;
  NamesDialog& operator=(const NamesDialog&) = delete;

  void DoModal(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL OnInitDialog();
  bool OnCommand(int id, int notification);
  bool OnNotify(NMHDR& header);

  // Both lists from the archive, the row of the number selected when it is there.
  void ShowNames(const std::string& selectedNumber = {});
  // A row of either list chosen: its number and name into the edits.
  void OnRowChosen(HWND list, int row);
  void OnSave();
  void OnRemove();
  void OnImport();
  void OnExport();
  // Runs the archive's change; false, with the user told why, when it failed.
  template <typename Work>
  bool ChangeNames(const Work& change);

  std::wstring Text(int id) const;
  void Present(const std::wstring& text) const;
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  HINSTANCE instance_;
  archive::Archive archive_;
  HWND dialog_ = nullptr;
  // The rows of each list, in its order; an unnamed number's name is empty.
  std::vector<archive::NamedNumber> guards_;
  std::vector<archive::NamedNumber> places_;
};

}  // namespace winui
