#include "download_log.h"

namespace wandlink {

std::string DownloadLog::CellText(std::size_t row, int column) const {
  if (row >= RowCount() || row >= buttonNumbers.size()) {
    return {};
  }
  switch (column) {
    case 0:
      return std::to_string(row + 1);
    case 1:
      return row < rowWandNumbers.size() ? rowWandNumbers[row].data() : wandNumber.data();
    case 2:
      return timeStamps[row].data();
    case 3:
      return buttonNumbers[row].data();
    case 4:
      return HasNameColumns() ? std::string(GuardName(row)) : std::string();
    case 5:
      return HasNameColumns() ? std::string(PlaceName(row)) : std::string();
    default:
      return {};
  }
}

}  // namespace wandlink
