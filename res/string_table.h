// The string table.
#pragma once

#include <array>
#include <string_view>

#include "resource.h"

namespace res {

struct StringResource {
  int id;
  std::string_view text;
};

inline constexpr std::array<StringResource, 18> kStringTable = {{
    {IDS_ABOUTBOX, "关于 Korvanta(&A)..."},
    {IDS_RECORDS_COPY, "复制(&C)"},
    {IDS_RECORDS_SELECT_ALL, "全选(&A)"},
    {IDS_RECORDS_EXPORT, "导出(&E)..."},
    // The save dialog's file types, the workbook first.
    {IDS_EXPORT_FILTER, "Excel 工作簿 (*.xlsx)"},
    {IDS_EXPORT_FILTER_CSV, "CSV 文件 (*.csv)"},
    {IDS_HISTORY_MENU, "巡检记录(&H)...\tCtrl+H"},
    // The history's one line where it has no archive to show.
    {IDS_HISTORY_ARCHIVE_OFF, "存档已关闭(KORVANTA_ARCHIVE=off),没有巡检记录可显示。"},
    {IDS_HISTORY_NO_SQLITE, "系统没有 SQLite(winsqlite3.dll),无法读取存档。"},
    {IDS_HISTORY_NO_PLACE, "没有存放存档的位置,请用 KORVANTA_ARCHIVE 指定存档文件。"},
    // Followed by the reason.
    {IDS_HISTORY_ARCHIVE_UNREADABLE, "无法读取存档:"},
    {IDS_NAMES_FILTER_CSV, "名称列表 (*.csv)"},
    // %1: how many names the file gives.
    {IDS_NAMES_IMPORT_CONFIRM, "导入 %1 个名称?同号码的名称将被替换。"},
    // Followed by the rows, one a line; %1: how many.
    {IDS_NAMES_IMPORT_REJECTED, "以下 %1 行无法导入,将被跳过:"},
    // A button or wand seen in the archive that has no name yet.
    {IDS_NAMES_UNNAMED, "(未命名)"},
    {IDS_NAMES_BAD_NUMBER, "号码应为 4 位(棒号)或 8 位(钮号)十六进制数字。"},
    // Followed by the reason.
    {IDS_NAMES_NOT_SAVED, "名称未能保存:"},
    // Followed by the file or the reason.
    {IDS_NAMES_FILE_FAILED, "无法读写名称列表:"},
}};

// The string with the identifier; empty when the table has none.
constexpr std::string_view LoadString(int id) {
  for (const StringResource& entry : kStringTable) {
    if (entry.id == id) {
      return entry.text;
    }
  }
  return {};
}

}  // namespace res
