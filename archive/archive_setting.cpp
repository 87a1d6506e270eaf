#include "archive_setting.h"

#include "archive_file.h"
#include "wandlink/environment.h"

namespace archive {

std::optional<Archive> ArchiveFromEnvironment() {
  std::optional<std::filesystem::path> file = wandlink::PathFromEnvironment("KORVANTA_ARCHIVE");
  if (file && *file == "off") {
    return std::nullopt;
  }
  if (!file) {
    file = DefaultArchiveFile();
  }
  if (!file) {
    return std::nullopt;
  }
  return ArchiveAt(std::move(*file));
}

ArchiveAbsence WhyNoArchive() {
  const std::optional<std::filesystem::path> file =
      wandlink::PathFromEnvironment("KORVANTA_ARCHIVE");
  if (file && *file == "off") {
    return ArchiveAbsence::TurnedOff;
  }
  if (SystemSqlite() == nullptr) {
    return ArchiveAbsence::NoSqlite;
  }
  if (!file && !DefaultArchiveFile()) {
    return ArchiveAbsence::NoPlace;
  }
  return ArchiveAbsence::None;
}

std::optional<Archive> ArchiveAt(std::filesystem::path file) {
  const SqliteApi* sqlite = SystemSqlite();
  if (sqlite == nullptr) {
    return std::nullopt;
  }
  return Archive{.sqlite = sqlite, .file = std::move(file)};
}

}  // namespace archive
