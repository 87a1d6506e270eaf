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

inline constexpr std::array<StringResource, 6> kStringTable = {{
    {IDS_ABOUTBOX, "关于 Korvanta(&A)..."},
    {IDS_RECORDS_COPY, "复制(&C)"},
    {IDS_RECORDS_SELECT_ALL, "全选(&A)"},
    {IDS_RECORDS_EXPORT, "导出(&E)..."},
    // The save dialog's file types, the workbook first.
    {IDS_EXPORT_FILTER, "Excel 工作簿 (*.xlsx)"},
    {IDS_EXPORT_FILTER_CSV, "CSV 文件 (*.csv)"},
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
