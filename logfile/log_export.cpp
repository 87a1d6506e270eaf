#include "log_export.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <streambuf>
#include <vector>

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

namespace {

// An output stream into a sink, for the CSV text, telling the progress by the lines passed on.
// The sink's failure comes out of the writes as it was thrown.
class SinkBuffer final : public std::streambuf {
 public:
  SinkBuffer(ByteSink& out, std::size_t rows, const ExportProgress& progress)
      : out_(out), rows_(rows), progress_(progress), buffer_(64 * 1024) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

 protected:
  int_type overflow(int_type c) override {
    sync();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    const std::string_view bytes(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    out_.Write(bytes);
    lines_ += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    if (progress_) {
      progress_(std::min(lines_, rows_), rows_);
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return 0;
  }

 private:
  ByteSink& out_;
  std::size_t rows_;
  const ExportProgress& progress_;
  std::size_t lines_ = 0;
  std::vector<char> buffer_;
};

}  // namespace

std::string WorkbookRefusal(const DownloadLog& log) {
  return log.RowCount() > kWorkbookRecordLimit ? "工作表最多容纳 1048575 条记录,请导出为 CSV 文件"
                                               : std::string();
}

void WriteExport(const DownloadLog& log, ExportType type, ByteSink& out,
                 const ExportProgress& progress) {
  if (type == ExportType::Workbook) {
    WriteWorkbook(log, out, progress);
    return;
  }
  SinkBuffer buffer(out, log.RowCount(), progress);
  std::ostream csv(&buffer);
  csv.exceptions(std::ios::badbit);
  WriteLog(csv, log, kCsvFile);
}

std::string ExportLog(const DownloadLog& log, const fs::path& target, ExportType type,
                      const ExportProgress& progress) {
  if (type == ExportType::Workbook) {
    if (std::string refusal = WorkbookRefusal(log); !refusal.empty()) {
      return refusal;
    }
  }
  return WriteFileDurably(target, [&](ByteSink& out) { WriteExport(log, type, out, progress); });
}

std::string SuggestedExportName(const DownloadLog& log, ExportType type) {
  const LocalTime& read = log.readAt;
  // The history's rows are many wands'; it is named for what it is.
  const char* subject = log.HasNameColumns() ? "巡检记录" : log.wandNumber.data();
  char name[64];
  std::snprintf(name, sizeof name, "%s-%04d%02d%02d-%02d%02d%s", subject, read.year, read.month,
                read.day, read.hour, read.minute, ExportExtension(type));
  return name;
}

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace wandlink
