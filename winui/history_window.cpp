#include "history_window.h"

#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <iostream>

#include "archive/archive_setting.h"
#include "centre_window.h"
#include "display_scale.h"
#include "load_string.h"
#include "names_dialog.h"
#include "res/resource.h"
#include "res/version_info.h"
#include "wandlink/local_clock.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// "YYYY-MM-DD" of a date picker that is checked; empty, no bound, when it is not.
std::string PickedDay(HWND picker) {
  SYSTEMTIME day{};
  if (DateTime_GetSystemtime(picker, &day) != GDT_VALID) {
    return {};
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(day.wYear),
                static_cast<unsigned>(day.wMonth), static_cast<unsigned>(day.wDay));
  return text;
}

// A "YYYY-MM-DD" day into a date picker, checked.
void PickDay(HWND picker, const std::string& text) {
  SYSTEMTIME day{};
  unsigned year = 0;
  unsigned month = 0;
  unsigned date = 0;
  if (std::sscanf(text.c_str(), "%4u-%2u-%2u", &year, &month, &date) != 3) {
    return;
  }
  day.wYear = static_cast<WORD>(year);
  day.wMonth = static_cast<WORD>(month);
  day.wDay = static_cast<WORD>(date);
  DateTime_SetSystemtime(picker, GDT_VALID, &day);
}

// The choices into the drop-down, the one equal to the kept one selected, else 全部.
void FillCombo(HWND combo, const std::vector<archive::FilterChoice>& choices,
               const archive::FilterChoice& kept) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  int selected = 0;
  for (std::size_t index = 0; index < choices.size(); ++index) {
    const archive::FilterChoice& choice = choices[index];
    SendMessageW(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(wandlink::Widen(choice.text).c_str()));
    if (choice.name == kept.name && choice.number == kept.number) {
      selected = static_cast<int>(index);
    }
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// The choice the drop-down shows; 全部 when none.
archive::FilterChoice Chosen(HWND combo, const std::vector<archive::FilterChoice>& choices) {
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) {
    return {};
  }
  return choices[static_cast<std::size_t>(index)];
}

}  // namespace

HistoryWindow::~HistoryWindow() {
  if (dialog_ != nullptr) {
    DestroyWindow(dialog_);
  }
}

bool HistoryWindow::Open() {
  if (CreateDialogParamW(instance_, MAKEINTRESOURCEW(res::IDD_HISTORY), nullptr, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == nullptr) {
    std::cerr << "Korvanta: the history window could not be created (error " << GetLastError()
              << ")\n";
    return false;
  }
  ShowWindow(dialog_, SW_SHOW);
  return true;
}

void HistoryWindow::Raise() const {
  if (IsIconic(dialog_)) {
    ShowWindow(dialog_, SW_RESTORE);
  }
  SetForegroundWindow(dialog_);
}

bool HistoryWindow::TakeDialogMessage(MSG& message) const {
  return dialog_ != nullptr && IsDialogMessageW(dialog_, &message);
}

INT_PTR CALLBACK HistoryWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<HistoryWindow*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    return self->OnInitDialog();
  }
  auto* self = reinterpret_cast<HistoryWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self == nullptr ? FALSE : self->HandleMessage(message, wParam, lParam);
}

INT_PTR HistoryWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != list_->Window()) {
        return FALSE;
      }
      menu_->ShowMenu(lParam);
      return TRUE;
    case WM_DPICHANGED:
      scale_->Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      list_->SetDpi(HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog_);
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(dialog_, DWLP_USER, 0);
      dialog_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

BOOL HistoryWindow::OnInitDialog() {
  TakeOverScaleChanges(dialog_);
  const UINT dpi = WindowDpi(dialog_);
  scale_.emplace(dialog_, dpi);
  const auto icon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(res::IDR_MAINFRAME),
                                                  IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi),
                                                  SystemMetricForDpi(SM_CYSMICON, dpi), LR_SHARED));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

  list_.emplace(Control(res::IDC_HISTORY_LIST), table_);
  SendMessageW(list_->Window(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  list_->AddColumns(dpi);
  menu_.emplace(
      instance_, dialog_, nullptr, *list_, [] { return false; },
      [this](const std::wstring& text) { Present(text); });
  for (const int picker : {res::IDC_HISTORY_FROM, res::IDC_HISTORY_TO}) {
    DateTime_SetFormat(Control(picker), L"yyyy-MM-dd");
    DateTime_SetSystemtime(Control(picker), GDT_NONE, nullptr);
  }
  if (Load()) {
    FillChoices();
    ApplyFilter();
  }
  CentreWindow(dialog_);
  return TRUE;
}

bool HistoryWindow::Load() {
  archive_ = archive::ArchiveFromEnvironment();
  if (!archive_) {
    switch (archive::WhyNoArchive()) {
      case archive::ArchiveAbsence::TurnedOff:
        ShowUnavailable(LoadResourceString(instance_, res::IDS_HISTORY_ARCHIVE_OFF));
        break;
      case archive::ArchiveAbsence::NoSqlite:
        ShowUnavailable(LoadResourceString(instance_, res::IDS_HISTORY_NO_SQLITE));
        break;
      default:
        ShowUnavailable(LoadResourceString(instance_, res::IDS_HISTORY_NO_PLACE));
        break;
    }
    return false;
  }
  try {
    table_.Load(*archive_);
  } catch (const std::exception& error) {
    std::cerr << "Korvanta: the archive " << archive_->file
              << " could not be read: " << error.what() << '\n';
    ShowUnavailable(LoadResourceString(instance_, res::IDS_HISTORY_ARCHIVE_UNREADABLE) +
                    wandlink::Widen(error.what()));
    archive_.reset();
    return false;
  }
  SetDlgItemTextW(dialog_, res::IDC_HISTORY_STATUS, archive_->file.wstring().c_str());
  return true;
}

void HistoryWindow::Refresh() {
  if (!archive_ || dialog_ == nullptr) {
    return;
  }
  try {
    table_.Refresh(*archive_);
  } catch (const std::exception& error) {
    std::cerr << "Korvanta: the archive " << archive_->file
              << " could not be read again: " << error.what() << '\n';
    SetDlgItemTextW(dialog_, res::IDC_HISTORY_STATUS,
                    (LoadResourceString(instance_, res::IDS_HISTORY_ARCHIVE_UNREADABLE) +
                     wandlink::Widen(error.what()))
                        .c_str());
    return;
  }
  FillChoices();
  ApplyFilter(HistoryList::Place::Kept);
}

void HistoryWindow::ShowUnavailable(const std::wstring& reason) {
  SetDlgItemTextW(dialog_, res::IDC_HISTORY_STATUS, reason.c_str());
  for (const int id : {res::IDC_HISTORY_FROM, res::IDC_HISTORY_TO, res::IDC_HISTORY_LAST_NIGHT,
                       res::IDC_HISTORY_GUARD, res::IDC_HISTORY_PLACE, res::IDC_HISTORY_NAMES,
                       res::IDC_HISTORY_EXPORT}) {
    EnableWindow(Control(id), FALSE);
  }
}

// The names may have changed: each drop-down keeps its choice while it is still offered.
void HistoryWindow::FillChoices() {
  const HWND guard = Control(res::IDC_HISTORY_GUARD);
  const HWND place = Control(res::IDC_HISTORY_PLACE);
  const archive::FilterChoice guardKept = Chosen(guard, guardChoices_);
  const archive::FilterChoice placeKept = Chosen(place, placeChoices_);
  guardChoices_ = table_.GuardChoices();
  placeChoices_ = table_.PlaceChoices();
  FillCombo(guard, guardChoices_, guardKept);
  FillCombo(place, placeChoices_, placeKept);
}

void HistoryWindow::ApplyFilter(HistoryList::Place listPlace) {
  const archive::FilterChoice guard = Chosen(Control(res::IDC_HISTORY_GUARD), guardChoices_);
  const archive::FilterChoice place = Chosen(Control(res::IDC_HISTORY_PLACE), placeChoices_);
  table_.SetFilter({.from = PickedDay(Control(res::IDC_HISTORY_FROM)),
                    .to = PickedDay(Control(res::IDC_HISTORY_TO)),
                    .wand = guard.number,
                    .button = place.number,
                    .guard = guard.name,
                    .place = place.name});
  list_->ShowRows(listPlace);
  SetDlgItemTextW(dialog_, res::IDC_HISTORY_COUNT,
                  wandlink::Widen(archive::HistoryCountText(table_.RowCount())).c_str());
}

void HistoryWindow::SetLastNight() {
  const archive::DateRange night = archive::LastNight(wandlink::SystemLocalTime());
  PickDay(Control(res::IDC_HISTORY_FROM), night.from);
  PickDay(Control(res::IDC_HISTORY_TO), night.to);
  ApplyFilter();
}

void HistoryWindow::OpenNames() {
  if (!archive_) {
    return;
  }
  NamesDialog(instance_, *archive_).DoModal(dialog_);
  Refresh();
}

bool HistoryWindow::OnCommand(int id, int notification) {
  switch (id) {
    case res::IDC_HISTORY_LAST_NIGHT:
      if (notification == BN_CLICKED) {
        SetLastNight();
      }
      return true;
    case res::IDC_HISTORY_GUARD:
    case res::IDC_HISTORY_PLACE:
      if (notification == CBN_SELCHANGE) {
        ApplyFilter();
      }
      return true;
    case res::IDC_HISTORY_EXPORT:
      if (notification == BN_CLICKED) {
        menu_->Export();
      }
      return true;
    case res::IDC_HISTORY_NAMES:
      if (notification == BN_CLICKED) {
        OpenNames();
      }
      return true;
    case IDCANCEL:
      DestroyWindow(dialog_);
      return true;
    default:
      return false;
  }
}

bool HistoryWindow::OnNotify(NMHDR& header) {
  switch (header.idFrom) {
    case res::IDC_HISTORY_FROM:
    case res::IDC_HISTORY_TO:
      if (header.code == DTN_DATETIMECHANGE) {
        ApplyFilter();
        return true;
      }
      return false;
    case res::IDC_HISTORY_LIST:
      switch (header.code) {
        case LVN_GETDISPINFOW:
          list_->OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
          return true;
        case LVN_COLUMNCLICK:
          list_->OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
          return true;
        case LVN_KEYDOWN:
          menu_->OnKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
          return true;
        default:
          return false;
      }
    default:
      return false;
  }
}

void HistoryWindow::Present(const std::wstring& text) const {
  MessageBoxW(dialog_, text.c_str(), wandlink::Widen(res::kInternalName).c_str(),
              MB_OK | MB_ICONWARNING);
}

}  // namespace winui
