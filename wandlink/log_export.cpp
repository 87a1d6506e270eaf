#include "log_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "log_text.h"

namespace wandlink {
namespace {

namespace fs = std::filesystem;

fs::path TemporaryBeside(const fs::path& target) {
  std::random_device random;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%08x.part", random());
  fs::path temporary = target;
  temporary += suffix;
  return temporary;
}

}  // namespace

std::string ExportLog(const DownloadLog& log, const fs::path& target) {
  const fs::path temporary = TemporaryBeside(target);
  std::string failure;
  {
    errno = 0;
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      return std::strerror(errno != 0 ? errno : EIO);
    }
    WriteLog(out, log, kCsvFile);
    out.close();
    if (!out) {
      failure = std::strerror(errno != 0 ? errno : EIO);
    }
  }
  std::error_code error;
  if (failure.empty()) {
    fs::rename(temporary, target, error);
    if (!error) {
      return {};
    }
    failure = error.message();
  }
  fs::remove(temporary, error);
  return failure;
}

std::string SuggestedExportName(const DownloadLog& log) {
  const LocalTime& read = log.readAt;
  char name[64];
  std::snprintf(name, sizeof name, "%s-%04d%02d%02d-%02d%02d.csv", log.wandNumber.data(), read.year,
                read.month, read.day, read.hour, read.minute);
  return name;
}

}  // namespace wandlink
