// The awkward logs of the workbook test (workbook_readback.sh), written through the shared
// writers: wand 0123 with 60001 rows, buttons 00001234 and 1234E567 and a day-0 time among
// them, wand 12E4 with a few rows, and a history of two wands with names (one holding markup,
// quotes, separators and a line break, one left unnamed); each as a workbook (ExportLog), as the
// HTML flavour of its copy (LogRowsHtml, the rows the clipboard test pastes) and as the table's
// text (WriteLog), which the readers compare the cells with. Usage: workbook_sample FOLDER
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "logfile/log_export.h"
#include "logfile/log_html.h"
#include "logfile/log_text.h"
#include "wand_log.h"
#include "wandlink/download.h"

namespace {

constexpr wandlink::LocalTime kReadAt{2024, 3, 5, 14, 7};

wandlink::DownloadLog Log(wandlink::WandNumberText wand, std::size_t rows) {
  wandlink::DownloadLog log;
  log.wandNumber = wand;
  log.readAt = kReadAt;
  for (const auto& record :
       wandsim::GeneratePatrolLog(rows, 5, kReadAt, wandlink::MonthMode::Bcd)) {
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(record));
    wandlink::FormatRecordTime(record, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [] { return kReadAt; });
  }
  return log;
}

bool Write(const std::filesystem::path& folder, const std::string& name,
           const wandlink::DownloadLog& log, const std::vector<std::size_t>& pastedRows) {
  if (const std::string failure = wandlink::ExportLog(log, folder / (name + ".xlsx"));
      !failure.empty()) {
    std::cerr << "workbook_sample: " << name << ".xlsx: " << failure << '\n';
    return false;
  }
  std::ofstream(folder / (name + ".html"), std::ios::binary)
      << wandlink::LogRowsHtml(log, pastedRows);
  std::ofstream table(folder / (name + ".tsv"), std::ios::binary);
  wandlink::WriteLog(table, log, wandlink::kTabSeparated);
  return static_cast<bool>(table);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: workbook_sample FOLDER\n";
    return 64;
  }
  const std::filesystem::path folder = argv[1];

  wandlink::DownloadLog full = Log({'0', '1', '2', '3', '\0'}, wandlink::RecordCapacity);
  full.buttonNumbers[0] = {"00001234"};
  full.buttonNumbers[1] = {"1234E567"};
  // A reading on day 0, which the table shows as the wand sent it.
  full.timeStamps[2] = {"2024-02-00 08:15"};
  full.timeStamps[3] = {"2024-02-29 23:59"};
  const std::vector<std::size_t> fullPasted = {0, 1, 2, 3, full.RowCount() - 1};

  wandlink::DownloadLog short12E4 = Log({'1', '2', 'E', '4', '\0'}, 3);
  short12E4.buttonNumbers[0] = {"0000E000"};
  const std::vector<std::size_t> shortPasted = {0, 1, 2};

  wandlink::DownloadLog history = Log({'0', '1', '2', '3', '\0'}, 4);
  history.rowWandNumbers = {{"0123"}, {"12E4"}, {"0123"}, {"12E4"}};
  history.names = {"", "A&B<C>D\"E'F,G;H\tI\nJ", "张三", "北门"};
  history.rowGuards = {1, 0, 1, 2};
  history.rowPlaces = {3, 3, 0, 1};
  const std::vector<std::size_t> historyPasted = {0, 1, 2, 3};

  return Write(folder, "wand-0123", full, fullPasted) &&
                 Write(folder, "wand-12E4", short12E4, shortPasted) &&
                 Write(folder, "history", history, historyPasted)
             ? 0
             : 1;
}
