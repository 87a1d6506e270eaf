#include "names_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "archive/names_csv.h"
#include "centre_window.h"
#include "display_scale.h"
#include "export_dialog.h"
#include "list_rows.h"
#include "load_string.h"
#include "logfile/durable_file.h"
#include "res/resource.h"
#include "res/version_info.h"
#include "wandlink/messages.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

// At 100 % (96 dpi): the number's column and the name's.
constexpr int kNumberWidth = 75;
constexpr int kGuardNameWidth = 105;
constexpr int kPlaceNameWidth = 170;

// Room for a long path; the dialogs refuse a longer one.
constexpr std::size_t kPathCapacity = 32768;

std::wstring WithCount(std::wstring text, std::size_t count) {
  if (const std::size_t at = text.find(L"%1"); at != std::wstring::npos) {
    text.replace(at, 2, std::to_wstring(count));
  }
  return text;
}

void AddColumn(HWND list, int column, const char* heading, int width, UINT dpi) {
  InsertListColumn(list, column, wandlink::Widen(heading), ScaleToDpi(width, dpi));
}

// The named numbers and the unnamed ones (with an empty name), ordered by number.
std::vector<archive::NamedNumber> WithUnnamed(std::vector<archive::NamedNumber> named,
                                              const std::vector<std::string>& unnamed) {
  for (const std::string& number : unnamed) {
    named.push_back({number, {}});
  }
  std::ranges::sort(named, {}, &archive::NamedNumber::number);
  return named;
}

void FillList(HWND list, const std::vector<archive::NamedNumber>& rows,
              const std::wstring& unnamedText, const std::string& selectedNumber) {
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t index = 0; index < rows.size(); ++index) {
    std::wstring number = wandlink::Widen(rows[index].number);
    std::wstring name = rows[index].name.empty() ? unnamedText : wandlink::Widen(rows[index].name);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(index);
    item.pszText = number.data();
    const auto row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    item.iItem = row;
    item.iSubItem = 1;
    item.pszText = name.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (!selectedNumber.empty() && rows[index].number == selectedNumber) {
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      item.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
      SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    }
  }
}

// The CSV file to import from (save false) or export to; empty when the user cancelled.
std::wstring ChooseNamesFile(HINSTANCE instance, HWND owner, bool save, const std::wstring& title) {
  std::wstring filter = LoadResourceString(instance, res::IDS_NAMES_FILTER_CSV);
  filter += std::wstring_view(L"\0*.csv\0", 7);
  std::wstring path = save ? L"名称.csv" : L"";
  path.resize(kPathCapacity, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrDefExt = L"csv";
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  if (!RunFileDialog(dialog, save)) {
    return {};
  }
  path.resize(path.find(L'\0'));
  return path;
}

}  // namespace

template <typename Work>
bool NamesDialog::ChangeNames(const Work& change) {
  try {
    change();
    return true;
  } catch (const std::exception& error) {
    std::cerr << "Korvanta: the names could not be changed: " << error.what() << '\n';
    Present(LoadResourceString(instance_, res::IDS_NAMES_NOT_SAVED) +
            wandlink::Widen(error.what()));
    return false;
  }
}

void NamesDialog::DoModal(HWND owner) {
  if (DialogBoxParamW(instance_, MAKEINTRESOURCEW(res::IDD_NAMES), owner, DialogProc,
                      reinterpret_cast<LPARAM>(this)) == -1) {
    std::cerr << "Korvanta: the names dialog could not be created (error " << GetLastError()
              << ")\n";
  }
}

INT_PTR CALLBACK NamesDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<NamesDialog*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    return self->OnInitDialog();
  }
  auto* self = reinterpret_cast<NamesDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self == nullptr ? FALSE : self->HandleMessage(message, wParam, lParam);
}

INT_PTR NamesDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CLOSE:
      EndDialog(dialog_, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL NamesDialog::OnInitDialog() {
  const UINT dpi = WindowDpi(dialog_);
  const HWND guards = Control(res::IDC_NAMES_GUARDS);
  const HWND places = Control(res::IDC_NAMES_PLACES);
  AddColumn(guards, 0, "棒号", kNumberWidth, dpi);
  AddColumn(guards, 1, "巡检员", kGuardNameWidth, dpi);
  AddColumn(places, 0, "钮号", kNumberWidth, dpi);
  AddColumn(places, 1, "巡检点", kPlaceNameWidth, dpi);
  for (const HWND list : {guards, places}) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  }
  SendMessageW(Control(res::IDC_NAMES_NAME), EM_LIMITTEXT, archive::kNameLimit * 2, 0);
  ShowNames();
  CentreWindow(dialog_);
  return TRUE;
}

void NamesDialog::ShowNames(const std::string& selectedNumber) {
  try {
    archive::NameBook book = archive::ReadNames(archive_);
    guards_ = WithUnnamed(std::move(book.guards), archive::UnnamedWands(archive_));
    places_ = WithUnnamed(std::move(book.checkpoints), archive::UnnamedButtons(archive_));
  } catch (const std::exception& error) {
    std::cerr << "Korvanta: the names could not be read: " << error.what() << '\n';
    Present(LoadResourceString(instance_, res::IDS_HISTORY_ARCHIVE_UNREADABLE) +
            wandlink::Widen(error.what()));
  }
  const std::wstring unnamed = LoadResourceString(instance_, res::IDS_NAMES_UNNAMED);
  FillList(Control(res::IDC_NAMES_GUARDS), guards_, unnamed, selectedNumber);
  FillList(Control(res::IDC_NAMES_PLACES), places_, unnamed, selectedNumber);
}

bool NamesDialog::OnNotify(NMHDR& header) {
  if ((header.idFrom != res::IDC_NAMES_GUARDS && header.idFrom != res::IDC_NAMES_PLACES) ||
      header.code != LVN_ITEMCHANGED) {
    return false;
  }
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if ((change.uChanged & LVIF_STATE) != 0 && (change.uNewState & LVIS_SELECTED) != 0 &&
      (change.uOldState & LVIS_SELECTED) == 0) {
    OnRowChosen(header.hwndFrom, change.iItem);
  }
  return true;
}

void NamesDialog::OnRowChosen(HWND list, int row) {
  const std::vector<archive::NamedNumber>& rows =
      list == Control(res::IDC_NAMES_GUARDS) ? guards_ : places_;
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
    return;
  }
  const archive::NamedNumber& chosen = rows[static_cast<std::size_t>(row)];
  SetDlgItemTextW(dialog_, res::IDC_NAMES_NUMBER, wandlink::Widen(chosen.number).c_str());
  SetDlgItemTextW(dialog_, res::IDC_NAMES_NAME, wandlink::Widen(chosen.name).c_str());
}

bool NamesDialog::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) {
    return false;
  }
  switch (id) {
    case res::IDC_NAMES_SAVE:
    case IDOK:
      OnSave();
      return true;
    case res::IDC_NAMES_REMOVE:
      OnRemove();
      return true;
    case res::IDC_NAMES_IMPORT:
      OnImport();
      return true;
    case res::IDC_NAMES_EXPORT:
      OnExport();
      return true;
    case IDCANCEL:
      EndDialog(dialog_, IDCANCEL);
      return true;
    default:
      return false;
  }
}

void NamesDialog::OnSave() {
  const std::optional<archive::NumberKind> number =
      archive::ParseNumber(wandlink::Utf8(Text(res::IDC_NAMES_NUMBER)));
  if (!number) {
    Present(LoadResourceString(instance_, res::IDS_NAMES_BAD_NUMBER));
    return;
  }
  const std::string name = wandlink::Utf8(Text(res::IDC_NAMES_NAME));
  if (const std::string problem = archive::NameProblem(name); !problem.empty()) {
    Present(wandlink::Widen(problem));
    return;
  }
  if (ChangeNames([&] { archive::SetName(archive_, {number->number, name}); })) {
    ShowNames(number->number);
  }
}

void NamesDialog::OnRemove() {
  const std::optional<archive::NumberKind> number =
      archive::ParseNumber(wandlink::Utf8(Text(res::IDC_NAMES_NUMBER)));
  if (!number) {
    Present(LoadResourceString(instance_, res::IDS_NAMES_BAD_NUMBER));
    return;
  }
  if (ChangeNames([&] { archive::RemoveName(archive_, number->number); })) {
    SetDlgItemTextW(dialog_, res::IDC_NAMES_NAME, L"");
    ShowNames(number->number);
  }
}

void NamesDialog::OnImport() {
  const std::wstring path =
      ChooseNamesFile(instance_, dialog_, false, TitleOf(Text(res::IDC_NAMES_IMPORT)));
  if (path.empty()) {
    return;
  }
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file && !file.eof()) {
    Present(LoadResourceString(instance_, res::IDS_NAMES_FILE_FAILED) + path);
    return;
  }
  const archive::NamesCsvRead read = archive::ReadNamesCsv(bytes);
  std::wstring question;
  if (!read.rejected.empty()) {
    question = WithCount(LoadResourceString(instance_, res::IDS_NAMES_IMPORT_REJECTED),
                         read.rejected.size()) +
               L'\n' + wandlink::Widen(archive::RejectedRowsText(read.rejected)) + L"\n\n";
  }
  if (read.names.empty()) {
    if (!question.empty()) {
      Present(question);
    }
    return;
  }
  question +=
      WithCount(LoadResourceString(instance_, res::IDS_NAMES_IMPORT_CONFIRM), read.names.size());
  if (MessageBoxW(dialog_, question.c_str(), wandlink::Widen(res::kInternalName).c_str(),
                  MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    return;
  }
  if (ChangeNames([&] { archive::ImportNames(archive_, read.names); })) {
    ShowNames();
  }
}

void NamesDialog::OnExport() {
  archive::NameBook book;
  try {
    book = archive::ReadNames(archive_);
  } catch (const std::exception& error) {
    Present(LoadResourceString(instance_, res::IDS_HISTORY_ARCHIVE_UNREADABLE) +
            wandlink::Widen(error.what()));
    return;
  }
  const std::wstring path =
      ChooseNamesFile(instance_, dialog_, true, TitleOf(Text(res::IDC_NAMES_EXPORT)));
  if (path.empty()) {
    return;
  }
  const std::string text = archive::NamesCsvText(book);
  const std::string failure = wandlink::WriteFileDurably(
      std::filesystem::path(path), [&](wandlink::ByteSink& out) { out.Write(text); });
  if (!failure.empty()) {
    Present(wandlink::Widen(wandlink::kExportFailedMessage) + L'\n' + wandlink::Widen(failure));
  }
}

std::wstring NamesDialog::Text(int id) const {
  const HWND control = Control(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void NamesDialog::Present(const std::wstring& text) const {
  MessageBoxW(dialog_, text.c_str(), wandlink::Widen(res::kInternalName).c_str(),
              MB_OK | MB_ICONWARNING);
}

}  // namespace winui
