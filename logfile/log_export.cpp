#include "log_export.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "durable_file.h"
#include "log_text.h"
#include "log_workbook.h"

namespace wandlink {

namespace fs = std::filesystem;

ExportType ExportTypeOf(const fs::path& target) {
  // The native text, narrow or wide, compared letter by letter.
  const auto extension = target.extension().native();
  constexpr std::string_view kCsvExtension = ".csv";
  const bool csv =
      extension.size() == kCsvExtension.size() &&
      std::equal(extension.begin(), extension.end(), kCsvExtension.begin(), [](auto c, char l) {
        return c == static_cast<decltype(c)>(l) ||
               (l >= 'a' && l <= 'z' && c == static_cast<decltype(c)>(l - 'a' + 'A'));
      });
  return csv ? ExportType::Csv : ExportType::Workbook;
}

const char* ExportExtension(ExportType type) {
  return type == ExportType::Csv ? ".csv" : ".xlsx";
}

std::string ExportLog(const DownloadLog& log, const fs::path& target, ExportType type) {
  std::string contents;
  if (type == ExportType::Csv) {
    std::ostringstream csv;
    WriteLog(csv, log, kCsvFile);
    contents = std::move(csv).str();
  } else {
    if (log.RowCount() > kWorkbookRecordLimit) {
      return "工作表最多容纳 1048575 条记录,请导出为 CSV 文件";
    }
    contents = WorkbookBytes(log);
  }
  return WriteFileDurably(target, contents);
}

std::string SuggestedExportName(const DownloadLog& log, ExportType type) {
  const LocalTime& read = log.readAt;
  char name[64];
  std::snprintf(name, sizeof name, "%s-%04d%02d%02d-%02d%02d%s", log.wandNumber.data(), read.year,
                read.month, read.day, read.hour, read.minute, ExportExtension(type));
  return name;
}

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace wandlink
