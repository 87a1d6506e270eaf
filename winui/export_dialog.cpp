#include "export_dialog.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <iostream>
#include <memory>

#include "load_string.h"
#include "res/resource.h"

namespace winui {
namespace {

// Room for a long path; the dialog refuses a longer one (FNERR_BUFFERTOOSMALL).
constexpr std::size_t kPathCapacity = 32768;

struct CoTaskMemFreer {
  void operator()(wchar_t* memory) const { CoTaskMemFree(memory); }
};

// The user's documents folder followed by a separator, or nothing when there is none.
std::wstring DocumentsFolder() {
  wchar_t* found = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &found);
  // Freed whether or not the call succeeded.
  const std::unique_ptr<wchar_t, CoTaskMemFreer> path(found);
  if (FAILED(result) || path == nullptr) {
    return {};
  }
  return std::wstring(path.get()) + L'\\';
}

}  // namespace

std::wstring ChooseExportPath(HINSTANCE instance, HWND owner, const std::wstring& proposedName) {
  // The workbook first, then CSV; the dialog gives a name without an extension the chosen one's.
  std::wstring filter = LoadResourceString(instance, res::IDS_EXPORT_FILTER);
  filter += std::wstring_view(L"\0*.xlsx\0", 8);
  filter += LoadResourceString(instance, res::IDS_EXPORT_FILTER_CSV);
  filter += std::wstring_view(L"\0*.csv\0", 7);
  const std::wstring title = TitleOf(LoadResourceString(instance, res::IDS_RECORDS_EXPORT));
  std::wstring path = DocumentsFolder() + proposedName;
  path.resize(std::max(kPathCapacity, path.size() + 1), L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  dialog.lpstrDefExt = L"xlsx";
  if (!RunFileDialog(dialog, true)) {
    return {};
  }
  path.resize(path.find(L'\0'));
  if (dialog.nFileExtension == 0 || path.size() <= dialog.nFileExtension) {
    path += dialog.nFilterIndex == 2 ? L".csv" : L".xlsx";
  }
  return path;
}

bool RunFileDialog(OPENFILENAMEW& dialog, bool save) {
  if (save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog)) {
    return true;
  }
  if (const DWORD error = CommDlgExtendedError(); error != 0) {
    std::cerr << "Korvanta: the file dialog failed (error " << error << ")\n";
  }
  return false;
}

}  // namespace winui
